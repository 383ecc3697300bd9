#include "sim_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::sim;
using namespace pxu::sim::test;
using Transfer = SdoTestClient::Transfer;

Q_DECLARE_METATYPE(pxu::sim::test::SdoTestClient::Transfer)

class SdoServerTest : public QObject {
    Q_OBJECT
private slots:
    void sectionRoundTripsInEveryTransfer_data();
    void sectionRoundTripsInEveryTransfer();
    void smallValuesGoExpeditedBothWays();
    void refusedRequestsAbortWithTheirCode_data();
    void refusedRequestsAbortWithTheirCode();
    void segmentedDownloadChecksToggleBit();
    void stalledTransferIsAbortedByTimeout();
    void oldBootloaderRefusesBlockTransfer();
    void nodeZeroIsNeverAnswered();
};

void SdoServerTest::sectionRoundTripsInEveryTransfer_data() {
    QTest::addColumn<Transfer>("transfer");
    QTest::addColumn<bool>("crc");
    QTest::addColumn<int>("blockSize");
    QTest::addColumn<int>("dropSegment");
    QTest::newRow("segmented") << Transfer::Normal << false << 127 << 0;
    QTest::newRow("block with CRC") << Transfer::Block << true << 127 << 0;
    QTest::newRow("block without CRC") << Transfer::Block << false << 127 << 0;
    QTest::newRow("block with a lost segment") << Transfer::Block << true << 127 << 60;
    QTest::newRow("block in small sub-blocks") << Transfer::Block << true << 5 << 0;
}

void SdoServerTest::sectionRoundTripsInEveryTransfer() {
    QFETCH(Transfer, transfer);
    QFETCH(bool, crc);
    QFETCH(int, blockSize);
    QFETCH(int, dropSegment);
    SimRig rig;
    rig.bus.module(2).setMode(Mode::Bootloader);
    const quint8 node = 0x72;
    const QByteArray image = testImage(5000);
    const QByteArray block = makeInfoBlock(4, {"DC_TEST", 1, "Feb 02 2026", 0xC0000}, image);
    SdoTestClient::BlockOptions options{crc, quint8(blockSize), dropSegment};

    QVERIFY(rig.client.download(node, 0x5FFE, 4, block, transfer, options).ok());
    QVERIFY(rig.client.download(node, 0x1F50, 4, image, transfer, options).ok());
    QCOMPARE(rig.bus.module(2).section(4).image, image);

    const auto readBlock = rig.client.upload(node, 0x5FFE, 4, transfer, options);
    QVERIFY(readBlock.ok());
    QCOMPARE(readBlock.data, block);
    const auto readImage = rig.client.upload(node, 0x1F50, 4, transfer, options);
    QVERIFY(readImage.ok());
    QCOMPARE(readImage.data, image);
}

void SdoServerTest::smallValuesGoExpeditedBothWays() {
    SimRig rig;
    rig.bus.module(0).setMode(Mode::Application);
    QVERIFY(rig.client.download(0x20, 0x1017, 0, QByteArray("\xF4\x01", 2)).ok());
    const auto read = rig.client.upload(0x20, 0x1017, 0);
    QVERIFY(read.ok());
    QCOMPARE(read.data, QByteArray("\xF4\x01", 2));
    // The expedited answer carries the value in the initiate frame itself.
    const auto answers = rig.client.framesWithId(0x5A0);
    QCOMPARE(answers.back().data[0], quint8(0x4B));

    rig.client.clearLog();
    rig.runMs(2000);
    QCOMPARE(rig.client.framesWithId(0x720).size(), size_t(4));
}

void SdoServerTest::refusedRequestsAbortWithTheirCode_data() {
    QTest::addColumn<bool>("bootloader");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("sub");
    QTest::addColumn<QByteArray>("write"); // empty: a read
    QTest::addColumn<quint32>("code");
    QTest::newRow("unknown object") << false << 0x2000 << 0 << QByteArray() << 0x06020000u;
    QTest::newRow("unknown sub-index") << false << 0x1008 << 1 << QByteArray() << 0x06090011u;
    QTest::newRow("read-only object") << false << 0x1008 << 0 << QByteArray("abcde") << 0x06010002u;
    QTest::newRow("section object in the application")
        << false << 0x5FFE << 4 << QByteArray() << 0x06020000u;
    QTest::newRow("unknown section") << true << 0x5FFE << 5 << QByteArray() << 0x06090011u;
    QTest::newRow("info block of wrong length")
        << true << 0x5FFE << 4 << QByteArray(40, '\0') << 0x06070010u;
    QTest::newRow("data before an info block")
        << true << 0x1F50 << 4 << QByteArray(100, 'x') << 0x08000022u;
    QTest::newRow("data block above 8192 bytes")
        << true << 0x1F50 << 4 << QByteArray(8193, 'x') << 0x06070012u;
    QTest::newRow("program control with a bad value")
        << true << 0x1F51 << 6 << QByteArray(1, '\x07') << 0x06090030u;
    QTest::newRow("loading status is read-only")
        << true << 0x5FFF << 3 << QByteArray(1, '\x01') << 0x06010002u;
}

