#include "bus/can_open_master.h"
#include "bus/can_open_panel_form.h"
#include "bus/heart_beat_control.h"
#include "core/config_items.h"
#include "core/message_list_view.h"
#include "core/program_info.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_reconstruction.h"
#include "dcbuilder/dc_tools.h"
#include "main_window_fixture.h"
#include "mainwindow/main_window_form.h"
#include "support/newest_line.h"
#include "support/recording_desktop.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>
#include <functional>

using namespace pxu;
using namespace pxu::test;

using Action = std::function<void(MainWindow&)>;
Q_DECLARE_METATYPE(Action)

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void addMessageSplitsAtCarriageReturns_data();
    void addMessageSplitsAtCarriageReturns();
    void progressIsClampedAndMirroredInTheUpdater_data();
    void progressIsClampedAndMirroredInTheUpdater();
    void downloadStatusIsTheLampsColour();
    void downloadFailureNamesTheModule();
    void restoredSelectionTicksOnlyConnectedModules();
    void templateAndReconstructionAreReachedFromTheToolsMenu();
    void buildDataContainerOpensTheBuilderOnTheLoadFileFolder();
    void selectFileDirCancelChangesNothing();
    void selectFileDirStoresAndChecksTheFolder();
    void openReportWritesTheReportAndOpensIt();
    void openInstructionOpensTheInstructionFile();
    void startApplicationLocksWithAbortStartBootloaderWithout_data();
    void startApplicationLocksWithAbortStartBootloaderWithout();
    void viewMenuShowsTheCanOpenPanelUntilShutDown();
};

void MainWindowTest::addMessageSplitsAtCarriageReturns_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("two lines") << "a\rb" << QStringList{"a", "b"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("ending in CR") << "a\r" << QStringList{"a"};
    QTest::newRow("two CRs") << "a\r\rb" << QStringList{"a", "", "b"};
    QTest::newRow("line feed stays") << "a\r\nb" << QStringList{"a", "\nb"};
}

void MainWindowTest::addMessageSplitsAtCarriageReturns() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    MainWindow window;
    MessageListView list(window.messages());
    list.resize(300, 120);
    list.show();
    // More lines than the list has room for: the newest is only in sight if it scrolls.
    for (int i = 0; i < 29; ++i)
        window.addMessage(QStringLiteral("earlier %1").arg(i));
    window.addMessage(QStringLiteral("before"));
    QSignalSpy refreshed(&window.messages(), &MessageList::linesShown);
    window.addMessage(text);
    QVERIFY(text.isEmpty());
    QCOMPARE(window.messages().lines().mid(29), QStringList{"before"} + lines);
    // Right after the line before, the window shows them as soon as its events run.
    QTRY_COMPARE(refreshed.size(), 1);
    QVERIFY(showsNewestLine(list));
}

void MainWindowTest::progressIsClampedAndMirroredInTheUpdater_data() {
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<double>("result");
    QTest::newRow("relative beyond 1") << 0.5 << 0.75 << true << 1.0;
    QTest::newRow("below 0") << 0.5 << -0.1 << false << 0.0;
    QTest::newRow("relative step") << 0.25 << 0.25 << true << 0.5;
    QTest::newRow("relative below 0") << 0.25 << -0.5 << true << 0.0;
    QTest::newRow("set") << 0.9 << 0.3 << false << 0.3;
}

void MainWindowTest::progressIsClampedAndMirroredInTheUpdater() {
    QFETCH(double, start);
    QFETCH(double, value);
    QFETCH(bool, relative);
    QFETCH(double, result);
    MainWindow window;
    UpdaterFace face(window);
    window.updateProgress(start);
    window.updateProgress(value, relative);
    QCOMPARE(window.progress(), result);
    QCOMPARE(face.view().progressLoad, 0.0);
    g_applUpdate = true;
    window.updateProgress(value, relative);
    QCOMPARE(face.view().progressLoad, window.progress());
}

void MainWindowTest::downloadStatusIsTheLampsColour() {
    MainWindow window;
    window.setLamp(2, true, kColourRed);
    QVERIFY(!window.g_downloadStatusOk(2));
    QVERIFY(window.g_downloadStatusOk(3));
    window.resetStatus(true);
    QVERIFY(window.row(2).lampVisible);
    QVERIFY(!window.g_downloadStatusOk(2));
    window.resetStatus(false);
    QVERIFY(!window.row(2).lampVisible);
    QVERIFY(window.g_downloadStatusOk(2));
}

void MainWindowTest::downloadFailureNamesTheModule() {
    MainWindow window;
    window.downloadFailure(QStringLiteral("      failure in transmitting infoblock!"), 3);
    QCOMPARE(window.messages().lines(),
             QStringList{"      PXU 3: failure in transmitting infoblock!"});
    QVERIFY(window.row(3).lampVisible);
    QVERIFY(!window.g_downloadStatusOk(3));
}

