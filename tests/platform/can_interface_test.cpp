#include "can_rig.h"
#include "platform/can/can_interface_version.h"

#include <QSignalSpy>
#include <QtTest>

using namespace pxu;
using namespace pxu::can;
using namespace pxu::test;

namespace {

using Call = std::function<qint32(CanInterface&)>;

QMap<QString, Call> everyCall() {
    static QByteArray data;
    static qint32 value = 0, waiting = 0;
    static BoardInfo info;
    return {
        {"initOption1", [](CanInterface& c) { return c.initOption1(40); }},
        {"initOption2", [](CanInterface& c) { return c.initOption2(50); }},
        {"initOption3", [](CanInterface& c) { return c.initOption3(800); }},
        {"startCan", [](CanInterface& c) { return c.startCan(); }},
        {"stopCan", [](CanInterface& c) { return c.stopCan(); }},
        {"readSdo",
         [](CanInterface& c) { return c.readSdo(0x22, 0x1018, 1, data, value, true, false); }},
        {"writeSdo",
         [](CanInterface& c) { return c.writeSdo(0x22, 0x1017, 0, "\x01\x02", true, false); }},
        {"setSdoTimeout", [](CanInterface& c) { return c.setSdoTimeout(3000); }},
        {"readMessage", [](CanInterface& c) { return c.readMessage(value, data, waiting); }},
        {"sendMessage", [](CanInterface& c) { return c.sendMessage(0x382, QByteArray(8, 0)); }},
        {"sendHeartbeat", [](CanInterface& c) { return c.sendHeartbeat(9, 5); }},
        {"startNode", [](CanInterface& c) { return c.startNode(0); }},
        {"releaseNode", [](CanInterface& c) { return c.releaseNode(0x22); }},
        {"getBoardInfo", [](CanInterface& c) { return c.getBoardInfo(info); }},
    };
}

QMap<QString, Call> badCalls() {
    static QByteArray data;
    static qint32 size = 0;
    return {
        {"COB-ID beyond 11 bits", [](CanInterface& c) { return c.sendMessage(0x800, {}); }},
        {"nine data bytes", [](CanInterface& c) { return c.sendMessage(0x382, QByteArray(9, 0)); }},
        {"heartbeat of node 128", [](CanInterface& c) { return c.sendHeartbeat(128, 5); }},
        {"start of node 128", [](CanInterface& c) { return c.startNode(128); }},
        {"SDO index beyond 16 bits",
         [](CanInterface& c) { return c.readSdo(0x22, 0x10000, 0, data, size, true, false); }},
        {"SDO to node 128",
         [](CanInterface& c) { return c.writeSdo(128, 0x1017, 0, "\x01\x02", true, false); }},
        {"SDO timeout 0", [](CanInterface& c) { return c.setSdoTimeout(0); }},
    };
}

// A channel on the in-process bus whose writes and loss the test decides, as a device's
// would come: written after a while, refused after a while, never answered, or the channel
// gone.
class DeviceTransport : public CanTransport {
public:
    enum class Write { Written, Refused, NoAnswer };

    DeviceTransport(InProcessBus& bus, Scheduler& scheduler)
        : m_inner(bus)
        , m_scheduler(scheduler) {}
    qint32 open(int bitRateKbit, Handlers handlers, QString* errorText) override {
        m_lost = handlers.lost;
        return m_inner.open(bitRateKbit, std::move(handlers), errorText);
    }
    void close() override {
        // Its I/O thread told the loss just as the board was opened anew.
        if (lostAsClosed)
            m_lost(QStringLiteral("CAN channel %1 was lost").arg(channelName()));
        m_inner.close();
    }
    bool send(const CanFrame& frame, WriteDone done) override {
        if (m_gone)
            return false;
        switch (write) {
        case Write::Written:
            m_scheduler.callAfter(answerUs, [this, frame, done] {
                m_inner.send(frame, {});
                done(true);
            });
            break;
        case Write::Refused:
            m_scheduler.callAfter(answerUs, [done] { done(false); });
            break;
        case Write::NoAnswer:
            break;
        }
        return true;
    }
    QString channelName() const override { return m_inner.channelName(); }

    // The device goes away afterUs from now.
    void loseChannel(qint64 afterUs = 0) {
        m_scheduler.callAfter(afterUs, [this] {
            m_gone = true;
            m_lost(QStringLiteral("CAN channel %1 was lost").arg(channelName()));
        });
    }

