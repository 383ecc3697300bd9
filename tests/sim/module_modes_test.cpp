#include "sim_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::sim;
using namespace pxu::sim::test;

Q_DECLARE_METATYPE(pxu::sim::BusKind)

namespace {

QByteArray byte(quint8 value) {
    return QByteArray(1, char(value));
}

bool isBootUp(const can::CanFrame& f, quint8 node) {
    return f.id == 0x700u + node && f.length == 1 && f.data[0] == 0;
}

} // namespace

class ModuleModesTest : public QObject {
    Q_OBJECT
private slots:
    void modeSwitchesRebootOnTheBusNodeIds_data();
    void modeSwitchesRebootOnTheBusNodeIds();
    void switchIsConfirmedBeforeTheModuleGoesQuiet();
    void nmtCommandsSetTheReportedState();
    void mBusCylinderAnswersHardwareVersionOnItsFixedNode();
    void identityObjectsAnswer();
};

void ModuleModesTest::modeSwitchesRebootOnTheBusNodeIds_data() {
    QTest::addColumn<BusKind>("bus");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("application");
    QTest::addColumn<int>("bootloader");
    QTest::addColumn<bool>("bootloaderBeats");
    QTest::addColumn<int>("toBootloaderSub");
    QTest::addColumn<int>("toApplicationSub");
    QTest::newRow("S-Bus") << BusKind::SBus << 5 << 0x25 << 0x75 << true << 3 << 6;
    QTest::newRow("M-Bus spare") << BusKind::MBus << 0 << 0x11 << 0x7F << true << 3 << 6;
    QTest::newRow("M-Bus cylinder") << BusKind::MBus << 3 << 0x14 << 0x73 << false << 3 << 6;
    QTest::newRow("KEV") << BusKind::Kev << 2 << 0x52 << 0x42 << true << 1 << 2;
    QTest::newRow("TOQ") << BusKind::Toq << 1 << 0x31 << 0x21 << true << 1 << 2;
    QTest::newRow("LORIN") << BusKind::Lorin << 14 << 0x1F << 0x7F << true << 3 << 6;
}

void ModuleModesTest::modeSwitchesRebootOnTheBusNodeIds() {
    QFETCH(BusKind, bus);
    QFETCH(int, module);
    QFETCH(int, application);
    QFETCH(int, bootloader);
    QFETCH(bool, bootloaderBeats);
    QFETCH(int, toBootloaderSub);
    QFETCH(int, toApplicationSub);
    SimRig rig(bus);
    auto& client = rig.client;
    const auto app = quint8(application);
    const auto boot = quint8(bootloader);

    rig.bus.module(module).setMode(Mode::Application);
    QVERIFY(isBootUp(client.log().at(0), app));
    rig.runMs(3000);
    const auto beats = client.framesWithId(0x700u + app);
    QCOMPARE(beats.size(), size_t(4)); // boot-up and one a second
    QCOMPARE(beats.back().data[0], quint8(5));
    QVERIFY(client.upload(app, 0x1008, 0).ok());
    QVERIFY(client.upload(boot, 0x100A, 0).timedOut);

    // Application to bootloader.
    QVERIFY(client.download(app, 0x1F51, quint8(toBootloaderSub), byte(1)).ok());
    client.clearLog();
    rig.runMs(3000);
    QVERIFY(client.framesWithId(0x700u + app).empty());
    const auto bootBeats = client.framesWithId(0x700u + boot);
    QCOMPARE(bootBeats.size(), bootloaderBeats ? size_t(3) : size_t(0));
    if (bootloaderBeats)
        QVERIFY(isBootUp(bootBeats.front(), boot));
    QCOMPARE(rig.bus.module(module).mode(), Mode::Bootloader);
    const auto version = client.upload(boot, 0x100A, 0);
    QVERIFY(version.ok());
    QCOMPARE(version.data, QByteArray("3.10"));
    QVERIFY(client.upload(app, 0x1008, 0).timedOut);

    // Bootloader restart.
    client.clearLog();
    QVERIFY(client.download(boot, 0x1F51, quint8(toBootloaderSub), byte(2)).ok());
    rig.runMs(200);
    QCOMPARE(client.framesWithId(0x700u + boot).size(), bootloaderBeats ? size_t(1) : size_t(0));
    QCOMPARE(rig.bus.module(module).mode(), Mode::Bootloader);

    // Bootloader to application.
    client.clearLog();
    QVERIFY(client.download(boot, 0x1F51, quint8(toApplicationSub), byte(1)).ok());
    rig.runMs(200);
    QCOMPARE(rig.bus.module(module).mode(), Mode::Application);
    QVERIFY(isBootUp(client.framesWithId(0x700u + app).at(0), app));
}