void SdoServerTest::refusedRequestsAbortWithTheirCode() {
    QFETCH(bool, bootloader);
    QFETCH(int, index);
    QFETCH(int, sub);
    QFETCH(QByteArray, write);
    QFETCH(quint32, code);
    SimRig rig;
    Module& module = rig.bus.module(1);
    module.setMode(bootloader ? Mode::Bootloader : Mode::Application);
    const quint8 node = bootloader ? module.bootloaderNode() : module.applicationNode();
    const auto result = write.isEmpty()
                            ? rig.client.upload(node, quint16(index), quint8(sub))
                            : rig.client.download(node, quint16(index), quint8(sub), write);
    QVERIFY(!result.timedOut);
    QCOMPARE(result.abort, code);
    // The abort names the object it refuses.
    const auto answer = rig.client.framesWithId(0x580u + node).back();
    QCOMPARE(answer.data[1] | answer.data[2] << 8, index);
    QCOMPARE(int(answer.data[3]), sub);
}

void SdoServerTest::segmentedDownloadChecksToggleBit() {
    SimRig rig;
    rig.bus.module(0).setMode(Mode::Bootloader);
    rig.client.send(0x670, {0x21, 0xFE, 0x5F, 0x04, 44, 0, 0, 0});
    QCOMPARE(rig.client.await(0x5F0)->data[0], quint8(0x60));
    rig.client.send(0x670, {0x10, 1, 2, 3, 4, 5, 6, 7}); // toggle set on the first segment
    const auto abort = rig.client.await(0x5F0);
    QVERIFY(abort);
    QCOMPARE(abort->data[0], quint8(0x80));
    QCOMPARE(abort->data[4] | abort->data[5] << 8 | abort->data[6] << 16 | abort->data[7] << 24,
             0x05030000);
}

void SdoServerTest::stalledTransferIsAbortedByTimeout() {
    SimRig rig;
    rig.bus.module(0).setMode(Mode::Bootloader);
    rig.client.send(0x670, {0x21, 0xFE, 0x5F, 0x04, 44, 0, 0, 0});
    QVERIFY(rig.client.await(0x5F0));
    QVERIFY(!rig.client.await(0x5F0, 900));
    const auto abort = rig.client.await(0x5F0, 200);
    QVERIFY(abort);
    QCOMPARE(abort->data[7] << 24 | abort->data[6] << 16 | abort->data[5] << 8 | abort->data[4],
             0x05040000);
    // The server is free again.
    QVERIFY(rig.client.upload(0x70, 0x100A, 0).ok());
}

void SdoServerTest::oldBootloaderRefusesBlockTransfer() {
    SimRig rig;
    rig.bus.module(0).config().bootloaderVersion = "2.15";
    rig.bus.module(0).setMode(Mode::Bootloader);
    QCOMPARE(rig.client.upload(0x70, 0x1F50, 6, Transfer::Block).abort, 0x05040001u);
    const auto version = rig.client.upload(0x70, 0x100A, 0);
    QVERIFY(version.ok());
    QCOMPARE(version.data, QByteArray("2.15"));
}

void SdoServerTest::nodeZeroIsNeverAnswered() {
    SimRig rig;
    rig.bus.setModes(0, 14, Mode::Bootloader);
    rig.client.clearLog();
    const auto result = rig.client.download(0, 0, 0, QByteArray(1, '\0'));
    QVERIFY(result.timedOut);
    for (const auto& frame : rig.client.log())
        QVERIFY2((frame.id & 0x780) != 0x580, "an SDO answer");
}

QTEST_GUILESS_MAIN(SdoServerTest)
#include "sdo_server_test.moc"