    Write write = Write::Written;
    qint64 answerUs = 0;
    bool lostAsClosed = false;

private:
    InProcessTransport m_inner;
    Scheduler& m_scheduler;
    std::function<void(const QString&)> m_lost;
    bool m_gone = false;
};

// The boards the rig opens from now on are DeviceTransports; made names the last one.
void openThroughDevices(CanRig& rig, DeviceTransport*& made) {
    CanInterface::setTransportFactory([&rig, &made](int) -> std::unique_ptr<CanTransport> {
        auto device = std::make_unique<DeviceTransport>(rig.bus, rig.time);
        made = device.get();
        return device;
    });
}

} // namespace

Q_DECLARE_METATYPE(DeviceTransport::Write)

class CanInterfaceTest : public QObject {
    Q_OBJECT
private slots:
    void callsWithoutOpenBoardFailAtOnce_data();
    void callsWithoutOpenBoardFailAtOnce();
    void busCallsBeforeStartCanAnswerPassiveMode();
    void startCanTwiceAnswersAlreadyStarted();
    void initBoardFailsWithReason_data();
    void initBoardFailsWithReason();
    void framesGoOutAsCanopenWantsThem();
    void frameSendSucceedsOnlyOnceWritten_data();
    void frameSendSucceedsOnlyOnceWritten();
    void lostChannelFailsTheRunningTransferAndLaterCalls();
    void lossToldAsTheBoardReopensIsNotTheNewChannels();
    void badArgumentsAnswerParameterError_data();
    void badArgumentsAnswerParameterError();
    void boardInfoAndVersionDescribeTheChannel();
    void sdoTimeoutOfLaterTransfersIsTheOneSet();
};

void CanInterfaceTest::callsWithoutOpenBoardFailAtOnce_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<bool>("afterStop");
    for (const QString& name : everyCall().keys()) {
        QTest::newRow(qPrintable(name + " before initBoard")) << name << false;
        QTest::newRow(qPrintable(name + " after stopCan")) << name << true;
    }
}

void CanInterfaceTest::callsWithoutOpenBoardFailAtOnce() {
    QFETCH(QString, call);
    QFETCH(bool, afterStop);
    CanRig rig;
    rig.modules.module(2).setMode(sim::Mode::Application);
    if (afterStop) {
        QVERIFY(rig.open());
        QCOMPARE(rig.can.stopCan(), result::kSuccess);
    }
    rig.heard.clear();
    const qint64 start = rig.time.nowUs();

    QCOMPARE(everyCall().value(call)(rig.can), result::kInterfaceError);
    QCOMPARE(rig.time.nowUs(), start);
    rig.time.runFor(5);
    QVERIFY(rig.framesOn(0x000).isEmpty() && rig.framesOn(0x622).isEmpty());
}

void CanInterfaceTest::busCallsBeforeStartCanAnswerPassiveMode() {
    CanRig rig;
    QCOMPARE(rig.can.initBoard(0x01050F00, 0, 125, 48891), result::kSuccess);
    QCOMPARE(rig.can.initOption3(800), result::kSuccess);
    for (const char* name : {"readSdo", "writeSdo", "sendMessage", "sendHeartbeat", "startNode"})
        QCOMPARE(everyCall().value(QLatin1String(name))(rig.can), result::kPassiveMode);
    QByteArray data;
    qint32 cobId = 0, waiting = 0;
    QCOMPARE(rig.can.readMessage(cobId, data, waiting), result::kQueueEmpty);
}

void CanInterfaceTest::startCanTwiceAnswersAlreadyStarted() {
    CanRig rig;
    QVERIFY(rig.open());
    QCOMPARE(rig.can.startCan(), result::kAlreadyStarted);
}

void CanInterfaceTest::initBoardFailsWithReason_data() {
    QTest::addColumn<int>("board");
    QTest::addColumn<int>("bitRate");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason");
    QTest::newRow("board without channel")
        << 1 << 125 << result::kHardwareError << "no CAN channel for board 1";
    QTest::newRow("bit rate of another bus")
        << 0 << 500 << result::kParameterError << "runs at 125 kbit/s, not at 500 kbit/s";
    QTest::newRow("no bit rate") << 0 << 0 << result::kParameterError << "no CAN bit rate";
}

