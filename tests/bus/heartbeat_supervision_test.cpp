#include "bus/auto_download.h"
#include "bus/connection_status.h"
#include "bus_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;
namespace hb = pxu::modHeartBeatControl;

namespace {

// Service bits switched on for the spare's variables (a cylinder's standstill bit is
// addressed to the cylinder).
int serviceBitsOn(const BusRig& rig) {
    int on = 0;
    for (const can::CanFrame& f : rig.framesOn(0x382))
        on += f.data[1] >> 4 == 0 && f.data[3] == 0x85 && f.data[4] == 1;
    return on;
}

} // namespace

class HeartbeatSupervisionTest : public QObject {
    Q_OBJECT
private slots:
    void heartbeatsSetTheModuleState_data();
    void heartbeatsSetTheModuleState();
    void silentModuleIsDroppedOnTheSixteenthTick();
    void mBusFollowsCylindersByAutoDownloadAndFlagsOldBootloader();
    void spareApplicationLogsInOncePerRun();
    void failedLoginFromTheTickIsLoggedOnceWithoutBox();
};

void HeartbeatSupervisionTest::heartbeatsSetTheModuleState_data() {
    QTest::addColumn<QList<int>>("cobIds");
    QTest::addColumn<int>("state"); // of module 5; every other module stays 0

    QTest::newRow("application") << QList<int>{0x725} << 1;
    QTest::newRow("bootloader after application") << QList<int>{0x725, 0x775} << 2;
    QTest::newRow("application after bootloader") << QList<int>{0x775, 0x725} << 1;
    QTest::newRow("offset 15 is no module") << QList<int>{0x72F} << 0;
    QTest::newRow("past both bases") << QList<int>{0x780} << 0;
}

void HeartbeatSupervisionTest::heartbeatsSetTheModuleState() {
    QFETCH(QList<int>, cobIds);
    QFETCH(int, state);
    BusRig rig;
    g_cobIdApplication = 0x20;
    g_cobIdBootloader = 0x70;
    rig.master();

    for (int cobId : cobIds)
        hb::g_receiveHeartBeat(cobId);
    hb::g_heartBeatControl_Update();

    ModuleStates expected{};
    expected[5] = state;
    QCOMPARE(hb::g_getHeartBeatStatus(), expected);
    QVERIFY(!hb::g_oldBootloaderDetectedOnMBus());
}

void HeartbeatSupervisionTest::silentModuleIsDroppedOnTheSixteenthTick() {
    BusRig rig;
    QVERIFY(rig.open("S-Bus"));
    QList<qint32> states; // module 5 at every tick, as the connection display sees it
    setConnectionDisplay([&] { states << hb::g_getModuleStatusHB(5); });
    rig.time.runFor(330);
    rig.modules.module(5).config().heartbeatMs = 0; // the boot-up message and then silence
    rig.modules.module(5).setMode(sim::Mode::Application);

    rig.time.runFor(5000);

    QVERIFY(states.size() >= 25);
    const qsizetype first = states.indexOf(1);
    QVERIFY(first > 0);
    QCOMPARE(states.mid(first, 15), QList<qint32>(15, 1));
    QCOMPARE(states.mid(first + 15), QList<qint32>(states.size() - first - 15, 0));
}

void HeartbeatSupervisionTest::mBusFollowsCylindersByAutoDownloadAndFlagsOldBootloader() {
    BusRig rig(sim::BusKind::MBus, 125);
    QVERIFY(rig.open("M-Bus"));
    modAutoDownload::g_initialise();
    sim::Module& spare = rig.modules.module(0);
    spare.faults().oldBootloaderHeartbeat = true;
    spare.setMode(sim::Mode::Bootloader);
    rig.modules.setModes(3, 3, sim::Mode::Application);

    rig.time.runFor(1500);

    QVERIFY(hb::g_oldBootloaderDetectedOnMBus());
    QCOMPARE(modConnectionStatus::g_getModuleStatus(0), qint32(moduleBootloaderRunning));
    QCOMPARE(hb::g_getModuleStatusHB(3), qint32(moduleApplicationRunning));
    QCOMPARE(modConnectionStatus::g_getModuleStatus(3), qint32(moduleNotConnected));
    modAutoDownload::g_setModuleStatus(QByteArray("\x00\x00\x08\x00", 4), 0x820);
    QCOMPARE(modConnectionStatus::g_getModuleStatus(3), qint32(moduleBootloaderRunning));

    // The flag holds until the tables are cleared; on the S-Bus node 0x71 is module 1.
    hb::g_initialise();
    QVERIFY(!hb::g_oldBootloaderDetectedOnMBus());
    g_mBusMode = false;
    hb::g_receiveHeartBeat(0x771);
    QVERIFY(!hb::g_oldBootloaderDetectedOnMBus());
    modAutoDownload::g_initialise();
}

