// What a download that ends early leaves in the modules: the modules it took out of their
// application and sent nothing get it back; a module that took part of its download stays
// in its bootloader. And the M-Bus spare's phase when it brings bootloader 2.
#include "download_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

constexpr quint16 kDownloadApplication = 0x0040;

QList<sim::Mode> modes(const DownloadRig& r, int last) {
    QList<sim::Mode> out;
    for (int m = 0; m <= last; ++m)
        out << r.rig.modules.module(m).mode();
    return out;
}

} // namespace

class DownloadRestartTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void failedBootloaderStartGivesTheOthersTheirApplicationBack();
    void abortThroughTheSpareGivesTheWaitingCylindersTheirApplicationBack();
    void mBusSpareTakingBootloader2IsNoFailure();
};

void DownloadRestartTest::failedBootloaderStartGivesTheOthersTheirApplicationBack() {
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 3);
    r.forceFpga(false);
    const QByteArray before = r.rig.modules.module(0).section(6).image;
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), newImage(8000, 3), 0x30000);
    QVERIFY(r.ready(3, 0, 1, {sectionBoxAppl}));
    // Module 1 falls silent: the main pass stops there, after module 0 and after the first
    // pass switched modules 2 and 3 (3 unticked, but running).
    r.rig.modules.module(1).faults().silent = true;

    r.window.cmdDownload_Click();

    const QStringList log = r.log();
    const qsizetype aborted = log.indexOf(QStringLiteral("   Download aborted!"));
    QVERIFY2(aborted > 0, qPrintable(log.join('\n')));
    QCOMPARE(log.mid(aborted + 1), (QStringList{"   Start application", "      PXU 0: ok",
                                                "      PXU 2: ok", "      PXU 3: ok"}));
    QCOMPARE(modes(r, 3), QList<sim::Mode>(4, sim::Mode::Application));
    QCOMPARE(r.rig.modules.module(0).section(6).image, before);
    QVERIFY(!r.window.g_downloadStatusOk(1));
    QVERIFY(!r.window.lock().operationMode());
}

void DownloadRestartTest::abortThroughTheSpareGivesTheWaitingCylindersTheirApplicationBack() {
    DownloadRig r(sim::BusKind::MBus, QStringLiteral("PXU"), 3);
    r.forceFpga(false);
    const QByteArray application = newImage(10000, 4);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), application, 0x30000);
    QVERIFY(r.ready(3, 0, 3, {sectionBoxAppl}));
    // Abort while the spare loads cylinder 1.
    r.rig.service.addSymbolListener([&](int module, quint16 id, quint32 value) {
        if (module == 0 && id == r.spare->ids().moduleStateRw &&
            value == (quint32(kDownloadApplication) << 16 | 1u << 1))
            r.rig.time.callAfter(300'000, [&] { r.window.cmdAbort_Click(); });
    });
    r.rig.dialogs.answer(BoxAnswer::Yes);

    r.window.cmdDownload_Click();

    const QStringList log = r.log();
    const qsizetype aborted = log.indexOf(QStringLiteral("Abort of the download!"));
    QVERIFY2(aborted > 0, qPrintable(log.join('\n')));
    QCOMPARE(log.mid(aborted + 1),
             (QStringList{"   Start application", "      PXU 2: ok", "      PXU 3: ok"}));
    QCOMPARE(modes(r, 3), (QList<sim::Mode>{sim::Mode::Application, sim::Mode::Bootloader,
                                            sim::Mode::Application, sim::Mode::Application}));
    QCOMPARE(r.rig.modules.module(0).section(6).image, application);
    QVERIFY(!r.window.g_downloadStatusOk(1));
    QVERIFY(!r.window.lock().operationMode());
}

void DownloadRestartTest::mBusSpareTakingBootloader2IsNoFailure() {
    DownloadRig r(sim::BusKind::MBus, QStringLiteral("PXU"), 2);
    r.forceFpga(false);
    DownloadRig::useBaseAddresses(true);
    const QByteArray application = newImage(12000, 10);
    const QByteArray bootloader2 = newImage(3000, 13);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), application, g_baseAdrAppl);
    r.writeLoadFile(QStringLiteral("PXU_BL2.S19"), bootloader2, 0x10100);
    const auto setBootloader2 = [&](int module, int major, int minor, const QByteArray& image) {
        r.rig.modules.module(module).setSection(
            3,
            sim::makeInfoBlock(
                3, {"BL2_V031", quint32(major << 24 | minor << 16), "Jan 05 2026", 0x10100}, image),
            image);
    };
    // The spare's bootloader 2 is too old, the cylinders' are not: the spare's phase brings
    // the spare bootloader 2 alone.
    setBootloader2(0, 3, 11, newImage(2048, 9));
    for (int m = 1; m <= 2; ++m)
        setBootloader2(m, 3, 12, newImage(2048, 9));
    const QByteArray cylinderBootloader2 = r.rig.modules.module(1).section(3).image;
    QVERIFY(r.ready(2, 0, 2, {sectionBoxAppl}));

    r.window.cmdDownload_Click();

    QStringList log = r.log();
    QVERIFY(!log.contains(
        QStringLiteral("M-Bus Download aborted because download to spare has failed.")));
    const qsizetype spare = log.indexOf(QStringLiteral("   Download BL2"));
    QVERIFY2(spare > 0, qPrintable(log.join('\n')));
    QCOMPARE(log.at(spare + 1), QStringLiteral("      PXU 0: ok"));
    QCOMPARE(log.last(), QStringLiteral("M-Bus download: no download to cylinders while the "
                                        "spare runs its bootloader."));
    QCOMPARE(r.rig.dialogs.texts(),
             QStringList{"Download of Bootloader finished.\r\nAs next you need to download the "
                         "application."});
    QCOMPARE(r.rig.modules.module(0).section(3).image, bootloader2);
    QCOMPARE(r.rig.modules.module(1).section(3).image, cylinderBootloader2);
    for (int m = 0; m <= 2; ++m) {
        QCOMPARE(r.window.selection().program(m).value, int(ticked));
        QVERIFY(r.window.g_downloadStatusOk(m));
    }
    QVERIFY(!r.window.lock().operationMode());

    // The application that the box asks for next goes to the spare and through it to the
    // cylinders (the new bootloader 2 tells its own version).
    setBootloader2(0, 4, 0, bootloader2);
    r.writeLoadFile(QStringLiteral("PXU_DATA.S19"), newImage(4000, 12), g_baseAdrDC);
    r.writeLoadFile(QStringLiteral("PXU_FPGA.S19"), newImage(3000, 14), g_baseAdrFPGA);
    r.tickModules(0, 2);
    r.tickSection(sectionBoxAppl);
    r.tickSection(sectionBoxDC);
    r.window.messages().clear();

    r.window.cmdDownload_Click();

    log = r.log();
    QVERIFY(log.contains(QStringLiteral("M-Bus download: starting download to cylinders.")));
    for (int m = 0; m <= 2; ++m) {
        QCOMPARE(r.rig.modules.module(m).section(6).image, application);
        QCOMPARE(r.rig.modules.module(m).mode(), sim::Mode::Application);
        QVERIFY(r.window.g_downloadStatusOk(m));
    }
}

QTEST_MAIN(DownloadRestartTest)
#include "download_restart_test.moc"
