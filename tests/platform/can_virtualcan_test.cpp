#include "platform/can/can_interface.h"
#include "platform/can/socketcan_state.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using namespace pxu;
using namespace pxu::can;

namespace {

constexpr quint8 kApplication = 0x22; // S-Bus module 2
constexpr quint8 kBootloader = 0x73;  // S-Bus module 3

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

#ifdef PXU_SIM_PROGRAM
// The simulator program on a virtualcan channel of its own, whose hub it hosts; board 0
// names that channel.
bool startSimulatorOnBoard0(QProcess& sim) {
    const QString channel = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(freePort());
    qputenv("PXU_CAN_BOARD0", channel.toLatin1());
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(PXU_SIM_PROGRAM),
              {"--channel", channel, "--bus", "S", "--modules", "2", "--state", "application",
               "--modules", "3", "--state", "bootloader"});
    if (!sim.waitForStarted(5000))
        return false;
    QByteArray said;
    while (!said.contains("ready\n") && sim.waitForReadyRead(10000))
        said += sim.readAllStandardOutput();
    return said.contains("ready\n");
}
#endif

} // namespace

// The interface through the QCanBus transport: channels that cannot be opened, and the
// simulator program as a separate process on its own virtualcan port.
class CanVirtualcanTest : public QObject {
    Q_OBJECT
private slots:
    void channelThatCannotOpenFailsInitBoard_data();
    void channelThatCannotOpenFailsInitBoard();
    void framesPassBetweenInterfacesAndSurviveReopening();
    void readsAndWritesModulesOfSimulatorProcess();
    void sendsFailOnceTheChannelsHostIsGone();
    void socketcanInterfaceStateTellsWhyNoFramePasses_data();
    void socketcanInterfaceStateTellsWhyNoFramePasses();
    void socketcanInterfaceFlagsAreTheSystems();
};

void CanVirtualcanTest::channelThatCannotOpenFailsInitBoard_data() {
    QTest::addColumn<QString>("channel");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such interface")
        << "socketcan:pxunone0" << result::kHardwareError << "socketcan:pxunone0 cannot be opened";
    QTest::newRow("no such plugin")
        << "nosuchplugin:can0" << result::kHardwareError << "nosuchplugin:can0 cannot be created";
    QTest::newRow("no plugin named")
        << "can0" << result::kParameterError << "is not of the form plugin:interface";
}

void CanVirtualcanTest::channelThatCannotOpenFailsInitBoard() {
    QFETCH(QString, channel);
    QFETCH(int, code);
    QFETCH(QString, reason);
    qputenv("PXU_CAN_BOARD1", channel.toLatin1());
    CanInterface can;
    QCOMPARE(can.initBoard(0x01050F00, 1, 500, 48891), code);
    QVERIFY2(can.lastErrorText().contains(reason), qPrintable(can.lastErrorText()));
    QCOMPARE(can.startCan(), result::kInterfaceError);
    qunsetenv("PXU_CAN_BOARD1");
}

void CanVirtualcanTest::framesPassBetweenInterfacesAndSurviveReopening() {
    const QByteArray channel =
        QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can1").arg(freePort()).toLatin1();
    qputenv("PXU_CAN_BOARD0", channel);
    qputenv("PXU_CAN_BOARD1", channel);
    CanInterface sender, receiver;
    QSignalSpy arrived(&receiver, &CanInterface::signalEvent);
    QCOMPARE(sender.initBoard(0x01050F00, 0, 125, 48891), result::kSuccess);
    QCOMPARE(sender.startCan(), result::kSuccess);
    const auto reopenReceiver = [&] {
        QCOMPARE(receiver.initBoard(0x01050F00, 1, 125, 48891), result::kSuccess);
        QCOMPARE(receiver.startCan(), result::kSuccess);
    };
    const auto passes = [&](quint8 mark) {
        const QByteArray payload = QByteArray::fromHex("23010080785634") + char(mark);
        arrived.clear();
        QCOMPARE(sender.sendMessage(0x382, payload), result::kSuccess);
        QTRY_VERIFY_WITH_TIMEOUT(arrived.size() >= 1, 5000);
        qint32 cobId = 0, waiting = -1;
        QByteArray data;
        QCOMPARE(receiver.readMessage(cobId, data, waiting), result::kSuccess);
        QCOMPARE(cobId, 0x382);
        QCOMPARE(data, payload);
        QCOMPARE(waiting, 0);
    };
    reopenReceiver();
    passes(1);
    // The first device opened started the channel's hub; it outlives that device.
    QCOMPARE(sender.stopCan(), result::kSuccess);
    QCOMPARE(receiver.stopCan(), result::kSuccess);
    QCOMPARE(sender.initBoard(0x01050F00, 0, 125, 48891), result::kSuccess);
    QCOMPARE(sender.startCan(), result::kSuccess);
    reopenReceiver();
    passes(2);
    qunsetenv("PXU_CAN_BOARD0");
    qunsetenv("PXU_CAN_BOARD1");
}

