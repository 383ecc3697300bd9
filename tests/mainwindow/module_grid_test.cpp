#include "loader_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

constexpr qint64 kDropOutMs = 4000; // longer than the heartbeat ageing

// A main window connected to a bus on which module 0 runs its application.
struct ConnectedRig : LoaderRig {
    explicit ConnectedRig(sim::BusKind kind)
        : board(boards.add(0, kind)) {
        workspace.setMiscItem("lastUsedBus", kind == sim::BusKind::MBus ? "M-Bus" : "S-Bus");
        configOk = g_iniGlobals();
        board.modules.setModes(0, 0, sim::Mode::Application);
        boards.time.runFor(10);
    }
    bool connect() {
        bool ok = false;
        window.initConnection(false, false, ok);
        return ok && frmCANopen().isInitialised() && !window.programEnding();
    }
    bool runUntil(const std::function<bool()>& pred, qint64 ms = 5000) {
        return boards.time.runUntil(pred, ms);
    }
    SimBoards::Board& board;
};

} // namespace

// The grid follows the module states on every heartbeat-control tick: the state boxes, the
// selection box, the hardware version read once per appearance, the module-number rules
// and, on the M-Bus, the running engine.
class ModuleGridTest : public QObject {
    Q_OBJECT
private slots:
    void rowFollowsModuleFromOffToApplicationToBootloaderAndBack();
    void hardwareVersionColour_data();
    void hardwareVersionColour();
    void moduleNumberRulesOfTheApplicationType_data();
    void moduleNumberRulesOfTheApplicationType();
    void oldBootloaderOnMBusEndsTheRunWithOneBox();
    void runningEngineLocksOncePerChange();
    void engineDisplayOnlyOnTheMBus();
};

void ModuleGridTest::rowFollowsModuleFromOffToApplicationToBootloaderAndBack() {
    ConnectedRig rig(sim::BusKind::SBus);
    QVERIFY(rig.configOk);
    QVERIFY(rig.connect());
    Selection& selection = rig.window.selection();
    sim::Module& module = rig.board.modules.module(3);
    module.config().hardwareVersion = "8";
    QVERIFY(!selection.program(3).enabled);

    module.setMode(sim::Mode::Application);
    QVERIFY(rig.runUntil([&] { return selection.applicationRunning(3) == 1; }));
    QCOMPARE(selection.bootLoaderRunning(3), 0);
    QVERIFY(selection.program(3).enabled);
    QCOMPARE(rig.window.row(3).hwCaption, QString("8"));
    QCOMPARE(rig.board.sdoReads(0x23, 0x1009), 1);

    module.setMode(sim::Mode::Bootloader);
    QVERIFY(rig.runUntil([&] { return selection.bootLoaderRunning(3) == 1; }));
    rig.boards.time.runFor(1000);
    QCOMPARE(selection.applicationRunning(3), 0);
    QVERIFY(selection.program(3).enabled);
    QCOMPARE(rig.window.row(3).hwCaption, QString("8")); // kept, not read again
    QCOMPARE(rig.board.sdoReads(0x73, 0x1009), 0);
    QCOMPARE(rig.board.sdoReads(0x23, 0x1009), 1);

    module.setMode(sim::Mode::Off);
    QVERIFY(rig.runUntil([&] { return selection.bootLoaderRunning(3) == 0; }, kDropOutMs));
    QCOMPARE(selection.applicationRunning(3), 0);
    QVERIFY(!selection.program(3).enabled);
    QCOMPARE(rig.window.row(3).hwCaption, QString());

    module.config().hardwareVersion = "9";
    module.setMode(sim::Mode::Application);
    QVERIFY(rig.runUntil([&] { return selection.applicationRunning(3) == 1; }));
    QCOMPARE(rig.window.row(3).hwCaption, QString("9"));
    QCOMPARE(rig.board.sdoReads(0x23, 0x1009), 2);
    // Module 0 ran all along: read once.
    QCOMPARE(rig.board.sdoReads(0x20, 0x1009), 1);
}

void ModuleGridTest::hardwareVersionColour_data() {
    QTest::addColumn<int>("applType");
    QTest::addColumn<QByteArray>("hardware");
    QTest::addColumn<bool>("bigMem");
    QTest::addColumn<int>("colour");

    QTest::newRow("6 too old for big memory") << 0 << QByteArray("6") << true << kColourRed;
    QTest::newRow("7 fits big memory") << 0 << QByteArray("7") << true << kColourButtonFace;
    QTest::newRow("no version: default") << 0 << QByteArray("") << true << kColourButtonFace;
    QTest::newRow("6 without big memory") << 0 << QByteArray("6") << false << kColourButtonFace;
    QTest::newRow("DORN is never coloured") << 1 << QByteArray("6") << true << kColourButtonFace;
}

void ModuleGridTest::hardwareVersionColour() {
    QFETCH(int, applType);
    QFETCH(QByteArray, hardware);
    QFETCH(bool, bigMem);
    QFETCH(int, colour);

    ConnectedRig rig(sim::BusKind::SBus);
    QVERIFY(rig.connect());
    g_applType = applType;
    g_bigMem = bigMem;
    rig.board.modules.module(1).config().hardwareVersion = hardware;
    rig.board.modules.module(1).setMode(sim::Mode::Application);
    QVERIFY(rig.runUntil([&] { return rig.window.selection().applicationRunning(1) == 1; }));
    rig.boards.time.runFor(200);

    QCOMPARE(rig.window.row(1).hwCaption, hardware.isEmpty() ? QString("X") : QString(hardware));
    QCOMPARE(rig.window.row(1).hwBackColour, colour);
}

