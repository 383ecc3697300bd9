#include "sim/checksums.h"
#include "sim_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::sim;
using namespace pxu::sim::test;

Q_DECLARE_METATYPE(pxu::sim::BusKind)

namespace {

constexpr quint8 kNode = 0x70; // S-Bus module 0 bootloader

// Writes the image in blocks of 8192 bytes as the tool does; false at the first failure.
bool writeData(SimRig& rig, quint8 node, int section, const QByteArray& image) {
    for (qsizetype offset = 0; offset < image.size(); offset += 8192) {
        if (!rig.client
                 .download(node, 0x1F50, quint8(section), image.mid(offset, 8192),
                           SdoTestClient::Transfer::Block)
                 .ok())
            return false;
    }
    return true;
}

} // namespace

class SectionLoadingTest : public QObject {
    Q_OBJECT
private slots:
    void infoBlockChecksSetTheLoadingStatus_data();
    void infoBlockChecksSetTheLoadingStatus();
    void loadingStatusFollowsTheDownload_data();
    void loadingStatusFollowsTheDownload();
    void hardwareBlockShows127WhileProgrammed_data();
    void hardwareBlockShows127WhileProgrammed();
    void uploadReadsStoredSectionBlockByBlock();
    void defaultSectionsCarryValidInfoBlocks();
};

void SectionLoadingTest::infoBlockChecksSetTheLoadingStatus_data() {
    QTest::addColumn<int>("section");
    QTest::addColumn<quint32>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("spoilAt"); // byte changed after sealing, -1 none
    QTest::addColumn<int>("status");
    QTest::newRow("valid application") << 6 << 0x30000u << 1000 << -1 << 1;
    QTest::newRow("valid bootloader 2") << 3 << 0x10100u << 1000 << -1 << 1;
    QTest::newRow("size field wrong") << 6 << 0x30000u << 1000 << 3 << 0x10;
    QTest::newRow("checksum wrong") << 6 << 0x30000u << 1000 << 20 << 0x11;
    QTest::newRow("start below the application area") << 4 << 0x2FF00u << 100 << -1 << 0x12;
    QTest::newRow("bootloader 2 below its area") << 3 << 0x10000u << 100 << -1 << 0x12;
    QTest::newRow("code beyond flash") << 7 << 0x1FFF00u << 0x101 << -1 << 0x12;
    QTest::newRow("hardware block") << 1 << 0u << 0 << -1 << 1;
}

void SectionLoadingTest::infoBlockChecksSetTheLoadingStatus() {
    QFETCH(int, section);
    QFETCH(quint32, start);
    QFETCH(int, length);
    QFETCH(int, spoilAt);
    QFETCH(int, status);
    SimRig rig;
    rig.bus.module(0).setMode(Mode::Bootloader);
    const QByteArray before = rig.bus.module(0).section(section).infoBlock;
    QByteArray block = makeInfoBlock(section, {"TEST", 1, "Mar 03 2026", start}, testImage(length));
    if (spoilAt >= 0)
        block[spoilAt] = char(block[spoilAt] ^ 0x01);
    if (spoilAt == 3)
        sealInfoBlock(block); // only the size is wrong

    QVERIFY(rig.client.download(kNode, 0x5FFE, quint8(section), block).ok());
    QCOMPARE(rig.loadingStatus(0), status);
    // A refused block leaves the stored one as it was.
    const QByteArray stored = rig.client.upload(kNode, 0x5FFE, quint8(section)).data;
    QCOMPARE(stored, status == 1 ? block : before);
}

void SectionLoadingTest::loadingStatusFollowsTheDownload_data() {
    QTest::addColumn<BusKind>("bus");
    QTest::addColumn<int>("flashDone");
    QTest::addColumn<int>("extraBytes"); // sent beyond the announced length
    QTest::addColumn<bool>("corrupt");   // a data byte differs from the checksummed image
    QTest::addColumn<int>("afterData");
    QTest::addColumn<int>("afterFlash");
    QTest::newRow("PXU") << BusKind::SBus << 255 << 0 << false << 127 << 255;
    QTest::newRow("PXU finishing with 0") << BusKind::MBus << 0 << 0 << false << 127 << 0;
    QTest::newRow("KEV") << BusKind::Kev << 255 << 0 << false << 0 << 0;
    QTest::newRow("TOQ") << BusKind::Toq << 255 << 0 << false << 0 << 0;
    QTest::newRow("too much data") << BusKind::SBus << 255 << 10 << false << 0x20 << 0x20;
    QTest::newRow("checksum error") << BusKind::SBus << 255 << 0 << true << 0x21 << 0x21;
}

