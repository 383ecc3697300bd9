#include "bus/auto_download.h"
#include "bus_rig.h"
#include "platform/can/can_result.h"
#include "support/losable_channel.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// Client command specifiers of SDO requests.
constexpr int kDownloadInitiate = 1;
constexpr int kBlockDownload = 6;

// The specifier of the first download request to the node.
int firstDownloadRequest(const BusRig& rig, int node) {
    for (const can::CanFrame& f : rig.framesOn(0x600 + node)) {
        const int ccs = f.data[0] >> 5;
        if (ccs == kDownloadInitiate || ccs == kBlockDownload)
            return ccs;
    }
    return -1;
}

// Upload requests for the software version object.
int versionReads(const BusRig& rig, int node) {
    int reads = 0;
    for (const can::CanFrame& f : rig.framesOn(0x600 + node))
        reads += (f.data[0] >> 5) == 2 && f.data[1] == 0x0A && f.data[2] == 0x10;
    return reads;
}

} // namespace

class SdoTransfersTest : public QObject {
    Q_OBJECT
private slots:
    void transferModeFollowsSizeNodeAndVersion_data();
    void transferModeFollowsSizeNodeAndVersion();
    void resetTransferModeDecidesAgain();
    void timeoutArgumentHoldsForOneCall();
    void failureTextNamesNodeIndexAndSubIndex_data();
    void failureTextNamesNodeIndexAndSubIndex();
    void lostChannelFailsAtOnceWithOneBoxThatNamesIt();
    void bootloaderVersionIsReadFromItsText_data();
    void bootloaderVersionIsReadFromItsText();
    void hardwareVersionText_data();
    void hardwareVersionText();
    void searchNodeAsksHeartbeatOrAutoDownloadTable();
};

void SdoTransfersTest::transferModeFollowsSizeNodeAndVersion_data() {
    QTest::addColumn<bool>("mBus");
    QTest::addColumn<QString>("dllVersion");
    QTest::addColumn<QByteArray>("bootVersion");
    QTest::addColumn<bool>("blockTransfer");
    QTest::addColumn<bool>("bootloader");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("block");

    QTest::newRow("255 bytes to bootloader 3.00")
        << false << "2" << QByteArray("3.00") << false << true << 1 << 255 << false;
    QTest::newRow("256 bytes to bootloader 3.00")
        << false << "2" << QByteArray("3.00") << false << true << 1 << 256 << true;
    QTest::newRow("256 bytes to an application")
        << false << "2" << QByteArray("3.00") << false << false << 1 << 256 << false;
    QTest::newRow("component version 1.0")
        << false << "1" << QByteArray("3.10") << false << true << 1 << 256 << false;
    QTest::newRow("bootloader 2.15")
        << false << "2" << QByteArray("2.15") << false << true << 1 << 256 << false;
    QTest::newRow("bootloader 2.15 with block transfer allowed")
        << false << "2" << QByteArray("2.15") << true << true << 1 << 256 << true;
    QTest::newRow("version text V3.00")
        << false << "2" << QByteArray("V3.00") << false << true << 1 << 256 << false;
    QTest::newRow("version text 3.0 (three characters)")
        << false << "2" << QByteArray("3.0") << false << true << 1 << 256 << false;
    QTest::newRow("M-Bus spare bootloader")
        << true << "2" << QByteArray("3.10") << false << true << 0 << 256 << true;
    QTest::newRow("M-Bus cylinder bootloader on the S-Bus base")
        << true << "2" << QByteArray("3.10") << false << true << 3 << 256 << true;
    QTest::newRow("M-Bus module 14 bootloader")
        << true << "2" << QByteArray("3.10") << false << true << 14 << 256 << true;
}

