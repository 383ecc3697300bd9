// The sequencer's tick rules on a face without a bus: step changes, first body, exit
// requests and the end of the run.
#include "bus/can_open_master.h"
#include "core/config_items.h"
#include "core/globals.h"
#include "face_rig.h"
#include "support/scripted_dialogs.h"
#include "updater/updater_face.h"

#include <QFile>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

struct SequencerRig : FaceRig {
    SequencerRig() {
        frmCANopen().setNoCan(false);
        face.showUpdater();
    }
    void tick(int times = 1) {
        for (int i = 0; i < times; ++i)
            face.timCyclic_Timer();
    }

    ScriptedDialogs dialogs;
};

} // namespace

class UpdateSequencerTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void aStepsBodyFirstRunsOnTheThirdTickAfterItsEntry();
    void stepEntryLogsColoursAndShowsTheStepsMessage();
    void exitRequest_data();
    void exitRequest();
    void aStepOutsideTheRangeEndsTheRun();
};

void UpdateSequencerTest::aStepsBodyFirstRunsOnTheThirdTickAfterItsEntry() {
    SequencerRig rig;
    QVERIFY(rig.face.timCyclic.isActive());
    rig.tick(); // entering step 0
    QCOMPARE(rig.face.sequencer().lastStep(), std::optional<int>(0));
    QCOMPARE(rig.face.view().userInfo, QStringLiteral("0"));
    QCOMPARE(rig.face.m_stepTicks, -1);
    QVERIFY(rig.face.messages().lines().isEmpty()); // no step line, no box for step 0
    rig.tick(2);
    QCOMPARE(rig.face.m_stepTicks, 1);
    QCOMPARE(rig.face.m_updaterStep, 0);
    rig.tick(); // the body: message 1 asks "Start" and stops the timer
    QCOMPARE(rig.face.m_updaterStep, 1);
    QCOMPARE(rig.face.view().userInfo, g_getUserMessage(1));
    QVERIFY(rig.face.view().ok.visible);
    QVERIFY(!rig.face.timCyclic.isActive());
    QCOMPARE(rig.face.m_reportLines[0], QString());
}

void UpdateSequencerTest::stepEntryLogsColoursAndShowsTheStepsMessage() {
    SequencerRig rig;
    rig.face.m_updaterStep = 5;
    rig.tick();
    QCOMPARE(rig.face.messages().lines(), QStringList{"Step 5: Enable Autoupdate"});
    QCOMPARE(rig.face.view().stepColour[5], kStepRunning);
    QCOMPARE(rig.face.view().stepText[0], QStringLiteral("Enable Autoupdate"));
    QCOMPARE(rig.face.view().userInfo, g_getUserMessage(50));
    QCOMPARE(rig.face.view().progressUpdater, 5 / 12.0);
    QVERIFY(!rig.face.view().progressLoadVisible);

    // After a failure the step's own message no longer replaces the failure's.
    rig.face.m_updateFailed = true;
    rig.face.m_updaterStep = 12;
    rig.tick();
    QCOMPARE(rig.face.view().userInfo, g_getUserMessage(50));
    QVERIFY(rig.face.m_reportLines[0].isEmpty()); // the start line comes with step 1 only

    rig.face.m_updaterStep = 1;
    rig.tick();
    QVERIFY(rig.face.m_reportLines[0].startsWith(
        QStringLiteral("------------------- ZENT-6183 Update Tool started  ")));
    QVERIFY(rig.face.m_reportLines[0].endsWith(QStringLiteral(" -------------------")));
}

void UpdateSequencerTest::exitRequest_data() {
    QTest::addColumn<int>("atStep");
    QTest::addColumn<int>("nextStep"); // -1: the run ends
    QTest::addColumn<bool>("canceled");
    QTest::newRow("at the download: canceled, the applications are started") << 8 << 9 << true;
    QTest::newRow("at the CRC write-back: the outcome") << 10 << 12 << false;
    QTest::newRow("elsewhere: report and end") << 4 << -1 << false;
    QTest::newRow("at the outcome: report and end") << 12 << -1 << false;
}

void UpdateSequencerTest::exitRequest() {
    QFETCH(int, atStep);
    QFETCH(int, nextStep);
    QFETCH(bool, canceled);
    SequencerRig rig;
    rig.face.m_reportLines[0] = QStringLiteral("start line");
    rig.face.m_updaterStep = atStep;
    rig.tick();
    rig.face.cmdExitUpdater_Click();
    rig.tick();
    if (nextStep < 0) {
        QVERIFY(rig.window.programEnded());
        QVERIFY(rig.readReport().startsWith(QStringLiteral("start line\r\n")));
        return;
    }
    QVERIFY(!rig.window.programEnded());
    QVERIFY(!rig.face.m_exitRequested);
    QCOMPARE(rig.face.m_updaterStep, nextStep);
    QCOMPARE(rig.face.sequencer().lastStep(), std::optional<int>(nextStep));
    QCOMPARE(rig.face.m_updateCanceled, canceled);
    QVERIFY(rig.readReport().isEmpty());
}

void UpdateSequencerTest::aStepOutsideTheRangeEndsTheRun() {
    SequencerRig rig;
    rig.face.m_reportLines[0] = QStringLiteral("start line");
    rig.face.m_updaterStep = 13;
    rig.tick();
    QVERIFY(rig.window.programEnded());
    QVERIFY(rig.readReport().startsWith(QStringLiteral("start line\r\n")));
}

QTEST_MAIN(UpdateSequencerTest)
#include "update_sequencer_test.moc"
