// Info blocks written to and read back from simulated bootloaders, and the loading
// status, with the node rules of the S-Bus, the M-Bus and the KEV type.
#include "bus/info_block_download.h"
#include "bus/info_block_upload.h"
#include "bus/section_info_block.h"
#include "bus_rig.h"
#include "sample_config.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;
using namespace pxu::modDownload;
using namespace pxu::modUpload;
using test::BusRig;

namespace {

QByteArray sampleImage() {
    QByteArray image;
    for (int i = 0; i < 64; ++i)
        image.append(char(i % 16));
    return image;
}

QString hexOf(const QByteArray& block, int offset) {
    return QStringLiteral("0x") + QString::fromLatin1(block.mid(offset, 4).toHex().toUpper());
}

// Requests the tool sent to an SDO server.
int requestsTo(const BusRig& rig, int node) {
    return int(rig.framesOn(0x600 + node).size());
}

struct Rig {
    explicit Rig(sim::BusKind kind = sim::BusKind::SBus, int bitRate = 500)
        : rig(kind, bitRate) {}
    bool open(const QString& bus) { return config.ok() && rig.open(bus); }
    // A load file with a known modification time.
    QString loadFile(const QString& name) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("S0030000FC\n") < 0)
            return {};
        file.close();
        if (!file.open(QIODevice::ReadWrite) ||
            !file.setFileTime(QDateTime(QDate(2025, 10, 3), QTime(12, 0)),
                              QFileDevice::FileModificationTime))
            return {};
        return path;
    }
    BusRig rig;
    test::SampleConfig config;
    QTemporaryDir dir;
};

} // namespace

class InfoBlockTransferTest : public QObject {
    Q_OBJECT
private slots:
    void writtenBlockIsStoredAndReadBackByteForByte();
    void hardwareBlockIsWrittenLargeAndReadFromFixedOffsets();
    void loadingStatusFollowsTheDownload();
    void failedReadsGiveNoValues();
    void startAddressAndVersionComeFromTheBlocks();
    void mBusReadsCylindersAtSBusBaseButWritesDirectly();
    void kevBlocksCarryTheirIdAndStatusSubIndexZero();
};

void InfoBlockTransferTest::writtenBlockIsStoredAndReadBackByteForByte() {
    Rig r;
    r.rig.modules.module(2).setMode(sim::Mode::Bootloader);
    QVERIFY(r.open(QStringLiteral("S-Bus")));
    const QString file = r.loadFile(QStringLiteral("PXU_DATA.S19"));
    QVERIFY(writeInfoBlock(2, 4, file, sampleImage(), 0xC0000));
    const QByteArray block = buildInfoBlock(4, file, sampleImage(), 0xC0000);
    QCOMPARE(r.rig.modules.module(2).section(4).infoBlock.toHex(), block.toHex());
    QCOMPARE(g_getLoadingStatus(2, false), qint16(loadingInfoBlockAccepted));

    ModuleInfoTable table;
    QVERIFY(g_uploadInfoBlocks(2, table));
    QCOMPARE(table.size(), kInfoRows);
    QCOMPARE(table[1], (QStringList{"", "44", "DATA.S19", "---", "Oct 03 2025", "0x000C0000", "64",
                                    "0xC7785ABA", hexOf(block, 40), "---", "---", "---"}));
    const QByteArray hardware = r.rig.modules.module(2).section(1).infoBlock;
    QCOMPARE(table[5],
             (QStringList{"", "312", "PXU20HW", "7", "05 / 2026", "0x00000000", "0", "0x00000000",
                          hexOf(hardware, 308), "1002", "&H0100", "&H0200"}));
    QCOMPARE(table[4].mid(2, 2), (QStringList{"BL1_V031", "3.10"}));
    QCOMPARE(table[3].mid(2, 2), (QStringList{"BL2_V031", "3.10"}));
    QCOMPARE(table[0].mid(2, 2), (QStringList{"ZENT", "---"}));
    QCOMPARE(table[0][5], QStringLiteral("0x00030000"));
    QVERIFY(r.rig.dialogs.shown().isEmpty());
}

void InfoBlockTransferTest::hardwareBlockIsWrittenLargeAndReadFromFixedOffsets() {
    Rig r;
    r.rig.modules.module(1).setMode(sim::Mode::Bootloader);
    QVERIFY(r.open(QStringLiteral("S-Bus")));
    const QString file = r.loadFile(QStringLiteral("PXU_HWIB.S19"));
    QVERIFY(writeInfoBlock(1, 1, file, sampleImage(), 0x10100));
    const QByteArray stored = r.rig.modules.module(1).section(1).infoBlock;
    QCOMPARE(stored.size(), 312);
    QCOMPARE(stored.mid(296).toHex(),
             buildInfoBlock(1, file, sampleImage(), 0x10100).mid(296).toHex());
    ModuleInfoTable table;
    QVERIFY(g_uploadInfoBlocks(1, table));
    // Code Length and Code CRC come from 32 and 36, the block's CRC from 308.
    QCOMPARE(table[5][6], QStringLiteral("0"));
    QCOMPARE(table[5][7], QStringLiteral("0x00000000"));
    QCOMPARE(table[5][8], hexOf(stored, 308));
    QCOMPARE(table[5][2], QStringLiteral("HWIB.S19"));
}

