// What the download checks on the modules once they run their bootloader (hardware and
// bootloader-2 versions of large-memory modules, sections at the wrong address), where a
// section goes, and the data transfer of one section in 8192-byte blocks.
#include "bus/info_block_download.h"
#include "core/sprintf.h"
#include "download_rig.h"
#include "sim/checksums.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// Bootloader 2's info block with the version major.minor (bytes 12 and 13).
QByteArray bootloader2Block(int major, int minor) {
    const QByteArray image = newImage(2048, 9);
    return sim::makeInfoBlock(
        3, {"BL2_V031", quint32(major << 24 | minor << 16), "Jan 05 2026", 0x10100}, image);
}

// The writes to program control (0x1F51) the tool sent: node, sub-index, value.
QList<QList<int>> programControlWrites(const BusRig& rig, qsizetype from) {
    QList<QList<int>> out;
    for (qsizetype i = from; i < rig.heard.size(); ++i) {
        const can::CanFrame& f = rig.heard[i].frame;
        if (f.id >= 0x601 && f.id <= 0x67F && f.data[0] == 0x2F && f.data[1] == 0x51 &&
            f.data[2] == 0x1F)
            out << QList<int>{int(f.id - 0x600), f.data[3], f.data[4]};
    }
    return out;
}

// A large-memory PXU pair on the S-Bus with application, FPGA and data-container files at
// their base addresses.
struct BigMemRig {
    BigMemRig()
        : r(sim::BusKind::SBus, QStringLiteral("PXU"), 1) {
        DownloadRig::useBaseAddresses(true);
        r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), application, g_baseAdrAppl);
        r.writeLoadFile(QStringLiteral("PXU_FPGA.S19"), newImage(3000, 11), g_baseAdrFPGA);
        r.writeLoadFile(QStringLiteral("PXU_DATA.S19"), newImage(4000, 12), g_baseAdrDC);
        r.writeLoadFile(QStringLiteral("PXU_BL2.S19"), bootloader2, 0x10100);
    }
    DownloadRig r;
    const QByteArray application = newImage(12000, 10);
    const QByteArray bootloader2 = newImage(3000, 13);
};

} // namespace

class DownloadChecksTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void hardwareBelowVersion7StopsAndGivesTheApplicationBack();
    void oldBootloader2TicksItForItsModule();
    void currentBootloader2LeavesTheApplicationAndTicksMisplacedSections();
    void fileLinkedElsewhereIsWrittenAtTheBaseAddress();
    void dataGoesIn8192ByteBlocks_data();
    void dataGoesIn8192ByteBlocks();
};

void DownloadChecksTest::hardwareBelowVersion7StopsAndGivesTheApplicationBack() {
    BigMemRig b;
    sim::HardwareInfo hardware;
    hardware.hardwareVersion = 6;
    b.r.rig.modules.module(0).setSection(1, sim::makeHardwareInfoBlock(hardware), {});
    QVERIFY(b.r.ready(1, 0, 1, {sectionBoxAppl}));

    b.r.window.cmdDownload_Click();

    QCOMPARE(b.r.log().mid(1),
             (QStringList{"Programming PXU's", "   Starting bootloader on all modules",
                          "   Start bootloader", "      PXU 0: ok", "      PXU 1: ok",
                          "   All PXU-HW-Versions must be 7 or higher!",
                          "      PXU#00 is version 6", "   Download aborted!",
                          "   Start application", "      PXU 0: ok", "      PXU 1: ok"}));
    // Sent nothing: both run their application again.
    for (int m = 0; m <= 1; ++m)
        QCOMPARE(b.r.rig.modules.module(m).mode(), sim::Mode::Application);
    QVERIFY(b.r.rig.modules.module(0).section(6).image != b.application);
    QVERIFY(!b.r.window.lock().operationMode());
}

void DownloadChecksTest::oldBootloader2TicksItForItsModule() {
    BigMemRig b;
    b.r.rig.modules.module(0).setSection(3, bootloader2Block(3, 12), newImage(2048, 9));
    b.r.rig.modules.module(1).setSection(3, bootloader2Block(3, 11), newImage(2048, 9));
    QVERIFY(b.r.ready(1, 0, 0, {sectionBoxAppl}));
    const qsizetype from = b.r.rig.heard.size();

    b.r.window.cmdDownload_Click();

    const QStringList log = b.r.log();
    const qsizetype checks = log.indexOf("   Bootloader 2 - version must be 4.00 or higher.");
    QVERIFY(checks > 0);
    QCOMPARE(log.mid(checks + 1, 4),
             (QStringList{"      Download of BL2 to PXU#01 selected!", "   Download BL2",
                          "      PXU 0: ok", "      PXU 1: ok"}));
    for (int m = 0; m <= 1; ++m) {
        QCOMPARE(b.r.rig.modules.module(m).section(3).image, b.bootloader2);
        QVERIFY(b.r.rig.modules.module(m).section(6).image != b.application);
        // The new bootloader runs after its restart; the transfer mode is found again.
        QCOMPARE(b.r.rig.modules.module(m).mode(), sim::Mode::Bootloader);
        QVERIFY(!b.r.window.g_getBootloaderVersionChange(m));
        QVERIFY(b.r.window.m_moduleUpdated[m]);
    }
    const QList<QList<int>> restarts = programControlWrites(b.r.rig, from);
    QVERIFY(restarts.contains(QList<int>{0x70, 3, 2}));
    QVERIFY(restarts.contains(QList<int>{0x71, 3, 2}));
    QCOMPARE(b.r.rig.dialogs.texts().last(),
             QStringLiteral("Download of Bootloader finished.\r\nAs next you need to download "
                            "the application."));
    const Selection& selection = b.r.window.selection();
    QCOMPARE(selection.section(sectionBoxBL2).value, int(unticked));
    QCOMPARE(selection.section(sectionBoxAppl).value, int(ticked));
    QCOMPARE(selection.section(sectionBoxDC).value, int(ticked));
    QCOMPARE(selection.program(1).value, int(ticked));
}