void SdoTransfersTest::transferModeFollowsSizeNodeAndVersion() {
    QFETCH(bool, mBus);
    QFETCH(QString, dllVersion);
    QFETCH(QByteArray, bootVersion);
    QFETCH(bool, blockTransfer);
    QFETCH(bool, bootloader);
    QFETCH(int, module);
    QFETCH(int, size);
    QFETCH(bool, block);

    BusRig rig(mBus ? sim::BusKind::MBus : sim::BusKind::SBus, mBus ? 125 : 500);
    QVERIFY(rig.open(mBus ? "M-Bus" : "S-Bus"));
    g_canInterfaceVersion = dllVersion;
    rig.master().setBlockTransfer(blockTransfer);
    sim::Module& m = rig.modules.module(module);
    m.config().bootloaderVersion = bootVersion;
    m.setMode(bootloader ? sim::Mode::Bootloader : sim::Mode::Application);
    rig.time.runFor(20);
    const int node = bootloader ? m.bootloaderNode() : m.applicationNode();

    // Quiet: the simulated module may refuse what it is sent; the request is what counts.
    for (int k = 0; k < 2; ++k)
        rig.master().g_writeSDO(quint8(node), 0x1F50, 6, size, QByteArray(size, 'x'), true, 0);

    QCOMPARE(firstDownloadRequest(rig, node), block ? kBlockDownload : kDownloadInitiate);
    // The decision is taken once per module; applications and old components never ask.
    const bool asks = bootloader && dllVersion != QLatin1String("1");
    QCOMPARE(versionReads(rig, node), asks ? 1 : 0);
    QVERIFY(rig.dialogs.shown().isEmpty());
}

void SdoTransfersTest::resetTransferModeDecidesAgain() {
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    sim::Module& m = rig.modules.module(2);
    m.config().bootloaderVersion = "2.15";
    m.setMode(sim::Mode::Bootloader);
    rig.time.runFor(20);
    const QByteArray data(300, 'x');

    rig.master().g_writeSDO(0x72, 0x1F50, 6, 300, data, true, 0);
    QCOMPARE(rig.master().sdoTransferMode(2), 1);
    m.config().bootloaderVersion = "3.10"; // a new bootloader
    rig.heard.clear();
    rig.master().g_writeSDO(0x72, 0x1F50, 6, 300, data, true, 0);
    QCOMPARE(firstDownloadRequest(rig, 0x72), kDownloadInitiate);

    rig.master().g_resetSDOTransferMode(2);
    rig.heard.clear();
    rig.master().g_writeSDO(0x72, 0x1F50, 6, 300, data, true, 0);
    QCOMPARE(firstDownloadRequest(rig, 0x72), kBlockDownload);
    QCOMPARE(rig.master().sdoTransferMode(2), 0);
    QCOMPARE(rig.master().sdoTransferMode(3), 2);
}

void SdoTransfersTest::timeoutArgumentHoldsForOneCall() {
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    sim::Module& m = rig.modules.module(1);
    m.setMode(sim::Mode::Application);
    m.faults().slowAnswerUs = 1'000'000;
    rig.time.runFor(20);
    const QByteArray beat("\xE8\x03", 2);

    QVERIFY(!rig.master().g_writeSDO(0x21, 0x1017, 0, 2, beat, true, 0));
    rig.time.runFor(2000); // the late answer passes
    QVERIFY(rig.master().g_writeSDO(0x21, 0x1017, 0, 2, beat, true, 3000));
    QCOMPARE(rig.master().sdoTimeout(), 200);

    qint32 size = 0;
    QByteArray data;
    QVERIFY(!rig.master().g_readSDO(0x21, 0x1017, 0, size, data, false, true));
    QVERIFY(rig.dialogs.shown().isEmpty());
}

void SdoTransfersTest::failureTextNamesNodeIndexAndSubIndex_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("subIndex");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<QString>("text");

    QTest::newRow("read of a silent node")
        << "read" << 0x22 << 0x1009 << 0 << false
        << "Read SDO: VCI General Error\r\nNode: 34 Index: 0x1009  Sub-Index: 0x0";
    QTest::newRow("read beyond 16-bit index")
        << "read" << 32 << 0x10000 << 0x1A << false
        << "Read SDO: VCI Parameter Error\r\nNode: 32 Index: 0x10000  Sub-Index: 0x1A";
    QTest::newRow("write to a silent node")
        << "write" << 0x22 << 0x1017 << 0 << false
        << "Write SDO: VCI General Error\r\nNode: 34 Index: 0x1017  Sub-Index: 0x0";
    QTest::newRow("start of node 128") << "start" << 128 << -1 << 255 << false
                                       << "Set operational: VCI Parameter Error\r\nNode: 128";
    QTest::newRow("quiet read") << "read" << 0x22 << 0x1009 << 0 << true << "";
    QTest::newRow("quiet start") << "start" << 128 << -1 << 255 << true << "";
}

