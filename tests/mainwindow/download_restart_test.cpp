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

QTEST_MAIN(DownloadRestartTest)
#include "download_restart_test.moc"