void ModuleModesTest::switchIsConfirmedBeforeTheModuleGoesQuiet() {
    SimRig rig;
    Module& module = rig.bus.module(0);
    module.config().modeSwitchDelayUs = 500'000;
    module.setMode(Mode::Application);
    QVERIFY(rig.client.download(0x20, 0x1F51, 3, byte(1)).ok());
    rig.runMs(1);
    QVERIFY(module.switching());
    QCOMPARE(module.mode(), Mode::Off);
    QVERIFY(rig.client.upload(0x20, 0x1008, 0).timedOut);
    rig.runMs(400);
    QCOMPARE(module.mode(), Mode::Bootloader);
}

void ModuleModesTest::nmtCommandsSetTheReportedState() {
    SimRig rig;
    Module& module = rig.bus.module(4);
    module.config().startOperational = false;
    module.setMode(Mode::Bootloader);
    rig.runMs(1000);
    QCOMPARE(rig.client.framesWithId(0x774).back().data[0], quint8(127));

    rig.client.send(0x000, {0x01, 0x00}); // start all
    rig.runMs(1000);
    QCOMPARE(rig.client.framesWithId(0x774).back().data[0], quint8(5));

    rig.client.send(0x000, {0x02, 0x74}); // stop this node
    rig.runMs(1000);
    QCOMPARE(rig.client.framesWithId(0x774).back().data[0], quint8(4));
    QVERIFY(rig.client.upload(0x74, 0x1008, 0).timedOut);

    rig.client.send(0x000, {0x02, 0x75}); // another node: no effect
    rig.client.send(0x000, {0x01, 0x74});
    QVERIFY(rig.client.upload(0x74, 0x1008, 0).ok());

    rig.client.clearLog();
    rig.client.send(0x000, {0x81, 0x74}); // reset node
    QVERIFY(isBootUp(rig.client.log().at(0), 0x74));
}

void ModuleModesTest::mBusCylinderAnswersHardwareVersionOnItsFixedNode() {
    SimRig rig(BusKind::MBus);
    rig.bus.module(3).config().hardwareVersion = "2.1";
    rig.bus.module(3).setMode(Mode::Application);
    const auto version = rig.client.upload(0x23, 0x1009, 0);
    QVERIFY(version.ok());
    QCOMPARE(version.data, QByteArray("2.1"));
    QCOMPARE(rig.client.upload(0x23, 0x1008, 0).abort, 0x06020000u);
    QVERIFY(rig.client.upload(0x14, 0x1008, 0).ok());
    // No heartbeat comes from the fixed node.
    rig.runMs(2000);
    QVERIFY(rig.client.framesWithId(0x723).empty());
}

void ModuleModesTest::identityObjectsAnswer() {
    SimRig rig;
    Module& module = rig.bus.module(6);
    module.config().deviceName = "ZENT-6183 test";
    module.setMode(Mode::Application);
    QCOMPARE(rig.client.upload(0x26, 0x1008, 0).data, QByteArray("ZENT-6183 test"));
    QCOMPARE(rig.client.upload(0x26, 0x1009, 0).data, QByteArray("7"));
    QCOMPARE(rig.client.upload(0x26, 0x1000, 0).data.size(), 4);
    QCOMPARE(rig.client.upload(0x26, 0x1001, 0).data, QByteArray(1, '\0'));
    QCOMPARE(rig.client.upload(0x26, 0x1005, 0).data, QByteArray("\x80\0\0\0", 4));
    QCOMPARE(rig.client.upload(0x26, 0x1018, 0).data, QByteArray(1, '\x04'));
    // The serial number is the one of the hardware info block.
    QCOMPARE(rig.client.upload(0x26, 0x1018, 4).data, QByteArray("\xEE\x03\0\0", 4)); // 1006
    QCOMPARE(rig.client.upload(0x26, 0x1018, 5).abort, 0x06090011u);
}

QTEST_GUILESS_MAIN(ModuleModesTest)
#include "module_modes_test.moc"