void MainWindowTest::restoredSelectionTicksOnlyConnectedModules() {
    MainWindow window;
    g_cobIdApplication = 0x20;
    g_cobIdBootloader = 0x70;
    modHeartBeatControl::g_initialise();
    for (int m : {1, 4, 6}) {
        window.selection().setApplicationRunning(m, 1);
        window.selection().setProgram(m, 1);
    }
    window.selection().setAllModules(2); // grey counts as not ticked
    const ModuleSelection snapshot = window.g_getUserSelection();
    QVERIFY(snapshot[1] && snapshot[4] && snapshot[6] && !snapshot[0]);

    modHeartBeatControl::g_receiveHeartBeat(0x700 + 0x20 + 1);
    modHeartBeatControl::g_receiveHeartBeat(0x700 + 0x70 + 6);
    modHeartBeatControl::g_heartBeatControl_Update();
    for (int m : {1, 4, 6})
        window.selection().setProgram(m, 0);
    window.selection().setProgram(9, 1);
    window.g_restoreUserSelection(snapshot);
    QCOMPARE(window.selection().program(1).value, 1);
    QCOMPARE(window.selection().program(4).value, 0); // lost its connection
    QCOMPARE(window.selection().program(6).value, 1);
    QCOMPARE(window.selection().program(9).value, 1); // never unticked here
    modHeartBeatControl::g_initialise();
    g_cobIdApplication = g_cobIdBootloader = 0;
}

void MainWindowTest::templateAndReconstructionAreReachedFromTheToolsMenu() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    const QString folder = workspace.configFolder(QStringLiteral("work"));
    QVERIFY(!folder.isEmpty());
    Program program(workspace, {"/noCan", "/db=" + folder});
    QVERIFY(program.start());
    const QString plant =
        workspace.copyFile(QStringLiteral(PXU_SAMPLE_PLANT_DB),
                           QStringLiteral("work/DORN Update Tool-PXU-DC-001.mdb"));
    QVERIFY(!plant.isEmpty());
    dialogs.clear();
    program.window.messages().clear();

    program.window.mnuCreateTemplate_Click();
    QVERIFY(
        QFile::exists(workspace.path(QStringLiteral("PXU_Templates/DC_Template_Build_041.mdb"))));
    const QStringList lines = program.window.messages().lines();
    QVERIFY(lines.first().startsWith(QStringLiteral("CREATE DC TEMPLATE ---")));
    QCOMPARE(lines.mid(1, 3), (QStringList{"Creating DataContainer Template from File: ", plant,
                                           "DataContainer Template created for Build No: 041"}));

    program.window.mnuReconstructDC_Click();
    DcReconstruction& reconstruction = frmDcReconstruction();
    QVERIFY(reconstruction.isLoaded());
    QCOMPARE(reconstruction.view().fileDirectory, QDir(folder).filePath(QStringLiteral("Upload")));
    QCOMPARE(reconstruction.messages().lines(),
             QStringList{"Cannot Reconstruct DataContainter: S19 file has to be uploaded first!"});
    QVERIFY(dialogs.shown().isEmpty());
    // The shut-down unloads the window.
    program.window.mnuExit_Click();
    QVERIFY(!reconstruction.isLoaded());
}

void MainWindowTest::buildDataContainerOpensTheBuilderOnTheLoadFileFolder() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/noCan"});
    QVERIFY(program.start());
    dialogs.clear();
    program.window.mnuBuildDC_Click();
    QCOMPARE(dialogs.texts(),
             QStringList{"DataContainer " + workspace.path("DORN Update Tool-PXU-DC-???.mdb") +
                         " not available!"});
    QVERIFY(!frmDcBuilder().isLoaded());

    const QString first = workspace.copyFile(QStringLiteral(PXU_SAMPLE_PLANT_DB),
                                             QStringLiteral("DORN Update Tool-PXU-DC-001.mdb"));
    QVERIFY(!first.isEmpty());
    dialogs.clear();
    program.window.mnuBuildDC_Click();
    QCOMPARE(dialogs.shown().size(), 1); // the schema update's question
    DcBuilder& builder = frmDcBuilder();
    QVERIFY(builder.isLoaded());
    QCOMPARE(builder.newestDcFile(), first);
    // The shut-down closes the builder, which saves the updated working copy.
    program.window.mnuExit_Click();
    QVERIFY(QFile::exists(workspace.path("DORN Update Tool-PXU-DC-002.mdb")));
}

void MainWindowTest::selectFileDirCancelChangesNothing() {
    ScriptedDialogs dialogs;
    dialogs.answerFolder(std::nullopt);
    Workspace workspace;
    Program program(workspace, {"/KEV", "/noCan"});
    QVERIFY(program.start());
    const QStringList before = program.window.messages().lines();
    program.window.mnuSelectFileDir_Click();
    QCOMPARE(dialogs.folderRequests().size(), 1);
    QCOMPARE(dialogs.folderRequests().first().startDir, workspace.folder());
    QCOMPARE(program.window.loadFiles().directory(), workspace.folder());
    QCOMPARE(g_getMiscItem(QStringLiteral("programFilePath"), QStringLiteral("-")), QString());
    QCOMPARE(program.window.messages().lines(), before);
}

