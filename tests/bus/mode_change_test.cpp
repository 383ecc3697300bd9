// Switching modules between application and bootloader against the simulator: directly
// on the S-Bus, through the spare's auto download on the M-Bus, with the standstill gate
// and the questions before a bootloader start.
#include "adl_rig.h"
#include "bus/mode_change.h"
#include "platform/clock/clock_timer.h"
#include "support/losable_channel.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::modModeChange;
using test::AdlRig;
using test::BusRig;

namespace {

ModuleSelection modules(int first, int last) {
    ModuleSelection s{};
    for (int n = first; n <= last; ++n)
        s[n] = true;
    return s;
}

ModuleStates statesNow() {
    ModuleStates s{};
    for (int n = 0; n < kModuleCount; ++n)
        s[n] = modConnectionStatus::g_getModuleStatus(n);
    return s;
}

// The program-control writes (0x1F51) the tool sent: node, sub-index, value.
QList<QList<int>> programControlWrites(const BusRig& rig) {
    QList<QList<int>> out;
    for (const BusRig::Heard& h : rig.heard) {
        const can::CanFrame& f = h.frame;
        if (f.id >= 0x601 && f.id <= 0x67F && f.data[0] == 0x2F && f.data[1] == 0x51 &&
            f.data[2] == 0x1F)
            out << QList<int>{int(f.id - 0x600), f.data[3], f.data[4]};
    }
    return out;
}

const QString kEngineRunning =
    QStringLiteral("   Bootloader cannot be started because engine is running.");

// The S-Bus with modules 0 to 3 running their application.
struct SBusRig {
    SBusRig()
        : rig(sim::BusKind::SBus, 500) {
        rig.modules.setModes(0, 3, sim::Mode::Application);
    }
    bool connect() {
        return config.ok() && rig.open(QStringLiteral("S-Bus")) &&
               rig.time.runUntil([] { return modConnectionStatus::g_getModuleStatus(3) == 1; },
                                 3000);
    }
    BusRig rig;
    test::SampleConfig config;
    test::FakeMainWindow window;
};

} // namespace

class ModeChangeTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void sBusModulesSwitchToBootloaderAndBack();
    void sBusAnswerAbortStartsNothing();
    void updaterSkipsTheQuestion();
    void modulesAlreadyInBootloaderSendNothing();
    void debugModeLogsSkippedModules();
    void applicationStartSkipsFailedDownloadsUnlessAll();
    void applicationStartOfSilentModuleReportsNotStarted();
    void oldCanInterfaceCancelsApplicationStart_data();
    void oldCanInterfaceCancelsApplicationStart();
    void bootloaderFailureStopsThePass();
    void closedInterfaceShowsOneFailureOfThePolls();
    void waitsEndOnAbortOrFatalEnd_data();
    void waitsEndOnAbortOrFatalEnd();
    void mBusSwitchesCylindersThroughSpareAndSpareLast();
    void mBusRefusesWhileEngineRuns();
    void mBusGatePassesWithTooFewCylinders();
    void mBusSpareQuestionOnlyWithCylinders_data();
    void mBusSpareQuestionOnlyWithCylinders();
    void singleTargetSelection();
};

void ModeChangeTest::cleanup() {
    g_applUpdate = false;
    g_debugMode = false;
}