void SdoTransfersTest::failureTextNamesNodeIndexAndSubIndex() {
    QFETCH(QString, operation);
    QFETCH(int, node);
    QFETCH(int, index);
    QFETCH(int, subIndex);
    QFETCH(bool, quiet);
    QFETCH(QString, text);
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));

    bool ok = true;
    qint32 size = 0;
    QByteArray data;
    if (operation == QLatin1String("read"))
        ok =
            rig.master().g_readSDO(quint8(node), index, quint8(subIndex), size, data, false, quiet);
    else if (operation == QLatin1String("write"))
        ok = rig.master().g_writeSDO(quint8(node), index, quint8(subIndex), 2, QByteArray(2, '\0'),
                                     quiet);
    else
        ok = rig.master().g_setOperational(quint8(node), quiet);

    QVERIFY(!ok);
    if (quiet) {
        QVERIFY(rig.dialogs.shown().isEmpty());
        return;
    }
    QCOMPARE(rig.dialogs.shown().size(), 1);
    QCOMPARE(rig.dialogs.shown()[0].title, QStringLiteral("CANopen ERROR"));
    QCOMPARE(rig.dialogs.shown()[0].icon, BoxIcon::Critical);
    QCOMPARE(rig.dialogs.shown()[0].text, text);
    // Only the network start raises the target's error signal.
    QCOMPARE(rig.log.errorSignals,
             operation == QLatin1String("start") ? QList<bool>{true} : QList<bool>{});
}

void SdoTransfersTest::lostChannelFailsAtOnceWithOneBoxThatNamesIt() {
    BusRig rig;
    LosableChannel channel(rig.bus);
    channel.install();
    rig.modules.setModes(2, 2, sim::Mode::Application);
    QVERIFY(rig.open("S-Bus"));
    const auto operationsFail = [&] {
        qint32 size = 0;
        QByteArray data;
        const qint64 startMs = rig.time.nowMs();
        return !rig.master().g_readSDO(0x22, 0x1009, 0, size, data) &&
               !rig.master().g_writeSDO(0x22, 0x1017, 0, 2, QByteArray(2, '\0')) &&
               !rig.master().g_setOperational(0, false) && rig.time.nowMs() == startMs;
    };
    const QString box = QStringLiteral("Read SDO: VCI Hardware / Software Error\r\nNode: 34 Index: "
                                       "0x1009  Sub-Index: 0x0\r\nCAN channel in-process bus was "
                                       "lost");

    channel.lose();
    QVERIFY(rig.master().channelLost());
    QVERIFY(operationsFail());
    QVERIFY(operationsFail());
    QCOMPARE(rig.dialogs.texts(), QStringList{box});

    // Opened again, the channel works; its next loss is told again.
    channel.reconnect();
    QVERIFY(rig.open("S-Bus"));
    QVERIFY(!rig.master().channelLost());
    qint32 size = 0;
    QByteArray data;
    QVERIFY(rig.master().g_readSDO(0x22, 0x1009, 0, size, data));
    channel.lose();
    QVERIFY(operationsFail());
    QCOMPARE(rig.dialogs.texts(), (QStringList{box, box}));
}

void SdoTransfersTest::bootloaderVersionIsReadFromItsText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("version");
    QTest::newRow("3.00") << QByteArray("3.00") << 3.0;
    QTest::newRow("2.15") << QByteArray("2.15") << 2.15;
    QTest::newRow("V3.00") << QByteArray("V3.00") << 0.0;
    QTest::newRow("0.99") << QByteArray("0.99") << 0.0;
    QTest::newRow("three characters 3.0") << QByteArray("3.0") << 0.0;
    QTest::newRow("3.0 and a zero byte") << QByteArray("3.0\0", 4) << 0.0;
    QTest::newRow("no dot 310") << QByteArray("310 ") << 0.0;
}