void MainWindowTest::selectFileDirStoresAndChecksTheFolder() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    const QString chosen = workspace.path(QStringLiteral("loads"));
    const QString appl = workspace.writeFile(QStringLiteral("loads/KEV_APPL.S19"));
    dialogs.answerFolder(chosen);
    Program program(workspace, {"/KEV", "/noCan"});
    QVERIFY(program.start());
    program.window.messages().clear();
    program.window.mnuSelectFileDir_Click();
    QCOMPARE(program.window.loadFiles().directory(), chosen);
    QCOMPARE(g_getMiscItem(QStringLiteral("programFilePath")), chosen);
    QCOMPARE(program.window.loadFiles().boxes(0).emhText, appl);
    QVERIFY(
        program.window.messages().lines().first().startsWith(QStringLiteral("CHECK LOAD FILES ")));
}

void MainWindowTest::openReportWritesTheReportAndOpensIt() {
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    Workspace workspace;
    Program program(workspace, {"/noCan"});
    QVERIFY(program.start());
    program.face.m_reportLines[0] = QStringLiteral("------------------- start -------------------");
    program.face.setOpenReport(true, QStringLiteral("Open Report"));
    program.window.cmdOpenReport_Click();
    const QString report =
        QDir(programFolder()).filePath(QStringLiteral("DORN Update Tool Report.txt"));
    QCOMPARE(program.face.reportFile(), report);
    QVERIFY(QFile::exists(report));
    QCOMPARE(desktop.urls(), QList<QUrl>{QUrl::fromLocalFile(report)});
}

void MainWindowTest::openInstructionOpensTheInstructionFile() {
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    Workspace workspace;
    Program program(workspace, {"/noCan"});
    QVERIFY(program.start());
    program.face.m_reportLines[0] = QStringLiteral("start");
    program.face.setOpenReport(true, QStringLiteral("Open Instruction"));
    program.window.cmdOpenReport_Click();
    QCOMPARE(desktop.urls(),
             QList<QUrl>{QUrl::fromLocalFile(
                 QDir(programFolder()).filePath(QStringLiteral("Instruction.txt")))});
    QVERIFY(!program.face.m_reportWritten);
    QVERIFY(!QFile::exists(workspace.path(QStringLiteral("DORN Update Tool Report.txt"))));
}

void MainWindowTest::startApplicationLocksWithAbortStartBootloaderWithout_data() {
    QTest::addColumn<Action>("entry");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("abort");
    QTest::newRow("application") << Action([](MainWindow& w) { w.mnuStartApplication_Click(); })
                                 << "Start application on all PXU's" << true;
    QTest::newRow("bootloader") << Action([](MainWindow& w) { w.mnuStartBootloader_Click(); })
                                << "Start bootloader on all PXU's" << false;
}

void MainWindowTest::startApplicationLocksWithAbortStartBootloaderWithout() {
    QFETCH(Action, entry);
    QFETCH(QString, title);
    QFETCH(bool, abort);
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/KEV", "/noCan"});
    QVERIFY(program.start());
    g_canInterfaceVersion = QStringLiteral("1.1");
    program.window.setLamp(5, true, kColourRed);
    program.window.messages().clear();
    bool abortSeen = false;
    bool exitSeen = false;
    bool locked = false;
    connect(&program.window.lock(), &ControlLock::changed, this, [&] {
        const ControlLock& lock = program.window.lock();
        if (!lock.operationMode())
            return;
        locked = true;
        abortSeen = abortSeen || lock.enabled(Control::cmdAbort);
        exitSeen = exitSeen || lock.enabled(Control::cmdExit);
    });
    entry(program.window);
    QVERIFY(locked);
    QCOMPARE(abortSeen, abort);
    QVERIFY(exitSeen);
    QVERIFY(!program.window.lock().operationMode());
    QVERIFY(program.window.g_downloadStatusOk(5));
    QVERIFY(!program.window.row(5).lampVisible);
    const QStringList lines = program.window.messages().lines();
    QVERIFY(lines.size() >= 3);
    QVERIFY(lines.first().startsWith(QString(82, u'-') + u' '));
    QCOMPARE(lines.at(1), title);
    QVERIFY(lines.last().startsWith(QString(82, u'-') + u' '));
}

void MainWindowTest::viewMenuShowsTheCanOpenPanelUntilShutDown() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/KEV", "/debug", "/noCan"});
    QVERIFY(program.start());
    MainWindowForm* form = program.window.form();
    QVERIFY(form->mnuView->menuAction()->isVisible());
    QPointer<CanOpenMaster> master(&frmCANopen());

    form->mnuShowCanOpen->trigger();
    QPointer<CanOpenPanelForm> panel(master->form());
    QVERIFY(panel);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->windowTitle(), QStringLiteral("CANopen Test"));
    QVERIFY(program.window.form()->isVisible()); // shown without waiting

    // Closing the panel only hides it; the master lives on until the shut-down.
    panel->close();
    QVERIFY(!panel->isVisible());
    QVERIFY(master);
    form->mnuShowCanOpen->trigger();
    QCOMPARE(master->form(), panel.data());
    QVERIFY(panel->isVisible());

    program.window.mnuExit_Click();
    QVERIFY(!master);
    QVERIFY(!panel);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
