#include "bus/auto_download.h"
#include "bus_rig.h"
#include "recording_receivers.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// A board whose transmitter fails on demand; it still hears the bus.
class RefusingTransport : public can::CanTransport {
public:
    RefusingTransport(can::InProcessBus& bus, const bool& refuse)
        : m_inner(bus)
        , m_refuse(refuse) {}
    qint32 open(int bitRateKbit, Handlers handlers, QString* errorText) override {
        return m_inner.open(bitRateKbit, std::move(handlers), errorText);
    }
    void close() override { m_inner.close(); }
    bool send(const can::CanFrame& frame, WriteDone done) override {
        return !m_refuse && m_inner.send(frame, std::move(done));
    }
    QString channelName() const override { return m_inner.channelName(); }

private:
    can::InProcessTransport m_inner;
    const bool& m_refuse;
};

} // namespace

class ReceivePathTest : public QObject {
    Q_OBJECT
private slots:
    void bootUpStartsAllNodesAndIsLogged();
    void variableValuesReachTheirReceivers_data();
    void variableValuesReachTheirReceivers();
    void moduleStateGoesToTheAutoDownloadTable();
    void serviceBitSwitchesAModulesReports();
    void writeSymbolAddressesTheModulesCopy_data();
    void writeSymbolAddressesTheModulesCopy();
    void userLevelAndServiceBitNeedTheBus();
    void toolHeartbeatEvery500msOnTheMBusOnly_data();
    void toolHeartbeatEvery500msOnTheMBusOnly();
    void receiveFailureIsLoggedOnceWithoutBox();
    void networkStartFailureAtBootUpIsLoggedOnceWithoutBox();
};

void ReceivePathTest::bootUpStartsAllNodesAndIsLogged() {
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));

    rig.modules.setModes(5, 5, sim::Mode::Application);
    rig.time.runFor(20);

    QCOMPARE(rig.framesOn(0x000).size(), 1);
    QCOMPARE(bytesOf(rig.framesOn(0x000)[0]), QByteArray("\x01\x00", 2));
    QCOMPARE(rig.master().panelState().statusQueue,
             QStringLiteral("Network-Event: Bootup message received   Node-No: 25\r\n"));
    QVERIFY(g_moduleDetected);

    // Heartbeats in the operational state start nothing and log nothing.
    rig.time.runFor(2500);
    QVERIFY(rig.framesOn(0x725).size() >= 3);
    QCOMPARE(rig.framesOn(0x000).size(), 1);
    QCOMPARE(rig.master().panelState().statusQueue.count(u'\n'), 1);
}

void ReceivePathTest::variableValuesReachTheirReceivers_data() {
    QTest::addColumn<int>("cobId");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("engineTypeId");
    QTest::addColumn<QString>("receiver");
    QTest::addColumn<int>("id");

    const auto value = [](quint8 lo, quint8 hi) {
        return QByteArray::fromRawData("\0\0\0\0\x01\x02\x03\x04", 8)
            .replace(0, 2, QByteArray(1, char(lo)) + char(hi));
    };
    QTest::newRow("id 0x105 from module 3")
        << 0x411 << value(0x05, 0x31) << 0 << "g_setNoOfCyl" << 0x3105;
    QTest::newRow("module 14 in the high nibble")
        << 0x411 << value(0x10, 0xE4) << 0 << "g_setFirstApplicationCrc" << 0xE410;
    QTest::newRow("hull number, first part")
        << 0x411 << value(0x00, 0x02) << 0 << "g_setHullNumber" << 0x200;
    QTest::newRow("hull number, fourth part")
        << 0x411 << value(0x03, 0x12) << 0 << "g_setHullNumber" << 0x1203;
    QTest::newRow("past the hull number") << 0x411 << value(0x04, 0x02) << 0 << "" << 0;
    QTest::newRow("engine type, eighth part")
        << 0x411 << value(0x07, 0x03) << 0x300 << "g_setEngineType" << 0x307;
    QTest::newRow("past the engine type") << 0x411 << value(0x08, 0x03) << 0x300 << "" << 0;
    QTest::newRow("unset engine type takes no id 0 to 7")
        << 0x411 << value(0x07, 0x00) << 0 << "" << 0;
    QTest::newRow("missing items do not capture id 0")
        << 0x411 << value(0x00, 0x00) << 0 << "" << 0;
    QTest::newRow("COB-ID 0x412 is ignored") << 0x412 << value(0x05, 0x01) << 0 << "" << 0;
    QTest::newRow("COB-ID 0x481 is ignored") << 0x481 << value(0x05, 0x01) << 0 << "" << 0;
    QTest::newRow("short frame is ignored") << 0x411 << value(0x05, 0x01).left(6) << 0 << "" << 0;
}

