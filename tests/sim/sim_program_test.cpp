#include <QCanBus>
#include <QCanBusDevice>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>
#include <memory>

#include <csignal>

class SimProgramTest : public QObject {
    Q_OBJECT
private slots:
    void answersOnEachChannelOnceReady();
    void endsCleanlyWhenAsked_data();
    void endsCleanlyWhenAsked();
    void refusesUnknownOptions();

private:
    static quint16 freePort();
    static bool waitForReady(QProcess& process);
    static std::unique_ptr<QCanBusDevice> connectClient(quint16 port, const QString& channel);
    static std::optional<QCanBusFrame> request(QCanBusDevice& device, quint32 id,
                                               const QByteArray& payload, quint32 answerId,
                                               int timeoutMs = 5000);
};

quint16 SimProgramTest::freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

bool SimProgramTest::waitForReady(QProcess& process) {
    QByteArray out;
    for (int i = 0; i < 100 && !out.contains("ready\n"); ++i) {
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
    }
    return out.contains("ready\n");
}

std::unique_ptr<QCanBusDevice> SimProgramTest::connectClient(quint16 port, const QString& channel) {
    std::unique_ptr<QCanBusDevice> device(QCanBus::instance()->createDevice(
        QStringLiteral("virtualcan"),
        QStringLiteral("tcp://127.0.0.1:%1/%2").arg(port).arg(channel)));
    if (!device || !device->connectDevice())
        return nullptr;
    QDeadlineTimer deadline(5000);
    while (device->state() != QCanBusDevice::ConnectedState && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return device->state() == QCanBusDevice::ConnectedState ? std::move(device) : nullptr;
}

std::optional<QCanBusFrame> SimProgramTest::request(QCanBusDevice& device, quint32 id,
                                                    const QByteArray& payload, quint32 answerId,
                                                    int timeoutMs) {
    device.writeFrame(QCanBusFrame(id, payload));
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        while (device.framesAvailable() > 0) {
            const QCanBusFrame frame = device.readFrame();
            if (frame.frameId() == answerId)
                return frame;
        }
    }
    return std::nullopt;
}

void SimProgramTest::answersOnEachChannelOnceReady() {
    const quint16 port = freePort();
    const QString url = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/").arg(port);
    QProcess sim;
    sim.start(QStringLiteral(PXU_SIM_PATH),
              {"--channel", url + "can0", "--modules", "0-1", "--state", "application",
               "--device-name", "ZENT-6183 sim@1", "--channel", url + "can1", "--bus", "M",
               "--modules", "0", "--state", "bootloader"});
    QVERIFY(waitForReady(sim));

    auto can0 = connectClient(port, QStringLiteral("can0"));
    auto can1 = connectClient(port, QStringLiteral("can1"));
    QVERIFY(can0 && can1);
    const QByteArray readName = QByteArray::fromHex("4008100000000000");
    const auto name = request(*can0, 0x621, readName, 0x5A1);
    QVERIFY(name);
    // Segmented, the size of "ZENT-6183 sim", which only module 1 was given.
    QCOMPARE(name->payload(), QByteArray::fromHex("410810000D000000"));
    const auto otherName = request(*can0, 0x620, readName, 0x5A0);
    QVERIFY(otherName);
    QCOMPARE(otherName->payload(), QByteArray::fromHex("4108100010000000"));
    const auto version = request(*can1, 0x67F, QByteArray::fromHex("400A100000000000"), 0x5FF);
    QVERIFY(version);
    QCOMPARE(version->payload(), QByteArray::fromHex("430A1000") + "3.10");
    // Each channel is its own bus: the M-Bus spare does not answer on can0.
    QVERIFY(!request(*can0, 0x67F, QByteArray::fromHex("400A100000000000"), 0x5FF, 300));

    sim.closeWriteChannel();
    QVERIFY(sim.waitForFinished(5000));
}

void SimProgramTest::endsCleanlyWhenAsked_data() {
    QTest::addColumn<bool>("bySignal");
    QTest::newRow("standard input closed") << false;
    QTest::newRow("SIGTERM") << true;
}

void SimProgramTest::endsCleanlyWhenAsked() {
    QFETCH(bool, bySignal);
    QProcess sim;
    sim.start(QStringLiteral(PXU_SIM_PATH),
              {"--channel", QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(freePort()),
               "--state", "bootloader"});
    QVERIFY(waitForReady(sim));
    if (bySignal)
        ::kill(pid_t(sim.processId()), SIGTERM);
    else
        sim.closeWriteChannel();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

void SimProgramTest::refusesUnknownOptions() {
    QProcess sim;
    sim.start(QStringLiteral(PXU_SIM_PATH), {"--channel", "virtualcan:can0", "--fault", "melt"});
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardError().contains("bad fault \"melt\""));
}

QTEST_GUILESS_MAIN(SimProgramTest)
#include "sim_program_test.moc"