void HeartbeatSupervisionTest::spareApplicationLogsInOncePerRun() {
    BusRig rig(sim::BusKind::MBus, 125);
    QVERIFY(rig.open("M-Bus"));
    modAutoDownload::g_initialise();
    modConnectionStatus::resetAutoLogin();
    g_varIds.g_varIdModuleStateRo = 0x820;
    g_varIds.g_varIdModuleStateRw = 0x821;
    g_varIds.g_varIdSwUpdateStateRo = 0x822;
    g_varIds.g_varIdSwUpdateFailureRo = 0x823;
    ModuleStates shown{};
    setConnectionDisplay([&] { shown = modConnectionStatus::g_getConnectionStatus(); });
    sim::Module& spare = rig.modules.module(0);

    spare.setMode(sim::Mode::Application);
    rig.time.runFor(1500);
    QCOMPARE(rig.framesOn(0x482).size(), 1);
    QCOMPARE(serviceBitsOn(rig), 4);
    QCOMPARE(rig.service.userLevel(0), quint8(11));
    QVERIFY(rig.service.reporting(0, 0x823));
    QCOMPARE(shown[0], qint32(moduleApplicationRunning));

    modAutoDownload::g_setModuleStatus(QByteArray("\x09\x00\x00\x00", 4), 0x820);
    rig.time.runFor(3000);
    QCOMPARE(rig.framesOn(0x482).size(), 1); // no second log-in
    QCOMPARE(shown[3], qint32(moduleApplicationRunning));

    spare.setMode(sim::Mode::Bootloader);
    rig.time.runFor(1500);
    QCOMPARE(shown[0], qint32(moduleBootloaderRunning));
    QCOMPARE(shown[3], qint32(moduleNotConnected)); // the auto-download state was reset
    QVERIFY(!modConnectionStatus::autoLoginDone());

    spare.setMode(sim::Mode::Application);
    rig.time.runFor(1500);
    QCOMPARE(rig.framesOn(0x482).size(), 2);
    QCOMPARE(serviceBitsOn(rig), 8);
    QVERIFY(rig.dialogs.shown().isEmpty());
    modAutoDownload::g_initialise();
}

void HeartbeatSupervisionTest::failedLoginFromTheTickIsLoggedOnceWithoutBox() {
    BusRig rig(sim::BusKind::MBus, 125);
    modAutoDownload::g_initialise();
    modConnectionStatus::resetAutoLogin();
    QStringList sink;
    setBusMessageSink([&](const QString& text) { sink << text; });
    setConnectionDisplay([] { modConnectionStatus::g_getConnectionStatus(); });
    // The tables say the spare runs its application, but no board is open: the log-in fails.
    g_mBusMode = true;
    g_cobIdApplication = 0x11;
    g_cobIdBootloader = 0x7F;
    const auto tickAfter = [&](int cobId) {
        hb::g_receiveHeartBeat(cobId);
        hb::g_heartBeatControl_Update();
    };

    tickAfter(0x711);
    tickAfter(0x711);
    QCOMPARE(sink, QStringList{"Initialization AutoDownload: Login failed."});
    QVERIFY(modConnectionStatus::autoLoginDone());

    tickAfter(0x77F); // into the bootloader and back: the log-in runs again
    QVERIFY(!modConnectionStatus::autoLoginDone());
    tickAfter(0x711);
    QVERIFY(modConnectionStatus::autoLoginDone());
    QCOMPARE(sink.size(), 1);
    QVERIFY(rig.dialogs.shown().isEmpty());
}

QTEST_MAIN(HeartbeatSupervisionTest)
#include "heartbeat_supervision_test.moc"
