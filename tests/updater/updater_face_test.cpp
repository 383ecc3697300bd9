#include "bus/can_open_master.h"
#include "core/config_items.h"
#include "core/globals.h"
#include "core/program_info.h"
#include "face_rig.h"
#include "support/recording_desktop.h"
#include "support/scripted_dialogs.h"
#include "updater/updater_face.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

class UpdaterFaceTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void userInfoShowsTextOrMessageAndDecidesTheButtons_data();
    void userInfoShowsTextOrMessageAndDecidesTheButtons();
    void userInfoWaitsForItsStep();
    void addMessageUpdaterFillsListAndReportLine();
    void setTextColoursAndMirrorsTheStepName();
    void initialiseMakesEveryStepIdle();
    void okButtonResumesTheSequencer();
    void finishAsksTheSequencerToExit();
    void showUpdaterSavesTheStepsAndStartsTheTimer();
    void errorSignalTurnsTheListRed();
    void progressIsClamped();
    void reportTellsTheOutcome_data();
    void reportTellsTheOutcome();
    void reportIsWrittenOncePerRun();
    void aFileTheDesktopCannotOpenIsNamedInABox_data();
    void aFileTheDesktopCannotOpenIsNamedInABox();
};

void UpdaterFaceTest::userInfoShowsTextOrMessageAndDecidesTheButtons_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("askOk");
    QTest::addColumn<bool>("askExit");
    QTest::addColumn<QString>("shown"); // "#n": user message n
    QTest::addColumn<bool>("ok");       // OK shown and the flag handed back
    QTest::addColumn<bool>("finish");
    QTest::addColumn<bool>("timer");

    QTest::newRow("step 0 text") << "0" << false << false << "0" << false << false << true;
    QTest::newRow("plain text") << "Connecting" << false << false << "Connecting" << false << false
                                << true;
    QTest::newRow("message with OK") << "1" << false << false << "#1" << true << true << false;
    QTest::newRow("message without OK overrides the caller's OK")
        << "83" << true << false << "#83" << false << false << true;
    QTest::newRow("message id with blanks around it")
        << " 13 " << false << false << "#13" << false << false << true;
    QTest::newRow("text beginning with a number is shown as it is")
        << "13 more" << false << false << "13 more" << false << false << true;
    QTest::newRow("a formatted message's text is shown as it is")
        << "2 cylinders" << true << false << "2 cylinders" << true << true << false;
    QTest::newRow("caller's Finish") << "Done" << false << true << "Done" << false << true << false;
    QTest::newRow("missing message")
        << "999" << false << false << "User Information text not found in database: 999" << false
        << false << true;
}

void UpdaterFaceTest::userInfoShowsTextOrMessageAndDecidesTheButtons() {
    QFETCH(QString, text);
    QFETCH(bool, askOk);
    QFETCH(bool, askExit);
    QFETCH(QString, shown);
    QFETCH(bool, ok);
    QFETCH(bool, finish);
    QFETCH(bool, timer);
    FaceRig rig;
    bool okFlag = askOk;
    bool exitFlag = askExit;
    QVERIFY(rig.face.setUserInfo(text, 0, okFlag, exitFlag));
    const QString expected =
        shown.startsWith(u'#') ? g_getUserMessage(shown.mid(1).toInt()) : shown;
    QCOMPARE(rig.face.view().userInfo, expected);
    QCOMPARE(okFlag, ok);
    QCOMPARE(rig.face.view().ok.visible, ok);
    QCOMPARE(rig.face.view().exit.visible, finish);
    QCOMPARE(rig.face.view().exit.enabled, finish);
    QCOMPARE(rig.face.timCyclic.isActive(), timer);
    rig.face.timCyclic.stop();
}

void UpdaterFaceTest::userInfoWaitsForItsStep() {
    FaceRig rig;
    bool ok = false;
    bool exit = false;
    rig.face.m_stepTicks = 1;
    QVERIFY(!rig.face.setUserInfo(QStringLiteral("later"), 2, ok, exit));
    QCOMPARE(rig.face.view().userInfo, QString());
    rig.face.m_stepTicks = 2;
    QVERIFY(rig.face.setUserInfo(QStringLiteral("now"), 2, ok, exit));
    QCOMPARE(rig.face.view().userInfo, QStringLiteral("now"));
    rig.face.timCyclic.stop();
}

