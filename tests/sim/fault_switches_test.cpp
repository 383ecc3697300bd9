#include "sim_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::sim;
using namespace pxu::sim::test;

namespace {

constexpr quint8 kNode = 0x70; // S-Bus module 0 bootloader

// A bootloader with an application info block for 3 blocks of data written.
struct LoadingRig : SimRig {
    explicit LoadingRig(BusKind kind = BusKind::SBus)
        : SimRig(kind)
        , image(testImage(3 * 8192 - 100)) {
        module().setMode(Mode::Bootloader);
    }
    Module& module() { return bus.module(0); }
    quint8 node() { return module().bootloaderNode(); }
    bool writeInfoBlock() {
        return client.download(node(), 0x5FFE, 6, makeInfoBlock(6, {"ZENT", 1, "", 0x30000}, image))
            .ok();
    }
    SdoTestClient::Result writeBlock(int n) {
        return client.download(node(), 0x1F50, 6, image.mid(n * 8192, 8192),
                               SdoTestClient::Transfer::Block);
    }
    QByteArray image;
};

} // namespace

class FaultSwitchesTest : public QObject {
    Q_OBJECT
private slots:
    void silentModuleSendsNothingUntilCleared();
    void moduleWithoutHeartbeatStillAnswers();
    void abortHitsTheNthBlockOfAsManyDownloadsAsSet();
    void slowAnswersArriveAfterTheClientGaveUp();
    void badCrcFailsTheDataCheck();
    void stuckStatusNeverLeaves127();
    void dataStatusReplacesTheAcceptanceOfAsManyDownloadsAsSet();
    void moduleDisappearsAfterConfirmingTheNthBlock();
    void oldBootloaderAlsoBeatsFromNode71();
};

void FaultSwitchesTest::silentModuleSendsNothingUntilCleared() {
    SimRig rig;
    Module& module = rig.bus.module(3);
    module.setMode(Mode::Application);
    module.faults().silent = true;
    rig.client.clearLog();
    rig.runMs(3000);
    QVERIFY(rig.client.upload(0x23, 0x1008, 0).timedOut);
    QVERIFY(rig.client.log().empty());
    QCOMPARE(module.mode(), Mode::Application);

    module.faults().silent = false;
    rig.runMs(1000);
    QCOMPARE(rig.client.framesWithId(0x723).size(), size_t(1));
    QVERIFY(rig.client.upload(0x23, 0x1008, 0).ok());
}

void FaultSwitchesTest::moduleWithoutHeartbeatStillAnswers() {
    SimRig rig;
    rig.bus.module(3).faults().noHeartbeat = true;
    rig.bus.module(3).setMode(Mode::Bootloader);
    rig.runMs(3000);
    QVERIFY(rig.client.framesWithId(0x773).empty());
    QVERIFY(rig.client.upload(0x73, 0x1008, 0).ok());
}

void FaultSwitchesTest::abortHitsTheNthBlockOfAsManyDownloadsAsSet() {
    LoadingRig rig;
    rig.module().faults().abortOnBlock = 2;
    rig.module().faults().abortTimes = 1;
    QVERIFY(rig.writeInfoBlock());
    QVERIFY(rig.writeBlock(0).ok());
    QCOMPARE(rig.writeBlock(1).abort, 0x08000020u);

    // The next attempt, from its info block on, goes through.
    QVERIFY(rig.writeInfoBlock());
    for (int n = 0; n < 3; ++n)
        QVERIFY(rig.writeBlock(n).ok());
    QCOMPARE(rig.loadingStatus(0), 127);
}

void FaultSwitchesTest::slowAnswersArriveAfterTheClientGaveUp() {
    SimRig rig;
    rig.bus.module(0).setMode(Mode::Bootloader);
    rig.bus.module(0).faults().slowAnswerUs = 300'000;
    QVERIFY(rig.client.upload(kNode, 0x100A, 0).timedOut); // 200 ms client time-out
    QVERIFY(rig.client.await(0x5F0, 150));
    rig.client.timeoutMs = 400;
    QVERIFY(rig.client.upload(kNode, 0x100A, 0).ok());
}

void FaultSwitchesTest::badCrcFailsTheDataCheck() {
    LoadingRig rig;
    rig.module().faults().badCrc = true;
    QVERIFY(rig.writeInfoBlock());
    for (int n = 0; n < 3; ++n)
        QVERIFY(rig.writeBlock(n).ok());
    QCOMPARE(rig.loadingStatus(0), 0x21);
}

void FaultSwitchesTest::stuckStatusNeverLeaves127() {
    LoadingRig rig;
    rig.module().faults().statusStuck = true;
    QVERIFY(rig.writeInfoBlock());
    for (int n = 0; n < 3; ++n)
        QVERIFY(rig.writeBlock(n).ok());
    rig.runMs(20'000);
    QCOMPARE(rig.loadingStatus(0), 127);
}

void FaultSwitchesTest::dataStatusReplacesTheAcceptanceOfAsManyDownloadsAsSet() {
    LoadingRig rig;
    rig.module().faults().dataStatus = 126;
    rig.module().faults().dataStatusTimes = 1;
    QVERIFY(rig.writeInfoBlock());
    for (int n = 0; n < 3; ++n)
        QVERIFY(rig.writeBlock(n).ok());
    QCOMPARE(rig.loadingStatus(0), 126);
    rig.runMs(5000);
    QCOMPARE(rig.loadingStatus(0), 126);

    QVERIFY(rig.writeInfoBlock());
    for (int n = 0; n < 3; ++n)
        QVERIFY(rig.writeBlock(n).ok());
    QCOMPARE(rig.loadingStatus(0), 127);
}

void FaultSwitchesTest::moduleDisappearsAfterConfirmingTheNthBlock() {
    LoadingRig rig;
    rig.module().faults().disappearAfterBlocks = 2;
    QVERIFY(rig.writeInfoBlock());
    QVERIFY(rig.writeBlock(0).ok());
    QVERIFY(rig.writeBlock(1).ok());
    rig.runMs(1);
    QCOMPARE(rig.module().mode(), Mode::Off);
    QVERIFY(rig.writeBlock(2).timedOut);
    rig.client.clearLog();
    rig.runMs(3000);
    QVERIFY(rig.client.log().empty());
    // Power on again: the fault fired once and is gone.
    rig.module().setMode(Mode::Bootloader);
    QVERIFY(rig.writeInfoBlock());
    for (int n = 0; n < 3; ++n)
        QVERIFY(rig.writeBlock(n).ok());
}

void FaultSwitchesTest::oldBootloaderAlsoBeatsFromNode71() {
    SimRig rig(BusKind::MBus);
    rig.bus.module(0).faults().oldBootloaderHeartbeat = true;
    rig.bus.module(0).setMode(Mode::Application);
    rig.runMs(2000);
    QVERIFY(rig.client.framesWithId(0x771).empty());
    rig.bus.module(0).setMode(Mode::Bootloader);
    rig.runMs(2000);
    QCOMPARE(rig.client.framesWithId(0x771).size(), size_t(3));
    QCOMPARE(rig.client.framesWithId(0x77F).size(), size_t(3));
}

QTEST_GUILESS_MAIN(FaultSwitchesTest)
#include "fault_switches_test.moc"