void DownloadChecksTest::currentBootloader2LeavesTheApplicationAndTicksMisplacedSections() {
    BigMemRig b;
    for (int m = 0; m <= 1; ++m)
        b.r.rig.modules.module(m).setSection(3, bootloader2Block(3, 12), newImage(2048, 9));
    QVERIFY(b.r.ready(1, 0, 0, {sectionBoxAppl}));

    b.r.window.cmdDownload_Click();

    const QStringList log = b.r.log();
    QVERIFY(!log.contains(QStringLiteral("   Bootloader 2 - version must be 4.00 or higher.")));
    // The modules' data containers lie where the small memory has them.
    const qsizetype dc = log.indexOf("   DC is at wrong start-address!");
    QVERIFY(dc > 0);
    QCOMPARE(log.at(dc + 1), QStringLiteral("      Download of DC is selected!"));
    QVERIFY(log.contains(QStringLiteral("   Download DataCont.")));
    const sim::Module& spare = b.r.rig.modules.module(0);
    QCOMPARE(spare.section(6).image, b.application);
    QCOMPARE(sim::readBe32(spare.section(4).infoBlock, 28), quint32(g_baseAdrDC));
    QVERIFY(b.r.rig.modules.module(1).section(6).image != b.application);
    QCOMPARE(spare.mode(), sim::Mode::Application);
}

void DownloadChecksTest::fileLinkedElsewhereIsWrittenAtTheBaseAddress() {
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 0);
    r.forceFpga(false);
    const QByteArray container = newImage(5000, 14);
    r.writeLoadFile(QStringLiteral("PXU_DATA.S19"), container, 0xC4000);
    QVERIFY(r.ready(0, 0, 0, {sectionBoxDC}));

    r.window.cmdDownload_Click();

    const QStringList log = r.log();
    const qsizetype section = log.indexOf("   Download DataCont.");
    QCOMPARE(log.mid(section + 1, 2),
             (QStringList{pxu::sprintf(QStringLiteral("      start-address moved to {*}"), 0xC0000),
                          "      PXU 0: ok"}));
    const sim::StoredSection& stored = r.rig.modules.module(0).section(4);
    QCOMPARE(stored.image, container);
    QCOMPARE(sim::readBe32(stored.infoBlock, 28), 0xC0000u);
}

void DownloadChecksTest::dataGoesIn8192ByteBlocks_data() {
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("blocks");
    QTest::newRow("nothing") << 0 << 0;
    QTest::newRow("one byte") << 1 << 1;
    QTest::newRow("exactly one block") << 8192 << 1;
    QTest::newRow("one byte more") << 8193 << 2;
    QTest::newRow("three blocks and a bit") << 3 * 8192 + 100 << 4;
}

void DownloadChecksTest::dataGoesIn8192ByteBlocks() {
    QFETCH(int, bytes);
    QFETCH(int, blocks);
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 0);
    r.rig.modules.setModes(0, 0, sim::Mode::Bootloader);
    const QByteArray image = newImage(bytes, 15);
    QVERIFY(r.connect(0));
    if (bytes > 0) {
        const QString file = r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), image, 0x30000);
        QVERIFY(modDownload::writeInfoBlock(0, 6, file, image, 0x30000));
    }
    const qsizetype from = r.rig.heard.size();
    QList<double> progress;
    QObject::connect(&r.window, &MainWindow::changed, [&] {
        if (progress.isEmpty() || progress.last() != r.window.progress())
            progress << r.window.progress();
    });

    bool ok = false;
    r.window.writeSection(0, 6, image, ok);

    const sim::Module& module = r.rig.modules.module(0);
    QCOMPARE(module.blocksWritten(), blocks);
    if (blocks == 0) {
        // Nothing written is no success.
        QVERIFY(!ok);
        QVERIFY(r.toolFrames(from).isEmpty());
        return;
    }
    QVERIFY(ok);
    QCOMPARE(module.section(6).image, image);
    QCOMPARE(module.loadingStatus(), 127);
    // Once per block, from 0; back to 0 at the end.
    QCOMPARE(progress.size(), blocks == 1 ? 1 : blocks + 1);
    QCOMPARE(progress.last(), 0.0);
    for (int b = 1; b < blocks; ++b)
        QCOMPARE(progress.at(b), double(b * 8192) / bytes);
}

QTEST_MAIN(DownloadChecksTest)
#include "download_checks_test.moc"