void UpdaterFaceTest::addMessageUpdaterFillsListAndReportLine() {
    FaceRig rig;
    QString text = QStringLiteral("a\rb");
    rig.face.addMessageUpdater(text, 3);
    QVERIFY(text.isEmpty());
    QCOMPARE(rig.face.messages().lines(), (QStringList{"a", "b"}));
    QCOMPARE(rig.face.messages().currentRow(), 1);
    QCOMPARE(rig.face.m_reportLines[3], QStringLiteral("b"));
    rig.face.addMessageUpdater(QString(), 4);
    rig.face.addMessageUpdater(QStringLiteral("log only"), -1);
    QCOMPARE(rig.face.messages().count(), 3);
    QCOMPARE(rig.face.m_reportLines[4], QString());
}

void UpdaterFaceTest::setTextColoursAndMirrorsTheStepName() {
    FaceRig rig;
    frmCANopen().setNoCan(false);
    rig.face.showUpdater();
    rig.face.timCyclic.stop();
    rig.face.setText(4, QStringLiteral("All PXU Detected"), 0xFF00);
    QCOMPARE(rig.face.view().stepText[4], QStringLiteral("All PXU Detected"));
    QCOMPARE(rig.face.view().stepColour[4], 0xFF00);
    QCOMPARE(rig.face.view().stepText[0], QStringLiteral("PXU Detection"));
    rig.face.setText(2, QString(), kStepIdle);
    QCOMPARE(rig.face.view().stepText[2], QStringLiteral("Get System Information"));
    QCOMPARE(rig.face.view().stepText[0], QStringLiteral("PXU Detection"));
}

void UpdaterFaceTest::initialiseMakesEveryStepIdle() {
    FaceRig rig;
    frmCANopen().setNoCan(false);
    rig.face.showUpdater();
    rig.face.timCyclic.stop();
    rig.face.setText(8, QStringLiteral("failed"), 0xFF);
    rig.face.m_updateFailed = rig.face.m_updateCanceled = rig.face.m_updateNotNecessary = true;
    rig.face.initialise();
    QCOMPARE(rig.face.view().stepText[8], QStringLiteral("Download Appl.-Patch"));
    QCOMPARE(rig.face.view().stepColour[8], kStepIdle);
    QVERIFY(!rig.face.m_updateFailed && !rig.face.m_updateCanceled &&
            !rig.face.m_updateNotNecessary);
}

void UpdaterFaceTest::okButtonResumesTheSequencer() {
    FaceRig rig;
    bool ok = true;
    bool exit = false;
    rig.face.setUserInfo(QStringLiteral("question"), 0, ok, exit);
    rig.face.m_stepTicks = 7;
    rig.face.cmdOk_Click();
    QCOMPARE(rig.face.m_stepTicks, 0);
    QVERIFY(rig.face.timCyclic.isActive());
    QVERIFY(!rig.face.view().ok.visible);
    QVERIFY(!rig.face.view().exit.visible);
    QVERIFY(!rig.face.view().exit.enabled);
    QCOMPARE(rig.face.view().userInfo, QString());
    rig.face.timCyclic.stop();
}

void UpdaterFaceTest::finishAsksTheSequencerToExit() {
    FaceRig rig;
    rig.face.cmdExitUpdater_Click();
    QVERIFY(rig.face.m_exitRequested);
    QVERIFY(rig.face.timCyclic.isActive());
    rig.face.timCyclic.stop();
}

void UpdaterFaceTest::showUpdaterSavesTheStepsAndStartsTheTimer() {
    FaceRig rig;
    frmCANopen().setNoCan(false);
    frmCANopen().setBlockTransfer(false);
    rig.face.m_updaterStep = 7;
    rig.face.showUpdater();
    QVERIFY(frmCANopen().g_blockTransfer());
    QCOMPARE(rig.face.m_stepTexts[1], QStringLiteral("Connecting to ZENT"));
    QCOMPARE(rig.face.m_stepTexts[12], QStringLiteral("Patch Done"));
    QCOMPARE(rig.face.m_stepTexts[0], QString());
    QCOMPARE(rig.face.m_updaterStep, 0);
    QVERIFY(rig.face.timCyclic.isActive());
    QCOMPARE(rig.face.timCyclic.interval(), 500);
    QVERIFY(rig.face.messages().lines().isEmpty());
    rig.face.timCyclic.stop();
}

void UpdaterFaceTest::errorSignalTurnsTheListRed() {
    FaceRig rig;
    QVERIFY(!rig.face.errorSignal(false));
    QVERIFY(!rig.face.view().listRed);
    QVERIFY(rig.face.errorSignal(true));
    QVERIFY(rig.face.errorSignal(false));
    QVERIFY(rig.face.view().listRed);
}