void ModeChangeTest::sBusModulesSwitchToBootloaderAndBack() {
    SBusRig s;
    QVERIFY(s.connect());
    QVERIFY(g_startBootloader(modules(0, 2), true));
    QCOMPARE(statesNow(), (ModuleStates{2, 2, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // The question with user message 7 before anything happens.
    QCOMPARE(s.rig.dialogs.windows().size(), 1);
    QCOMPARE(s.rig.dialogs.windows().first().title, QStringLiteral("Start Bootloader"));
    QCOMPARE(s.rig.dialogs.windows().first().yesCaption, QStringLiteral("Continue"));
    QVERIFY(s.rig.dialogs.windows().first().text.startsWith(
        QStringLiteral("The bootloader will be started")));
    QCOMPARE(programControlWrites(s.rig),
             (QList<QList<int>>{{0x20, 3, 1}, {0x21, 3, 1}, {0x22, 3, 1}}));
    QCOMPARE(s.window.messages, (QStringList{"   Start bootloader", "      PXU 0: ok",
                                             "      PXU 1: ok", "      PXU 2: ok"}));
    QCOMPARE(s.window.selectionRestores, 1);

    s.window.messages.clear();
    QVERIFY(g_startApplication(modules(0, 2), false));
    QCOMPARE(statesNow(), (ModuleStates{1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // The wait for a module not yet up writes its start once more.
    QCOMPARE(programControlWrites(s.rig).mid(3, 3),
             (QList<QList<int>>{{0x70, 6, 1}, {0x71, 6, 1}, {0x72, 6, 1}}));
    QCOMPARE(s.window.messages, (QStringList{"   Start application", "      PXU 0: ok",
                                             "      PXU 1: ok", "      PXU 2: ok"}));
}

void ModeChangeTest::sBusAnswerAbortStartsNothing() {
    SBusRig s;
    QVERIFY(s.connect());
    s.rig.dialogs.answerWindow(WindowAnswer::No);
    QVERIFY(!g_startBootloader(modules(0, 3), true));
    QVERIFY(programControlWrites(s.rig).isEmpty());
    QCOMPARE(s.window.messages, (QStringList{"   Start bootloader", kEngineRunning}));
}

void ModeChangeTest::updaterSkipsTheQuestion() {
    SBusRig s;
    QVERIFY(s.connect());
    g_applUpdate = true;
    QVERIFY(g_startBootloader(modules(1, 1), true));
    QVERIFY(s.rig.dialogs.windows().isEmpty());
    QCOMPARE(modConnectionStatus::g_getModuleStatus(1), 2);
}

void ModeChangeTest::modulesAlreadyInBootloaderSendNothing() {
    SBusRig s;
    s.rig.modules.setModes(2, 3, sim::Mode::Bootloader);
    QVERIFY(s.config.ok() && s.rig.open(QStringLiteral("S-Bus")));
    QVERIFY(
        s.rig.time.runUntil([] { return modConnectionStatus::g_getModuleStatus(3) == 2; }, 3000));
    const qsizetype before = s.rig.heard.size();
    QVERIFY(g_startBootloader(modules(2, 3), true));
    s.rig.time.runFor(5);
    QCOMPARE(s.rig.heard.size(), before);
    QVERIFY(s.rig.dialogs.windows().isEmpty());
    QCOMPARE(s.window.messages.last(),
             QStringLiteral("      All selected modules are already in bootloader"));
}

void ModeChangeTest::debugModeLogsSkippedModules() {
    SBusRig s;
    QVERIFY(s.connect());
    g_debugMode = true;
    QVERIFY(g_startBootloader(modules(1, 1), true));
    QCOMPARE(
        s.window.messages.mid(1, 3),
        (QStringList{"      DEBUG: not starting Bootloader on PXU#00",
                     "      DEBUG: selected: False alreadyRunning: False", "      PXU 1: ok"}));
    QCOMPARE(s.window.messages.size(), 1 + 2 + 1 + 13 * 2);
}

void ModeChangeTest::applicationStartSkipsFailedDownloadsUnlessAll() {
    SBusRig s;
    s.rig.modules.setModes(0, 3, sim::Mode::Bootloader);
    QVERIFY(s.config.ok() && s.rig.open(QStringLiteral("S-Bus")));
    QVERIFY(
        s.rig.time.runUntil([] { return modConnectionStatus::g_getModuleStatus(3) == 2; }, 3000));
    s.window.downloadOk[2] = false;
    QVERIFY(g_startApplication(modules(0, 3), false));
    QCOMPARE(statesNow().at(2), 2);
    QVERIFY(!s.window.messages.contains(QStringLiteral("      PXU 2: ok")));
    s.window.messages.clear();
    QVERIFY(g_startApplication(modules(0, 3), true));
    // Modules already running are neither started nor logged.
    QCOMPARE(s.window.messages, (QStringList{"   Start application", "      PXU 2: ok"}));
    QCOMPARE(statesNow().at(2), 1);
}

void ModeChangeTest::applicationStartOfSilentModuleReportsNotStarted() {
    SBusRig s;
    s.rig.modules.setModes(0, 3, sim::Mode::Bootloader);
    QVERIFY(s.config.ok() && s.rig.open(QStringLiteral("S-Bus")));
    QVERIFY(
        s.rig.time.runUntil([] { return modConnectionStatus::g_getModuleStatus(3) == 2; }, 3000));
    s.rig.modules.module(0).faults().silent = true;
    s.rig.modules.module(2).faults().silent = true;
    const qint64 start = s.rig.time.nowMs();
    QVERIFY(!g_startApplication(modules(0, 3), true));
    QCOMPARE(s.window.messages,
             (QStringList{"   Start application", "      PXU 0: not started!", "      PXU 1: ok",
                          "      PXU 2: not started!", "      PXU 3: ok"}));
    // The first wait is the long one (150 x 10 + 1 passes of 20 ms), later ones are short.
    const qint64 elapsed = s.rig.time.nowMs() - start;
    QVERIFY2(elapsed >= 30020 + 3020 && elapsed < 36000, qPrintable(QString::number(elapsed)));
}

void ModeChangeTest::oldCanInterfaceCancelsApplicationStart_data() {
    QTest::addColumn<bool>("debug");
    QTest::newRow("without /debug") << false;
    QTest::newRow("with /debug") << true;
}

void ModeChangeTest::oldCanInterfaceCancelsApplicationStart() {
    QFETCH(bool, debug);
    SBusRig s;
    s.rig.modules.setModes(0, 0, sim::Mode::Bootloader);
    QVERIFY(s.config.ok() && s.rig.open(QStringLiteral("S-Bus")));
    QVERIFY(
        s.rig.time.runUntil([] { return modConnectionStatus::g_getModuleStatus(0) == 2; }, 3000));
    g_canInterfaceVersion = QStringLiteral("1");
    g_debugMode = debug;
    QCOMPARE(g_startApplication(modules(0, 0), true), debug);
    if (debug) {
        QCOMPARE(s.window.messages.at(1), QStringLiteral(" Start application is executed with "
                                                         "old DLL because debug mode is active"));
        QVERIFY(s.rig.dialogs.shown().isEmpty());
        return;
    }
    QCOMPARE(s.window.messages.at(1), QStringLiteral("   Start application cancelled, because "
                                                     "CANInterface DLL version is less than 1.1"));
    QCOMPARE(s.rig.dialogs.shown().size(), 1);
    QCOMPARE(s.rig.dialogs.shown().first().title, QStringLiteral("Start Application"));
    QCOMPARE(s.rig.dialogs.shown().first().text,
             QStringLiteral("Please restart application manually by exiting\\rloader and "
                            "resetting power (off-on) of all PXU-20 modules."));
    QVERIFY(programControlWrites(s.rig).isEmpty());
    QCOMPARE(s.window.selectionRestores, 0);
}

void ModeChangeTest::bootloaderFailureStopsThePass() {
    SBusRig s;
    QVERIFY(s.connect());
    s.rig.modules.module(1).setMode(sim::Mode::Off);
    QVERIFY(
        s.rig.time.runUntil([] { return modConnectionStatus::g_getModuleStatus(1) == 0; }, 5000));
    QVERIFY(!g_startBootloader(modules(0, 3), true));
    QCOMPARE(s.window.failures.size(), 1);
    QCOMPARE(s.window.failures.first().module, 1);
    QCOMPARE(s.window.failures.first().text,
             QStringLiteral("      failed! Could not start Bootloader  because heartbeat was not "
                            "received. \r      Please check the connection to the PXU and try "
                            "again."));
    // The first pass sent every command; the main pass stopped at module 1.
    QCOMPARE(s.window.messages, (QStringList{"   Start bootloader", "      PXU 0: ok"}));
    QCOMPARE(statesNow().at(3), 2);
}

void ModeChangeTest::closedInterfaceShowsOneFailureOfThePolls() {
    SBusRig s;
    QVERIFY(s.connect());
    frmCANopen().g_releaseCanOpen(true);

    QVERIFY(!g_startBootloader(modules(0, 3), true));

    // Four polls of the first pass and three attempts of 41 polls for module 0 failed.
    QStringList boxes;
    for (const BoxRequest& box : s.rig.dialogs.shown())
        boxes << box.title;
    QCOMPARE(boxes, QStringList{"CANopen ERROR"});
    QVERIFY(s.rig.dialogs.shown().first().text.startsWith("Set operational: "));
    QCOMPARE(s.window.messages.filter("Set operational").size(), 1);
    QVERIFY2(s.window.messages.last().endsWith(" (126 more times, not shown)"),
             qPrintable(s.window.messages.join('\n')));
    QCOMPARE(s.window.failures.size(), 1);
}

void ModeChangeTest::waitsEndOnAbortOrFatalEnd_data() {
    QTest::addColumn<bool>("application");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QStringList>("messages");
    const QStringList notStarted{"   Start application", "      PXU 0: not started!"};
    QTest::newRow("abort during the application start") << true << "abort" << notStarted;
    QTest::newRow("fatal end during the application start") << true << "fatal" << notStarted;
    QTest::newRow("fatal end during the bootloader start")
        << false << "fatal" << QStringList{"   Start bootloader", "      PXU 0: ok"};
    // Nobody can tell whether the module would have come: the caller says why it stopped.
    QTest::newRow("channel lost during the application start")
        << true << "lost" << QStringList{"   Start application"};
    QTest::newRow("channel lost during the bootloader start")
        << false << "lost" << QStringList{"   Start bootloader", "      PXU 0: ok"};
}

void ModeChangeTest::waitsEndOnAbortOrFatalEnd() {
    QFETCH(bool, application);
    QFETCH(QString, cause);
    QFETCH(QStringList, messages);
    SBusRig s;
    test::LosableChannel channel(s.rig.bus);
    channel.install();
    if (application) {
        // Module 0 never comes up: its wait would take 30 s.
        s.rig.modules.setModes(0, 3, sim::Mode::Bootloader);
        QVERIFY(s.config.ok() && s.rig.open(QStringLiteral("S-Bus")));
        QVERIFY(s.rig.time.runUntil([] { return modConnectionStatus::g_getModuleStatus(3) == 2; },
                                    3000));
        s.rig.modules.module(0).faults().silent = true;
    } else {
        // Module 1 is gone: three attempts of 41 polls would follow, then its failure.
        QVERIFY(s.connect());
        s.rig.modules.module(1).setMode(sim::Mode::Off);
        QVERIFY(s.rig.time.runUntil([] { return modConnectionStatus::g_getModuleStatus(1) == 0; },
                                    5000));
    }
    ClockTimer trigger;
    trigger.setSingleShot(true);
    QObject::connect(&trigger, &ClockTimer::timeout, [&] {
        if (cause == QLatin1String("fatal"))
            s.window.ending = true;
        else if (cause == QLatin1String("lost"))
            channel.lose();
        else
            s.window.abortRequested = true;
    });
    trigger.start(1500);
    const qint64 start = s.rig.time.nowMs();

    const bool result = application ? g_startApplication(modules(0, 3), true)
                                    : g_startBootloader(modules(0, 3), true);

    QVERIFY(!result);
    const qint64 elapsed = s.rig.time.nowMs() - start;
    QVERIFY2(elapsed >= 1500 && elapsed < 2500, qPrintable(QString::number(elapsed)));
    QCOMPARE(s.window.messages.mid(0, messages.size()), messages);
    if (!application || cause == QLatin1String("lost")) {
        QCOMPARE(s.window.messages, messages);
        QVERIFY(s.window.failures.isEmpty());
    }
    // Only the start question; after the fatal end or the loss no failing network start
    // shows a box.
    QVERIFY(s.rig.dialogs.shown().isEmpty());
}

void ModeChangeTest::mBusSwitchesCylindersThroughSpareAndSpareLast() {
    AdlRig adl(6);
    QVERIFY(adl.connect());
    QVERIFY(g_startBootloader(modules(0, 6), true));
    // Standstill question first, then the warning about the spare (default Yes).
    QCOMPARE(adl.rig.dialogs.windows().size(), 1);
    QCOMPARE(adl.rig.dialogs.shown().size(), 1);
    QVERIFY(adl.rig.dialogs.shown().first().text.startsWith(
        QStringLiteral("PXU-Loader is connected to M-Bus (auto-download mode). The connection to "
                       "all other modules will be lost")));
    QCOMPARE(
        adl.window.messages,
        (QStringList{"   Start bootloader", "      PXU 6: ok", "      PXU 5: ok", "      PXU 4: ok",
                     "      PXU 3: ok", "      PXU 2: ok", "      PXU 1: ok", "      PXU 0: ok"}));
    // One command for the cylinders, one SDO write for the spare.
    QCOMPARE(adl.spare.commandsTaken(), 1);
    QCOMPARE(programControlWrites(adl.rig), (QList<QList<int>>{{0x11, 3, 1}}));
    for (int n = 0; n <= 6; ++n)
        QCOMPARE(adl.rig.modules.module(n).mode(), sim::Mode::Bootloader);

    adl.window.messages.clear();
    QVERIFY(g_startApplication(modules(0, 6), true));
    for (int n = 0; n <= 6; ++n)
        QCOMPARE(adl.rig.modules.module(n).mode(), sim::Mode::Application);
    QCOMPARE(adl.spare.commandsTaken(), 2);
    QCOMPARE(programControlWrites(adl.rig).mid(1), (QList<QList<int>>{{0x7F, 6, 1}}));
    QCOMPARE(adl.window.messages.size(), 8);
    QCOMPARE(adl.window.messages.last(), QStringLiteral("      PXU 6: ok"));
}

void ModeChangeTest::mBusRefusesWhileEngineRuns() {
    AdlRig adl(6);
    adl.spare.setEngineRunning(true, 4);
    QVERIFY(adl.connect());
    QVERIFY(!g_startBootloader(modules(0, 6), true));
    QCOMPARE(adl.window.messages, (QStringList{"   Start bootloader", kEngineRunning}));
    QVERIFY(adl.rig.dialogs.windows().isEmpty());
    QCOMPARE(adl.spare.commandsTaken(), 0);
    QVERIFY(programControlWrites(adl.rig).isEmpty());
}

void ModeChangeTest::mBusGatePassesWithTooFewCylinders() {
    AdlRig adl(2); // the sample configuration needs three cylinders to run the engine
    adl.spare.setEngineRunning(true);
    QVERIFY(adl.connect());
    QVERIFY(!g_enoughCylindersToRunEngine());
    QVERIFY(engineStandStill());
    QVERIFY(!adl.window.messages.contains(QStringLiteral("Waiting for Engine StandStill signal.")));
}

void ModeChangeTest::mBusSpareQuestionOnlyWithCylinders_data() {
    QTest::addColumn<int>("lastCylinder");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<bool>("asked");
    QTest::newRow("cylinders connected") << 2 << true << true;
    QTest::newRow("caller does not allow asking") << 2 << false << false;
    QTest::newRow("no cylinder connected") << 0 << true << false;
}

void ModeChangeTest::mBusSpareQuestionOnlyWithCylinders() {
    QFETCH(int, lastCylinder);
    QFETCH(bool, ask);
    QFETCH(bool, asked);
    AdlRig adl(lastCylinder);
    QVERIFY(adl.config.ok() && adl.rig.open(QStringLiteral("M-Bus")));
    QVERIFY(adl.rig.time.runUntil(
        [] { return modConnectionStatus::g_getModuleStatus(0) == moduleApplicationRunning; },
        3000));
    adl.rig.time.runFor(1000);
    adl.rig.dialogs.answer(BoxAnswer::No);
    const bool started = g_startBootloader(modules(0, 0), ask);
    QCOMPARE(adl.rig.dialogs.shown().size(), asked ? 1 : 0);
    QCOMPARE(started, !asked);
    QCOMPARE(adl.rig.modules.module(0).mode(),
             asked ? sim::Mode::Application : sim::Mode::Bootloader);
}

void ModeChangeTest::singleTargetSelection() {
    const ModuleSelection s = g_singeTargetSelection(3);
    for (int n = 0; n < kModuleCount; ++n)
        QCOMPARE(s[n], n == 3);
}

QTEST_MAIN(ModeChangeTest)
#include "mode_change_test.moc"