void ReceivePathTest::variableValuesReachTheirReceivers() {
    QFETCH(int, cobId);
    QFETCH(QByteArray, frame);
    QFETCH(int, engineTypeId);
    QFETCH(QString, receiver);
    QFETCH(int, id);
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    RecordingReceivers receivers;
    g_varIds.g_varIdTotNoOfCyl = 0x105;
    g_varIds.g_varIdSwInfoHullNo = 0x200;
    g_varIds.g_varIdCrcFirstApplication = 0x410;
    g_varIds.g_varIdEngineType = engineTypeId;

    can::CanFrame f{quint32(cobId), quint8(frame.size()), {}};
    std::copy(frame.begin(), frame.end(), f.data.begin());
    rig.inject(f);
    rig.inject(frameOf(0x700, {})); // a heartbeat frame without its state byte
    rig.time.runFor(20);

    if (receiver.isEmpty()) {
        QVERIFY(receivers.calls.isEmpty());
        return;
    }
    QCOMPARE(receivers.calls.size(), 1);
    QCOMPARE(receivers.calls[0].receiver, receiver);
    QCOMPARE(receivers.calls[0].id, id);
    QCOMPARE(receivers.calls[0].value, QByteArray("\x01\x02\x03\x04"));
}

void ReceivePathTest::moduleStateGoesToTheAutoDownloadTable() {
    BusRig rig(sim::BusKind::MBus, 125);
    QVERIFY(rig.open("M-Bus"));
    modAutoDownload::g_initialise();
    g_varIds.g_varIdModuleStateRo = 0x820;

    // Applications 0 and 2, bootloader 1.
    rig.inject(frameOf(0x411, {0x20, 0x08, 0, 0, 0x05, 0x00, 0x02, 0x00}));
    rig.time.runFor(20);

    const ModuleStates states = modAutoDownload::g_getAutoDwnlConnStatus();
    QCOMPARE(states[0], qint32(moduleApplicationRunning));
    QCOMPARE(states[1], qint32(moduleBootloaderRunning));
    QCOMPARE(states[2], qint32(moduleApplicationRunning));
    QCOMPARE(states[3], qint32(moduleNotConnected));
    modAutoDownload::g_initialise();
}

void ReceivePathTest::serviceBitSwitchesAModulesReports() {
    BusRig rig(sim::BusKind::MBus, 125);
    QVERIFY(rig.open("M-Bus"));
    rig.modules.setModes(0, 3, sim::Mode::Application);
    rig.service.setVariable(3, 0x402, 14);
    g_varIds.g_varIdTotNoOfCyl = 0x402;
    RecordingReceivers receivers;

    QVERIFY(rig.master().g_setServiceBit(0x402 + 3 * 4096, 1));
    rig.time.runFor(50);

    QCOMPARE(bytesOf(rig.framesOn(0x382).value(0)), QByteArray("\x02\x34\x00\x85\x01\0\0\0", 8));
    QCOMPARE(receivers.calls.size(), 1);
    QCOMPARE(receivers.calls[0].receiver, QStringLiteral("g_setNoOfCyl"));
    QCOMPARE(receivers.calls[0].id, 0x3402);
    QCOMPARE(receivers.calls[0].value, QByteArray("\x0E\0\0\0", 4));

    rig.time.runFor(1000); // reported again while the bit is on
    QVERIFY(receivers.calls.size() >= 3);

    QVERIFY(rig.master().g_setServiceBit(0x402 + 3 * 4096, 0));
    rig.time.runFor(50);
    const qsizetype reports = receivers.calls.size();
    rig.time.runFor(2000);
    QCOMPARE(receivers.calls.size(), reports);
}

void ReceivePathTest::writeSymbolAddressesTheModulesCopy_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("module");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("frame"); // empty: refused, nothing sent

    QTest::newRow("module 0") << 0x123 << 0 << QByteArray("\x78\x56\x34\x12")
                              << QByteArray("\x23\x01\x00\x80\x78\x56\x34\x12", 8);
    QTest::newRow("module 9 beyond signed 16 bits")
        << 0x821 << 9 << QByteArray("\x01\x00\x40\x00", 4)
        << QByteArray("\x21\x98\x00\x80\x01\x00\x40\x00", 8);
    QTest::newRow("module 16 does not fit the id")
        << 0x821 << 16 << QByteArray("\1\2\3\4") << QByteArray();
    QTest::newRow("value of three bytes") << 0x821 << 0 << QByteArray("\1\2\3") << QByteArray();
}

void ReceivePathTest::writeSymbolAddressesTheModulesCopy() {
    QFETCH(int, id);
    QFETCH(int, module);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, frame);
    BusRig rig(sim::BusKind::MBus, 125);
    QVERIFY(rig.open("M-Bus"));
    rig.modules.setModes(0, 14, sim::Mode::Application);
    rig.time.runFor(20);

    const bool ok = rig.master().g_writeSymbol(id, module, value);
    rig.time.runFor(20);

    QCOMPARE(ok, !frame.isEmpty());
    if (frame.isEmpty()) {
        QVERIFY(rig.framesOn(0x382).isEmpty());
        return;
    }
    QCOMPARE(rig.framesOn(0x382).size(), 1);
    QCOMPARE(bytesOf(rig.framesOn(0x382)[0]), frame);
    // Only the addressed module takes it.
    QCOMPARE(rig.service.writtenSymbols().size(), 1);
    QCOMPARE(rig.service.writtenSymbols()[0].module, module);
    QCOMPARE(int(rig.service.writtenSymbols()[0].id), id);
}