void CanVirtualcanTest::readsAndWritesModulesOfSimulatorProcess() {
#ifndef PXU_SIM_PROGRAM
    QSKIP("the simulator program is not built");
#else
    QProcess sim;
    QVERIFY2(startSimulatorOnBoard0(sim), qPrintable(sim.errorString()));

    CanInterface can;
    QCOMPARE(can.initBoard(0x01050F00, 0, 500, 48891), result::kSuccess);
    QCOMPARE(can.startCan(), result::kSuccess);
    QCOMPARE(can.setSdoTimeout(1000), result::kSuccess); // real time, on a loaded machine

    QByteArray data;
    qint32 size = 0;
    QCOMPARE(can.readSdo(kApplication, 0x1008, 0, data, size, true, false), result::kSuccess);
    QCOMPARE(data, QByteArray("ZENT-6183 PXU-20"));

    QCOMPARE(can.writeSdo(kApplication, 0x1017, 0, QByteArray("\xF4\x01", 2), true, false),
             result::kSuccess);
    QCOMPARE(can.readSdo(kApplication, 0x1017, 0, data, size, true, false), result::kSuccess);
    QCOMPARE(data, QByteArray("\xF4\x01", 2));

    QByteArray infoBlock;
    QCOMPARE(can.readSdo(kBootloader, 0x5FFE, 4, infoBlock, size, false, true), result::kSuccess);
    QCOMPARE(size, 44);
    QByteArray image;
    QCOMPARE(can.readSdo(kBootloader, 0x1F50, 4, image, size, false, true), result::kSuccess);
    QVERIFY(size > 1000);
    // The same section back: the info block opens it, the data follows as a block transfer.
    QCOMPARE(can.writeSdo(kBootloader, 0x5FFE, 4, infoBlock, false, true), result::kSuccess);
    QCOMPARE(can.writeSdo(kBootloader, 0x1F50, 4, image, false, true), result::kSuccess);
    QCOMPARE(can.readSdo(kBootloader, 0x100A, 0, data, size, true, false), result::kSuccess);
    QCOMPARE(data, QByteArray("3.10"));

    // The application's heartbeats came through the receive queue meanwhile.
    bool heard = false;
    const auto heardHeartbeat = [&] {
        qint32 cobId = 0, waiting = 0;
        QByteArray frame;
        while (can.readMessage(cobId, frame, waiting) == result::kSuccess)
            heard = heard || (cobId == 0x700 + kApplication && frame == QByteArray(1, '\x05'));
        return heard;
    };
    QTRY_VERIFY_WITH_TIMEOUT(heardHeartbeat(), 5000);

    QCOMPARE(can.stopCan(), result::kSuccess);
    qunsetenv("PXU_CAN_BOARD0");
    sim.closeWriteChannel();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
#endif
}

void CanVirtualcanTest::sendsFailOnceTheChannelsHostIsGone() {
#ifndef PXU_SIM_PROGRAM
    QSKIP("the simulator program is not built");
#else
    QProcess sim;
    QVERIFY2(startSimulatorOnBoard0(sim), qPrintable(sim.errorString()));
    CanInterface can;
    QCOMPARE(can.initBoard(0x01050F00, 0, 500, 48891), result::kSuccess);
    QCOMPARE(can.startCan(), result::kSuccess);
    QCOMPARE(can.sendHeartbeat(9, 5), result::kSuccess);
    QCOMPARE(can.sendMessage(0x382, QByteArray(8, '\0')), result::kSuccess);

    sim.kill();
    QVERIFY(sim.waitForFinished(5000));
    // Frames handed over before the loss showed may still count as written; from the first
    // failure on every call fails.
    qint32 first = result::kSuccess;
    QTRY_VERIFY_WITH_TIMEOUT((first = can.sendHeartbeat(9, 5)) != result::kSuccess, 5000);

    QCOMPARE(first, result::kHardwareError);
    QVERIFY(can.channelLost());
    QVERIFY2(can.lastErrorText().contains(QStringLiteral("was lost")),
             qPrintable(can.lastErrorText()));
    // The text names the channel, for the line that stops a sequence.
    const QString channel = QString::fromLatin1(qgetenv("PXU_CAN_BOARD0"));
    QVERIFY2(can.lostChannelText().startsWith(QStringLiteral("CAN channel ") + channel +
                                              QStringLiteral(" was lost")),
             qPrintable(can.lostChannelText()));
    QCOMPARE(can.sendMessage(0x382, QByteArray(8, '\0')), result::kHardwareError);
    QCOMPARE(can.startNode(0), result::kHardwareError);
    QCOMPARE(can.writeSdo(kApplication, 0x1017, 0, QByteArray("\xF4\x01", 2), true, false),
             result::kHardwareError);
    // The lost device is closed without a word on the console.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("disconnect an unconnected device")));
    QCOMPARE(can.stopCan(), result::kSuccess);
    QVERIFY(!can.channelLost());
    QVERIFY(can.lostChannelText().isEmpty());
    qunsetenv("PXU_CAN_BOARD0");
#endif
}

void CanVirtualcanTest::socketcanInterfaceStateTellsWhyNoFramePasses_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("reason");
    QTest::newRow("up with carrier") << true << true << true << QString();
    QTest::newRow("adapter unplugged") << false << false << false << "the interface is gone";
    QTest::newRow("set down") << true << false << false << "the interface is down";
    QTest::newRow("bus-off") << true << true << false << "the interface has no carrier (bus-off)";
}

void CanVirtualcanTest::socketcanInterfaceStateTellsWhyNoFramePasses() {
    QFETCH(bool, exists);
    QFETCH(bool, up);
    QFETCH(bool, running);
    QFETCH(QString, reason);
    QCOMPARE(socketcanLossReason(InterfaceFlags{exists, up, running}), reason);
}

void CanVirtualcanTest::socketcanInterfaceFlagsAreTheSystems() {
    const InterfaceFlags loopback = socketcanInterfaceFlags(QStringLiteral("lo"));
    QVERIFY(loopback.exists && loopback.up && loopback.running);
    QCOMPARE(socketcanLossReason(loopback), QString());
    QCOMPARE(socketcanLossReason(socketcanInterfaceFlags(QStringLiteral("pxunone0"))),
             QStringLiteral("the interface is gone"));
}

QTEST_GUILESS_MAIN(CanVirtualcanTest)
#include "can_virtualcan_test.moc"
