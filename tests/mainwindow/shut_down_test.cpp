#include "bus/can_open_master.h"
#include "core/message_window.h"
#include "main_window_fixture.h"
#include "mainwindow/main_window_form.h"
#include "support/scripted_dialogs.h"

#include <QCloseEvent>
#include <QSignalSpy>
#include <QtTest>
#include <functional>

using namespace pxu;
using namespace pxu::test;

using WayOut = std::function<void(Program&)>;
Q_DECLARE_METATYPE(WayOut)

namespace {

void closeWindow(Program& program) {
    QCloseEvent event;
    QCoreApplication::sendEvent(program.window.form(), &event);
}

} // namespace

class ShutDownTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void everyWayOutRunsTheShutDownOnce_data();
    void everyWayOutRunsTheShutDownOnce();
    void closeIsRefusedAfterTheFirstLock();
    void exitDuringAnOperationWaitsForItsEnd();
    void exitDuringStartUpRunsWhenStartUpReturns();
    void fatalLogOffEndsWithoutUnloading();
    void fatalLogOffDuringAnOperationStopsItsLoops();
};

void ShutDownTest::everyWayOutRunsTheShutDownOnce_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<WayOut>("wayOut");
    const QStringList loader{"/KEV", "/noCan"};
    QTest::newRow("Exit menu") << loader << WayOut([](Program& p) { p.window.mnuExit_Click(); });
    QTest::newRow("Exit button") << loader << WayOut([](Program& p) { p.window.cmdExit_Click(); });
    QTest::newRow("window closed") << loader << WayOut(closeWindow);
    QTest::newRow("Exit twice") << loader << WayOut([](Program& p) {
        p.window.mnuExit_Click();
        p.window.cmdExit_Click();
        closeWindow(p);
    });
    QTest::newRow("updater's end")
        << QStringList{"/noCan"} << WayOut([](Program& p) { p.window.cmdExit_Click(); });
}

void ShutDownTest::everyWayOutRunsTheShutDownOnce() {
    QFETCH(QStringList, arguments);
    QFETCH(WayOut, wayOut);
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, arguments);
    QVERIFY(program.start());
    QPointer<CanOpenMaster> master(&frmCANopen());
    QStringList unloaded;
    program.window.setUnloader(UnloadSlot::moduleOverview, [&] { unloaded << "overview"; });
    program.window.setUnloader(UnloadSlot::hwInfoBlockRepair, [&] {
        QVERIFY(!frmMessage2().isLoaded()); // the message window before the repair window
        unloaded << "repair";
    });
    QSignalSpy ended(&program.window.shutDown(), &ShutDown::programEnded);

    wayOut(program);

    QCOMPARE(program.window.shutDown().runs(), 1);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toInt(), 0);
    QVERIFY(!master); // the CANopen master is released and unloaded
    QCOMPARE(unloaded, (QStringList{"overview", "repair"}));
    QVERIFY(!program.window.form()->isVisible());
    QVERIFY(program.window.programEnded());
}

void ShutDownTest::closeIsRefusedAfterTheFirstLock() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/KEV", "/noCan"});
    QVERIFY(program.start());
    program.window.disableOtherControls(lockStartModules);
    program.window.enableAllControls();
    closeWindow(program);
    QCOMPARE(program.window.shutDown().runs(), 0);
    QVERIFY(program.window.form()->isVisible());
    program.window.mnuExit_Click();
    QCOMPARE(program.window.shutDown().runs(), 1);
}

void ShutDownTest::exitDuringAnOperationWaitsForItsEnd() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/KEV", "/noCan"});
    QVERIFY(program.start());
    QPointer<CanOpenMaster> master(&frmCANopen());
    {
        ShutDown::Operation operation(program.window.shutDown());
        program.window.disableOtherControls(lockStartModules); // Exit stays usable
        program.window.cmdExit_Click();
        program.window.cmdExit_Click();
        QCOMPARE(program.window.shutDown().runs(), 0);
        QVERIFY(master);
        QVERIFY(!program.window.programEnding());
        program.window.enableAllControls();
    }
    QCOMPARE(program.window.shutDown().runs(), 1);
    QVERIFY(!master);
    QVERIFY(program.window.programEnded());
}

void ShutDownTest::exitDuringStartUpRunsWhenStartUpReturns() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/TOQ"});
    bool seenRunning = false;
    dialogs.whileShown([&] {
        program.window.mnuExit_Click();
        seenRunning = !program.window.programEnded();
    });
    QVERIFY(!program.start());
    QVERIFY(seenRunning);
    QCOMPARE(program.window.shutDown().runs(), 1);
    // Start-up went to its end before the shut-down.
    QCOMPARE(program.window.view().caption, QStringLiteral("ZENT-6183 Update Tool     for TOQ"));
    QVERIFY(!program.window.form()->isVisible());
}

void ShutDownTest::fatalLogOffEndsWithoutUnloading() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/KEV", "/noCan"});
    QVERIFY(program.start());
    QPointer<CanOpenMaster> master(&frmCANopen());
    QSignalSpy ended(&program.window.shutDown(), &ShutDown::programEnded);
    program.window.g_logOffApplication(true);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toInt(), 1);
    QCOMPARE(program.window.shutDown().runs(), 0);
    QVERIFY(master);
    QVERIFY(program.window.form()->isVisible());
    program.window.mnuExit_Click();
    QCOMPARE(program.window.shutDown().runs(), 0);
    QCOMPARE(ended.size(), 1);
}

void ShutDownTest::fatalLogOffDuringAnOperationStopsItsLoops() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/develop"});
    QVERIFY(program.start());
    program.face.timCyclic.start();
    QSignalSpy ended(&program.window.shutDown(), &ShutDown::programEnded);
    int passes = 0;
    {
        ShutDown::Operation operation(program.window.shutDown());
        // A long loop as the download runs it, told to stop by the fatal refresh.
        while (!program.window.programEnding() && passes < 100) {
            if (++passes == 3)
                program.window.g_logOffApplication(true);
        }
        QVERIFY(!program.face.timCyclic.isActive());
        // The module protocol's waits see it too.
        QVERIFY(mainWindowServices().programEnding());
        QCOMPARE(ended.size(), 0);
    }
    QCOMPARE(passes, 3);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(program.window.shutDown().runs(), 0);
}

QTEST_MAIN(ShutDownTest)
#include "shut_down_test.moc"