void UpdaterFaceTest::progressIsClamped() {
    FaceRig rig;
    rig.face.updateProgressUpdater(0.5, false);
    rig.face.updateProgressUpdater(0.75, true);
    QCOMPARE(rig.face.view().progressUpdater, 1.0);
    rig.face.updateProgressUpdater(-0.1, false);
    QCOMPARE(rig.face.view().progressUpdater, 0.0);
}

void UpdaterFaceTest::reportTellsTheOutcome_data() {
    QTest::addColumn<bool>("failed");
    QTest::addColumn<bool>("notNecessary");
    QTest::addColumn<bool>("canceled");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("details");
    QTest::newRow("failed wins over canceled")
        << true << false << true
        << "ZENT-6183 Software update failed. Find more details in the report below." << true;
    QTest::newRow("not necessary")
        << false << true << false << "ZENT-6183 Software update was not necessary." << false;
    QTest::newRow("canceled")
        << false << false << true
        << "ZENT-6183 Software update was canceled by the user!\r\nSoftware is not updated!"
        << false;
    QTest::newRow("success") << false << false << false
                             << "ZENT-6183 Software is successfully updated." << false;
}

void UpdaterFaceTest::reportTellsTheOutcome() {
    QFETCH(bool, failed);
    QFETCH(bool, notNecessary);
    QFETCH(bool, canceled);
    QFETCH(QString, outcome);
    QFETCH(bool, details);
    FaceRig rig;
    rig.face.m_reportLines[0] = QStringLiteral("start line");
    rig.face.m_reportLines[1] = QStringLiteral("  Hull-Number: 4711");
    rig.face.addMessageUpdater(QStringLiteral("Step 1: Prepare connection to ZENT"), -1);
    rig.face.m_updateFailed = failed;
    rig.face.m_updateNotNecessary = notNecessary;
    rig.face.m_updateCanceled = canceled;
    rig.face.writeReport();
    const QString report = rig.readReport();
    QVERIFY(report.startsWith(QStringLiteral("start line\r\n  Hull-Number: 4711\r\n") +
                              QStringLiteral("\r\n").repeated(11) + outcome + "\r\n"));
    QCOMPARE(report.contains(QStringLiteral("Report Details  ---")), details);
    QCOMPARE(report.contains(QStringLiteral("Step 1: Prepare connection to ZENT")), details);
    QVERIFY(
        report.contains(QStringLiteral("------------------- ZENT-6183 Update Tool terminated  ")));
    QVERIFY(report.endsWith(QStringLiteral(" -------------------\r\n\r\n")));
}

void UpdaterFaceTest::reportIsWrittenOncePerRun() {
    FaceRig rig;
    rig.face.writeReport();
    QCOMPARE(rig.readReport(), QString()); // nothing to report yet
    QCOMPARE(rig.face.reportFile(), QString());
    rig.face.m_reportLines[0] = QStringLiteral("first run");
    rig.face.writeReport();
    const QString once = rig.readReport();
    rig.face.m_reportLines[0] = QStringLiteral("again");
    rig.face.writeReport();
    QCOMPARE(rig.readReport(), once);

    UpdaterFace second(rig.window); // the next run of the program
    second.m_reportLines[0] = QStringLiteral("second run");
    second.writeReport();
    QVERIFY(rig.readReport().startsWith(once + QStringLiteral("second run\r\n")));
}

void UpdaterFaceTest::aFileTheDesktopCannotOpenIsNamedInABox_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("opens");
    QTest::newRow("the report, no program for it") << "Open Report"
                                                   << "DORN Update Tool Report.txt" << false;
    QTest::newRow("the instruction, no program for it") << "Open Instruction"
                                                        << "Instruction.txt" << false;
    QTest::newRow("the report, opened: no box") << "Open Report"
                                                << "DORN Update Tool Report.txt" << true;
}

void UpdaterFaceTest::aFileTheDesktopCannotOpenIsNamedInABox() {
    QFETCH(QString, caption);
    QFETCH(QString, file);
    QFETCH(bool, opens);
    FaceRig rig;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    desktop.setSucceeds(opens);
    rig.workspace.writeFile(QStringLiteral("Instruction.txt"), "What to do next.\r\n");
    rig.face.m_reportLines[0] = QStringLiteral("start line");
    rig.face.setOpenReport(true, caption);
    rig.face.cmdOpenReport_Click();
    QCOMPARE(desktop.urls().size(), 1);
    if (opens) {
        QVERIFY(dialogs.texts().isEmpty());
        return;
    }
    QCOMPARE(dialogs.texts().size(), 1);
    QVERIFY2(dialogs.texts()[0].contains(QDir(programFolder()).filePath(file)),
             qPrintable(dialogs.texts()[0]));
}

QTEST_MAIN(UpdaterFaceTest)
#include "updater_face_test.moc"