void CanInterfaceTest::initBoardFailsWithReason() {
    QFETCH(int, board);
    QFETCH(int, bitRate);
    QFETCH(int, code);
    QFETCH(QString, reason);
    CanRig rig;
    QSignalSpy errors(&rig.can, &CanInterface::errorEvent);

    QCOMPARE(rig.can.initBoard(0x01050F00, board, bitRate, 48891), code);

    QVERIFY2(rig.can.lastErrorText().contains(reason), qPrintable(rig.can.lastErrorText()));
    QCOMPARE(rig.can.startCan(), result::kInterfaceError);
    rig.time.doEvents();
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().at(0).toInt(), code);
}

void CanInterfaceTest::framesGoOutAsCanopenWantsThem() {
    CanRig rig;
    QVERIFY(rig.open());
    rig.heard.clear();

    QCOMPARE(rig.can.startNode(0), 1);
    QCOMPARE(rig.can.startNode(0x22), 1);
    QCOMPARE(rig.can.sendHeartbeat(9, 5), 1);
    QCOMPARE(rig.can.sendMessage(0x382, QByteArray::fromHex("2301008078563412")), 1);
    QCOMPARE(rig.can.releaseNode(0x22), 1);
    rig.time.runFor(5);

    const QList<CanFrame> expected{
        frameOf(0x000, {0x01, 0x00}), frameOf(0x000, {0x01, 0x22}), frameOf(0x709, {0x05}),
        frameOf(0x382, {0x23, 0x01, 0x00, 0x80, 0x78, 0x56, 0x34, 0x12})};
    QCOMPARE(rig.framesOn(), expected);
}

void CanInterfaceTest::frameSendSucceedsOnlyOnceWritten_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<DeviceTransport::Write>("write");
    QTest::addColumn<int>("answerMs");
    QTest::addColumn<bool>("lost");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("waitedMs");
    QTest::addColumn<QString>("reason");
    using W = DeviceTransport::Write;
    for (const QString call : {"sendMessage", "sendHeartbeat", "startNode"}) {
        const auto row = [&call](const char* name, W write, int answerMs, bool lost, int code,
                                 int waitedMs, const char* reason) {
            QTest::addRow("%s, %s", qPrintable(call), name)
                << call << write << answerMs << lost << code << waitedMs << QString(reason);
        };
        row("written", W::Written, 0, false, result::kSuccess, 0, "");
        row("written after 60 ms", W::Written, 60, false, result::kSuccess, 60, "");
        row("refused after 10 ms", W::Refused, 10, false, result::kTransmissionError, 10,
            "not written");
        row("no answer", W::NoAnswer, 0, false, result::kTransmissionError, 100,
            "not written within 100 ms");
        row("channel lost while waiting", W::NoAnswer, 0, true, result::kHardwareError, 30,
            "was lost");
    }
}