void SdoTransfersTest::bootloaderVersionIsReadFromItsText() {
    QFETCH(QByteArray, text);
    QFETCH(double, version);
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    rig.modules.module(4).config().bootloaderVersion = text;
    rig.modules.module(4).setMode(sim::Mode::Bootloader);
    rig.time.runFor(20);

    double read = -1;
    rig.master().g_getBootLoaderVersion(0x74, read);

    QCOMPARE(read, version);
    QVERIFY(rig.dialogs.shown().isEmpty());
}

void SdoTransfersTest::hardwareVersionText_data() {
    QTest::addColumn<bool>("mBus");
    QTest::addColumn<int>("module");
    QTest::addColumn<bool>("bootloader");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("text");

    QTest::newRow("2 and a zero byte")
        << false << 1 << false << QByteArray("2\0", 2) << false << "2";
    QTest::newRow("2.1") << false << 1 << true << QByteArray("2.1") << false << "2.1";
    QTest::newRow("first byte zero") << false << 1 << false
                                     << QByteArray("\0"
                                                   "7",
                                                   2)
                                     << false << "X";
    QTest::newRow("no answer") << false << 1 << false << QByteArray("2") << true << "?";
    QTest::newRow("M-Bus spare application")
        << true << 0 << false << QByteArray("5") << false << "5";
    QTest::newRow("M-Bus spare bootloader") << true << 0 << true << QByteArray("6") << false << "6";
    QTest::newRow("M-Bus cylinder application at 0x20 + module")
        << true << 3 << false << QByteArray("8") << false << "8";
    QTest::newRow("M-Bus cylinder bootloader at 0x70 + module")
        << true << 3 << true << QByteArray("9") << false << "9";
}

void SdoTransfersTest::hardwareVersionText() {
    QFETCH(bool, mBus);
    QFETCH(int, module);
    QFETCH(bool, bootloader);
    QFETCH(QByteArray, answer);
    QFETCH(bool, silent);
    QFETCH(QString, text);
    BusRig rig(mBus ? sim::BusKind::MBus : sim::BusKind::SBus, mBus ? 125 : 500);
    QVERIFY(rig.open(mBus ? "M-Bus" : "S-Bus"));
    sim::Module& m = rig.modules.module(module);
    m.config().hardwareVersion = answer;
    m.setMode(bootloader ? sim::Mode::Bootloader : sim::Mode::Application);
    m.faults().silent = silent;
    rig.time.runFor(20);

    QString read;
    rig.master().g_getHardwareVersion(module, bootloader, read);

    QCOMPARE(read, text);
    QVERIFY(rig.dialogs.shown().isEmpty());
}

void SdoTransfersTest::searchNodeAsksHeartbeatOrAutoDownloadTable() {
    {
        BusRig rig;
        QVERIFY(rig.open("S-Bus"));
        rig.modules.setModes(2, 2, sim::Mode::Application);
        rig.time.runFor(250);
        qint32 last = -9;
        QVERIFY(rig.master().g_searchNode(2, quint8(g_cobIdApplication), true, last));
        QCOMPARE(last, can::result::kSuccess);
        QVERIFY(!rig.master().g_searchNode(2, quint8(g_cobIdBootloader), true, last));
        QVERIFY(!rig.master().g_searchNode(3, quint8(g_cobIdApplication), true, last));
    }
    {
        BusRig rig(sim::BusKind::MBus, 125);
        QVERIFY(rig.open("M-Bus"));
        modAutoDownload::g_initialise();
        rig.modules.setModes(0, 3, sim::Mode::Application); // heartbeats of 0 to 3
        rig.time.runFor(250);
        qint32 last = 0;
        QVERIFY(rig.master().g_searchNode(0, quint8(g_cobIdApplication), true, last));
        // Cylinder modules are followed by the auto-download table alone.
        QVERIFY(!rig.master().g_searchNode(3, quint8(g_cobIdApplication), true, last));
        modAutoDownload::g_setModuleStatus(QByteArray("\x00\x00\x08\x00", 4), 0x820);
        QVERIFY(rig.master().g_searchNode(3, quint8(g_cobIdBootloader), true, last));
        modAutoDownload::g_initialise();
    }
}

QTEST_MAIN(SdoTransfersTest)
#include "sdo_transfers_test.moc"