void SectionLoadingTest::loadingStatusFollowsTheDownload() {
    QFETCH(BusKind, bus);
    QFETCH(int, flashDone);
    QFETCH(int, extraBytes);
    QFETCH(bool, corrupt);
    QFETCH(int, afterData);
    QFETCH(int, afterFlash);
    SimRig rig(bus);
    Module& module = rig.bus.module(0);
    module.config().flashDoneStatus = quint8(flashDone);
    module.config().flashProgrammingUs = 2'000'000;
    module.setMode(Mode::Bootloader);
    const quint8 node = module.bootloaderNode();

    const QByteArray image = testImage(20000);
    QVERIFY(rig.client
                .download(node, 0x5FFE, 6, makeInfoBlock(6, {"ZENT", 1, "", 0x30000}, image),
                          SdoTestClient::Transfer::Block)
                .ok());
    QCOMPARE(rig.loadingStatus(0), 1);
    QByteArray sent = image + testImage(extraBytes, 9);
    if (corrupt)
        sent[12345] = char(sent[12345] ^ 0x40);
    QVERIFY(writeData(rig, node, 6, sent.left(16384)));
    QCOMPARE(rig.loadingStatus(0), 1); // still waiting for data
    QVERIFY(writeData(rig, node, 6, sent.mid(16384)));
    QCOMPARE(rig.loadingStatus(0), afterData);
    rig.runMs(1900);
    QCOMPARE(rig.loadingStatus(0), afterData);
    rig.runMs(200);
    QCOMPARE(rig.loadingStatus(0), afterFlash);
    QCOMPARE(module.section(6).image, sent);
    QCOMPARE(module.blocksWritten(), 3);
}

void SectionLoadingTest::hardwareBlockShows127WhileProgrammed_data() {
    QTest::addColumn<bool>("stuck");
    QTest::addColumn<int>("after");
    QTest::newRow("programmed") << false << 1;
    QTest::newRow("status stuck") << true << 127;
}

void SectionLoadingTest::hardwareBlockShows127WhileProgrammed() {
    QFETCH(bool, stuck);
    QFETCH(int, after);
    SimRig rig;
    Module& module = rig.bus.module(0);
    module.config().hardwareBlockProgrammingUs = 500'000;
    module.faults().statusStuck = stuck;
    module.setMode(Mode::Bootloader);
    HardwareInfo info;
    info.serial = 4711;
    const QByteArray block = makeHardwareInfoBlock(info);
    QVERIFY(rig.client.download(kNode, 0x5FFE, 1, block).ok());
    QCOMPARE(rig.loadingStatus(0), 127);
    rig.runMs(400);
    QCOMPARE(rig.loadingStatus(0), 127);
    rig.runMs(200);
    QCOMPARE(rig.loadingStatus(0), after);
    QCOMPARE(module.section(1).infoBlock, block);
}

void SectionLoadingTest::uploadReadsStoredSectionBlockByBlock() {
    SimRig rig;
    Module& module = rig.bus.module(0);
    module.setMode(Mode::Bootloader);
    const QByteArray image = testImage(20000, 3);
    module.setSection(6, makeInfoBlock(6, {"DORN", 1, "", 0x30000}, image), image);

    const auto block = rig.client.upload(kNode, 0x5FFE, 6);
    QVERIFY(block.ok());
    QCOMPARE(infoBlockCodeLength(block.data), 20000u);
    QList<qsizetype> sizes;
    QByteArray read;
    while (read.size() < 20000) {
        const auto r = rig.client.upload(kNode, 0x1F50, 6, SdoTestClient::Transfer::Block);
        QVERIFY(r.ok());
        sizes << r.data.size();
        read += r.data;
    }
    QCOMPARE(sizes, (QList<qsizetype>{8192, 8192, 3616}));
    QCOMPARE(crc32(read), infoBlockCodeChecksum(block.data));
    // Reading the info block again starts the section over.
    QVERIFY(rig.client.upload(kNode, 0x5FFE, 6).ok());
    QCOMPARE(rig.client.upload(kNode, 0x1F50, 6).data, image.left(8192));
}

void SectionLoadingTest::defaultSectionsCarryValidInfoBlocks() {
    SimRig rig(BusKind::Lorin);
    const Module& module = rig.bus.module(9);
    const QList<int> numbers{1, 2, 3, 4, 6, 7};
    for (int number : numbers) {
        const StoredSection& s = module.section(number);
        QCOMPARE(s.infoBlock.size(), number == 1 ? 312 : 44);
        QCOMPARE(infoBlockSizeField(s.infoBlock), quint32(s.infoBlock.size()));
        QVERIFY(infoBlockChecksumValid(s.infoBlock));
        if (number != 1) {
            QCOMPARE(infoBlockCodeLength(s.infoBlock), quint32(s.image.size()));
            QCOMPARE(infoBlockCodeChecksum(s.infoBlock), crc32(s.image));
        }
    }
    QCOMPARE(module.section(6).infoBlock.mid(4, 4), QByteArray("LORX"));
    QCOMPARE(readBe32(module.section(1).infoBlock, 20), 1009u);
}

QTEST_GUILESS_MAIN(SectionLoadingTest)
#include "section_loading_test.moc"