void InfoBlockTransferTest::loadingStatusFollowsTheDownload() {
    Rig r;
    r.rig.modules.module(3).setMode(sim::Mode::Bootloader);
    QVERIFY(r.open(QStringLiteral("S-Bus")));
    QCOMPARE(g_getLoadingStatus(3, false), qint16(0));
    const QByteArray image = sampleImage();
    QVERIFY(writeInfoBlock(3, 7, r.loadFile(QStringLiteral("PXU_FPGA.S19")), image, 0xD0000));
    QCOMPARE(g_getLoadingStatus(3, false), qint16(loadingInfoBlockAccepted));
    QVERIFY(r.rig.master().g_writeSDO(0x73, 0x1F50, 7, qint32(image.size()), image, true, 3000));
    QCOMPARE(g_getLoadingStatus(3, false), qint16(loadingDataAccepted));
    QVERIFY(r.rig.time.runUntil(
        [] { return g_getLoadingStatus(3, true) == loadingFlashProgrammed; }, 3000));
    QCOMPARE(r.rig.modules.module(3).section(7).image, image);
}

void InfoBlockTransferTest::failedReadsGiveNoValues() {
    Rig r;
    r.rig.modules.module(2).setMode(sim::Mode::Bootloader);
    QVERIFY(r.open(QStringLiteral("S-Bus")));
    QCOMPARE(g_getLoadingStatus(5, true), qint16(loadingNoAnswer));
    QVERIFY(r.rig.dialogs.shown().isEmpty());
    QCOMPARE(g_getLoadingStatus(5, false), qint16(loadingNoAnswer));
    QCOMPARE(r.rig.dialogs.shown().size(), 1);
    QCOMPARE(r.rig.dialogs.shown().first().title, QStringLiteral("CANopen ERROR"));

    r.rig.dialogs.clear();
    ModuleInfoTable table;
    QVERIFY(!g_uploadInfoBlocks(5, table));
    QCOMPARE(table, ModuleInfoTable{QStringList{QString()}});
    QCOMPARE(r.rig.dialogs.shown().size(), 1); // the first unreadable section ends the reading
    QCOMPARE(g_uploadStartAdr(5, 6), 0);
    QCOMPARE(g_uploadVersionInfo(5, 3), QString());
    QCOMPARE(r.rig.dialogs.shown().size(), 3);
}

void InfoBlockTransferTest::startAddressAndVersionComeFromTheBlocks() {
    Rig r;
    r.rig.modules.module(2).setMode(sim::Mode::Bootloader);
    QVERIFY(r.open(QStringLiteral("S-Bus")));
    QCOMPARE(g_uploadStartAdr(2, 6), 0x30000);
    QCOMPARE(g_uploadStartAdr(2, 3), 0x10100);
    QCOMPARE(g_uploadVersionInfo(2, 2), QStringLiteral("3.10"));
    QCOMPARE(g_uploadVersionInfo(2, 3), QStringLiteral("3.10"));
    QCOMPARE(g_uploadVersionInfo(2, 1), QStringLiteral("7"));
}

void InfoBlockTransferTest::mBusReadsCylindersAtSBusBaseButWritesDirectly() {
    Rig r(sim::BusKind::MBus, 125);
    r.rig.modules.setModes(0, 3, sim::Mode::Bootloader);
    QVERIFY(r.open(QStringLiteral("M-Bus")));
    QCOMPARE(g_uploadVersionInfo(3, 2), QStringLiteral("3.10"));
    QCOMPARE(g_getLoadingStatus(3, false), qint16(0));
    QVERIFY(requestsTo(r.rig, 0x73) >= 2);
    QCOMPARE(g_uploadVersionInfo(0, 2), QStringLiteral("3.10"));
    QVERIFY(requestsTo(r.rig, 0x7F) >= 1);

    const QString file = r.loadFile(QStringLiteral("PXU_DATA.S19"));
    QVERIFY(writeInfoBlock(0, 4, file, sampleImage(), 0xC0000));
    // A cylinder's block would go to the M-Bus bootloader base: no such node.
    const QByteArray before = r.rig.modules.module(3).section(4).infoBlock;
    QVERIFY(!writeInfoBlock(3, 4, file, sampleImage(), 0xC0000));
    QCOMPARE(r.rig.modules.module(3).section(4).infoBlock, before);
    QVERIFY(r.rig.dialogs.shown().isEmpty()); // the writer is quiet
}

void InfoBlockTransferTest::kevBlocksCarryTheirIdAndStatusSubIndexZero() {
    Rig r(sim::BusKind::Kev, 125);
    r.rig.modules.module(1).setMode(sim::Mode::Bootloader);
    g_KEVMode = true;
    QVERIFY(r.open(QStringLiteral("S-Bus")));
    QVERIFY(
        writeInfoBlock(1, 1, r.loadFile(QStringLiteral("KEV_BL2.S19")), sampleImage(), 0x10100));
    const QByteArray stored = r.rig.modules.module(1).section(1).infoBlock;
    QCOMPARE(stored.size(), 312);
    QCOMPARE(stored.mid(4, 8), QByteArray("KEV20APP"));
    QCOMPARE(g_getLoadingStatus(1, false), qint16(loadingInfoBlockAccepted));
    QCOMPARE(r.rig.master().sdoTimeout(), 200);
}

QTEST_MAIN(InfoBlockTransferTest)
#include "info_block_transfer_test.moc"