void CanInterfaceTest::frameSendSucceedsOnlyOnceWritten() {
    QFETCH(QString, call);
    QFETCH(DeviceTransport::Write, write);
    QFETCH(int, answerMs);
    QFETCH(bool, lost);
    QFETCH(int, code);
    QFETCH(int, waitedMs);
    QFETCH(QString, reason);
    CanRig rig;
    DeviceTransport* device = nullptr;
    openThroughDevices(rig, device);
    QVERIFY(rig.open());
    device->write = write;
    device->answerUs = answerMs * 1000;
    if (lost)
        device->loseChannel(30'000);
    rig.heard.clear();
    const qint64 start = rig.time.nowMs();

    QCOMPARE(everyCall().value(call)(rig.can), code);

    QCOMPARE(rig.time.nowMs() - start, waitedMs);
    QVERIFY2(rig.can.lastErrorText().contains(reason), qPrintable(rig.can.lastErrorText()));
    QCOMPARE(rig.can.channelLost(), lost);
    rig.time.runFor(5);
    QCOMPARE(rig.heard.size(), code == result::kSuccess ? 1 : 0);
    if (lost) {
        // Every later call fails at once, without a frame.
        for (const char* later : {"sendMessage", "sendHeartbeat", "startNode", "writeSdo"})
            QCOMPARE(everyCall().value(QLatin1String(later))(rig.can), result::kHardwareError);
        QCOMPARE(rig.time.nowMs() - start, waitedMs + 5);
    }
}

void CanInterfaceTest::lostChannelFailsTheRunningTransferAndLaterCalls() {
    CanRig rig;
    DeviceTransport* device = nullptr;
    openThroughDevices(rig, device);
    rig.modules.module(2).setMode(sim::Mode::Application);
    QVERIFY(rig.open());
    QByteArray data;
    qint32 size = 0;
    QCOMPARE(rig.can.readSdo(0x22, 0x1018, 1, data, size, true, false), result::kSuccess);
    device->loseChannel(1000); // long before the slowed answer
    rig.modules.module(2).faults().slowAnswerUs = 150'000;
    const qint64 start = rig.time.nowUs();

    QCOMPARE(rig.can.readSdo(0x22, 0x1018, 1, data, size, true, false), result::kHardwareError);

    QCOMPARE(rig.time.nowUs() - start, 1000);
    QVERIFY(rig.can.channelLost());
    QVERIFY2(rig.can.lastErrorText().endsWith(QStringLiteral("was lost")),
             qPrintable(rig.can.lastErrorText()));
    QCOMPARE(rig.can.readSdo(0x22, 0x1018, 1, data, size, true, false), result::kHardwareError);
    QCOMPARE(rig.time.nowUs() - start, 1000);
    // A new opening of the board finds the channel again.
    QVERIFY(rig.open());
    QVERIFY(!rig.can.channelLost());
    rig.modules.module(2).faults().slowAnswerUs = 0;
    QCOMPARE(rig.can.readSdo(0x22, 0x1018, 1, data, size, true, false), result::kSuccess);
}

void CanInterfaceTest::lossToldAsTheBoardReopensIsNotTheNewChannels() {
    CanRig rig;
    DeviceTransport* device = nullptr;
    openThroughDevices(rig, device);
    rig.modules.module(2).setMode(sim::Mode::Application);
    QVERIFY(rig.open());
    device->lostAsClosed = true;

    QVERIFY(rig.open());

    QVERIFY(!rig.can.channelLost());
    QVERIFY(rig.can.lostChannelText().isEmpty());
    QByteArray data;
    qint32 size = 0;
    QCOMPARE(rig.can.readSdo(0x22, 0x1018, 1, data, size, true, false), result::kSuccess);
}

void CanInterfaceTest::badArgumentsAnswerParameterError_data() {
    QTest::addColumn<QString>("call");
    for (const QString& name : badCalls().keys())
        QTest::newRow(qPrintable(name)) << name;
}

void CanInterfaceTest::badArgumentsAnswerParameterError() {
    QFETCH(QString, call);
    CanRig rig;
    QVERIFY(rig.open());
    rig.heard.clear();
    QCOMPARE(badCalls().value(call)(rig.can), result::kParameterError);
    rig.time.runFor(5);
    QVERIFY(rig.heard.isEmpty());
}

void CanInterfaceTest::boardInfoAndVersionDescribeTheChannel() {
    CanRig rig;
    QVERIFY(rig.open());
    BoardInfo info;
    QCOMPARE(rig.can.getBoardInfo(info), 1);
    QCOMPARE(info.hardwareName, QStringLiteral("in-process bus"));
    QCOMPARE(info.apiVersion, quint16(0x0200));
    double version = 0;
    QCOMPARE(CanInterfaceVersion().getDllVersion(version), 1);
    QCOMPARE(version, 2.0);
}

void CanInterfaceTest::sdoTimeoutOfLaterTransfersIsTheOneSet() {
    CanRig rig;
    rig.modules.module(2).setMode(sim::Mode::Application);
    QVERIFY(rig.open());
    rig.modules.module(2).faults().silent = true;
    QByteArray data;
    qint32 size = 0;
    QCOMPARE(rig.can.setSdoTimeout(3000), 1);
    qint64 start = rig.time.nowMs();
    QCOMPARE(rig.can.readSdo(0x22, 0x1018, 1, data, size, true, false), result::kGeneralError);
    QVERIFY(rig.time.nowMs() - start >= 3000 && rig.time.nowMs() - start < 3005);
    QCOMPARE(rig.can.setSdoTimeout(200), 1);
    start = rig.time.nowMs();
    QCOMPARE(rig.can.readSdo(0x22, 0x1018, 1, data, size, true, false), result::kGeneralError);
    QVERIFY(rig.time.nowMs() - start >= 200 && rig.time.nowMs() - start < 205);
}

QTEST_GUILESS_MAIN(CanInterfaceTest)
#include "can_interface_test.moc"