void ReceivePathTest::userLevelAndServiceBitNeedTheBus() {
    BusRig rig(sim::BusKind::MBus, 125);
    QVERIFY(!rig.master().g_setServiceBit(0x820, 1)); // before the bus is opened
    QVERIFY(!rig.master().g_setUserLevel(11));
    QVERIFY(rig.open("M-Bus"));
    rig.modules.setModes(0, 0, sim::Mode::Application);
    rig.time.runFor(20);

    QVERIFY(rig.master().g_setUserLevel(11));
    rig.time.runFor(20);

    QCOMPARE(rig.framesOn(0x382).size(), 0);
    QCOMPARE(rig.framesOn(0x482).size(), 1);
    QCOMPARE(bytesOf(rig.framesOn(0x482)[0]), QByteArray("\x8B\0\0\0\0\0\0\0", 8));
    QCOMPARE(rig.service.userLevel(0), quint8(11));
}

void ReceivePathTest::toolHeartbeatEvery500msOnTheMBusOnly_data() {
    QTest::addColumn<bool>("mBus");
    QTest::newRow("M-Bus") << true;
    QTest::newRow("S-Bus") << false;
}

void ReceivePathTest::toolHeartbeatEvery500msOnTheMBusOnly() {
    QFETCH(bool, mBus);
    BusRig rig(mBus ? sim::BusKind::MBus : sim::BusKind::SBus, mBus ? 125 : 500);
    QVERIFY(rig.open(mBus ? "M-Bus" : "S-Bus"));
    rig.modules.setModes(0, 0, sim::Mode::Application);

    rig.time.runFor(3000);

    QList<qint64> times;
    for (const auto& h : rig.heard) {
        if (h.frame.id == 0x709) {
            QCOMPARE(bytesOf(h.frame), QByteArray("\x05"));
            times << h.atUs;
        }
    }
    if (!mBus) {
        QVERIFY(times.isEmpty());
        return;
    }
    QCOMPARE(times.size(), 6);
    for (int i = 1; i < times.size(); ++i)
        QCOMPARE(times[i] - times[i - 1], qint64(500'000));
    QCOMPARE(rig.service.toolHeartbeats(0), 6);
}

void ReceivePathTest::receiveFailureIsLoggedOnceWithoutBox() {
    BusRig rig;
    QStringList sink;
    setBusMessageSink([&](const QString& text) { sink << text; });
    QVERIFY(rig.open("S-Bus"));
    const auto overflow = [&] {
        for (int i = 0; i < int(can::CanInterface::kReceiveQueueCapacity) + 10; ++i)
            rig.inject(frameOf(0x412, {quint8(i)}));
        rig.time.advanceUs(3'000'000); // no window events: nothing drains meanwhile
        rig.time.runFor(500);
    };

    overflow();
    QCOMPARE(sink, QStringList{"Read PDO 0: VCI Que Overrun"});
    overflow();
    QCOMPARE(sink.size(), 1);
    QVERIFY(rig.dialogs.shown().isEmpty());

    // A new opening of the bus logs again.
    QVERIFY(rig.open("S-Bus"));
    overflow();
    QCOMPARE(sink.size(), 2);
    QVERIFY(rig.dialogs.shown().isEmpty());
}

void ReceivePathTest::networkStartFailureAtBootUpIsLoggedOnceWithoutBox() {
    BusRig rig;
    bool refuse = false;
    can::CanInterface::setTransportFactory([&](int) -> std::unique_ptr<can::CanTransport> {
        return std::make_unique<RefusingTransport>(rig.bus, refuse);
    });
    QStringList sink;
    setBusMessageSink([&](const QString& text) { sink << text; });
    QVERIFY(rig.open("S-Bus"));
    refuse = true;

    rig.modules.setModes(5, 5, sim::Mode::Application);
    rig.time.runFor(20);
    rig.modules.setModes(6, 6, sim::Mode::Application);
    rig.time.runFor(20);

    QCOMPARE(sink, QStringList{"Set operational: VCI Transmission Error\r\nNode: 0"});
    QVERIFY(rig.dialogs.shown().isEmpty());
    QVERIFY(rig.framesOn(0x000).isEmpty());
    // Both boot-ups are still logged in the panel and count as detected modules.
    QCOMPARE(rig.master().panelState().statusQueue.count(u'\n'), 2);
    QVERIFY(g_moduleDetected);

    // A new opening of the bus logs again.
    refuse = false;
    QVERIFY(rig.open("S-Bus"));
    refuse = true;
    rig.modules.setModes(7, 7, sim::Mode::Application);
    rig.time.runFor(20);
    QCOMPARE(sink.size(), 2);
    QVERIFY(rig.dialogs.shown().isEmpty());
}

QTEST_MAIN(ReceivePathTest)
#include "receive_path_test.moc"