void ModuleGridTest::moduleNumberRulesOfTheApplicationType_data() {
    QTest::addColumn<int>("applType");
    QTest::addColumn<int>("module");
    QTest::addColumn<bool>("bootloader");
    QTest::addColumn<QString>("box"); // "" = accepted; "3" = user message 3

    const QString dornText =
        "There are PXU's with higher ID then 2 in this system.\r\nPlease check ID-plugs.";
    const QString lorinText = "Only module 0 may be connected in LORIN mode.\rHigher cylinder "
                              "number has been detected. The Loader will terminate!";
    QTest::newRow("DORN module 2") << 1 << 2 << false << "";
    QTest::newRow("DORN module 3 application") << 1 << 3 << false << dornText;
    QTest::newRow("DORN module 3 bootloader") << 1 << 3 << true << "3";
    QTest::newRow("ZENT module 14") << 0 << 14 << false << "";
    QTest::newRow("LORX module 1 application") << 2 << 1 << false << lorinText;
    QTest::newRow("LORX module 1 bootloader") << 2 << 1 << true << lorinText;
}

void ModuleGridTest::moduleNumberRulesOfTheApplicationType() {
    QFETCH(int, applType);
    QFETCH(int, module);
    QFETCH(bool, bootloader);
    QFETCH(QString, box);

    ConnectedRig rig(sim::BusKind::SBus);
    QVERIFY(rig.connect());
    g_applType = applType;
    rig.board.modules.module(module).setMode(bootloader ? sim::Mode::Bootloader
                                                        : sim::Mode::Application);
    rig.runUntil([&] { return rig.window.programEnding(); }, 3000);

    if (box.isEmpty()) {
        QVERIFY(!rig.window.programEnding());
        QVERIFY(rig.boards.dialogs.texts().isEmpty());
        QVERIFY(rig.window.selection().program(module).enabled);
        return;
    }
    QVERIFY(rig.window.programEnding());
    QCOMPARE(rig.boards.dialogs.texts(), QStringList{box == "3" ? g_getUserMessage(3) : box});
    QVERIFY(!frmCANopen().isInitialised());
}

void ModuleGridTest::oldBootloaderOnMBusEndsTheRunWithOneBox() {
    ConnectedRig rig(sim::BusKind::MBus);
    QVERIFY(rig.connect());
    // The box is up for a while; the heartbeat-control ticks go on under it.
    rig.boards.dialogs.whileShown([&] { rig.boards.time.runFor(2000); });

    rig.board.modules.module(0).faults().oldBootloaderHeartbeat = true;
    rig.board.modules.module(0).setMode(sim::Mode::Bootloader);
    rig.runUntil([&] { return rig.window.programEnding(); }, 5000);
    rig.boards.time.runFor(1000);

    QVERIFY(rig.window.programEnding());
    QCOMPARE(rig.boards.dialogs.texts(),
             QStringList{"Wrong Bootloader version detected. Please connect to the S-Bus. The "
                         "Loader will terminate."});
}

void ModuleGridTest::runningEngineLocksOncePerChange() {
    ConnectedRig rig(sim::BusKind::MBus);
    rig.board.modules.setModes(1, 6, sim::Mode::Application);
    QVERIFY(rig.connect());
    QList<bool> lockChanges;
    bool locked = rig.window.lock().engineRunningLock();
    connect(&rig.window.lock(), &ControlLock::changed, [&] {
        if (rig.window.lock().engineRunningLock() != locked)
            lockChanges << (locked = !locked);
    });
    const MainWindowView& view = rig.window.view();
    QVERIFY(rig.runUntil([&] { return view.fraEngineRunningVisible; }));
    QVERIFY(view.imgEngineStStillVisible);
    QVERIFY(!view.imgEngineRunningVisible);

    rig.board.spare->setEngineRunning(true);
    QVERIFY(rig.runUntil([&] { return view.imgEngineRunningVisible; }));
    rig.boards.time.runFor(3000);
    QCOMPARE(lockChanges, QList<bool>{true});
    QVERIFY(!view.imgEngineStStillVisible);
    QVERIFY(!rig.window.lock().enabled(Control::cmdDownload));

    rig.board.spare->setEngineRunning(false);
    QVERIFY(rig.runUntil([&] { return view.imgEngineStStillVisible; }));
    rig.boards.time.runFor(3000);
    QCOMPARE(lockChanges, (QList<bool>{true, false}));
    QVERIFY(rig.window.lock().enabled(Control::cmdDownload));

    // Too few cylinders to run the engine: the display goes, the lock stays off.
    rig.board.modules.setModes(2, 6, sim::Mode::Off);
    QVERIFY(rig.runUntil([&] { return !view.fraEngineRunningVisible; }, 10000));
    QCOMPARE(lockChanges, (QList<bool>{true, false}));
}

void ModuleGridTest::engineDisplayOnlyOnTheMBus() {
    ConnectedRig rig(sim::BusKind::SBus);
    rig.board.modules.setModes(1, 6, sim::Mode::Application);
    QVERIFY(rig.connect());
    rig.boards.time.runFor(3000);
    QVERIFY(!rig.window.view().fraEngineRunningVisible);
    QVERIFY(!rig.window.lock().engineRunningLock());
}

QTEST_MAIN(ModuleGridTest)
#include "module_grid_test.moc"
