// The sequencer's tick rules on a face without a bus: step changes, first body, exit
// requests and the end of the run.
#include "bus/can_open_master.h"
#include "core/config_items.h"
#include "core/globals.h"
#include "face_rig.h"
#include "support/recording_error_handler.h"
#include "support/scripted_dialogs.h"
#include "updater/build_map.h"
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
    void theCheckTimesOutOnlyWhenIncomplete_data();
    void theCheckTimesOutOnlyWhenIncomplete();
    void theNewCrcOfTheBuildMapIsUnsigned_data();
    void theNewCrcOfTheBuildMapIsUnsigned();
    void aFailureInATickStopsTheRunOnce_data();
    void aFailureInATickStopsTheRunOnce();
};

void UpdateSequencerTest::aStepsBodyFirstRunsOnTheThirdTickAfterItsEntry() {
    SequencerRig rig;
    QVERIFY(rig.face.timCyclic.isActive());
    rig.tick(); // entering step 0
    QCOMPARE(rig.face.sequencer().lastStep(), std::optional<int>(0));
    QCOMPARE(rig.face.view().userInfo, QString()); // no "0" while the start question waits
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

void UpdateSequencerTest::theCheckTimesOutOnlyWhenIncomplete_data() {
    QTest::addColumn<bool>("complete");
    QTest::newRow("complete on the time-out's tick: checked") << true;
    QTest::newRow("incomplete: the time-out") << false;
}

void UpdateSequencerTest::theCheckTimesOutOnlyWhenIncomplete() {
    QFETCH(bool, complete);
    SequencerRig rig;
    rig.face.m_updaterStep = 11;
    rig.tick(); // entering the check
    while (rig.face.m_stepTicks < 41)
        rig.tick();
    QCOMPARE(rig.face.m_updaterStep, 11);
    // The last value comes just before the body that sees the 20 s pass.
    SystemInformation& info = rig.face.systemInfo().info();
    info.hullNumberChunks = 4;
    info.engineTypeLength = 4;
    info.engineTypeChars = 4;
    info.developer = 1305;
    info.build = 41;
    info.noOfCyl = 6;
    info.autoDownload = 1;
    info.crcValueImo = 0x0C1E;
    info.crcLenImo = 8192;
    info.crcValueApplication = qint32(0x9E373C4D);
    info.crcLenApplication = complete ? 16384 : 0;
    rig.tick();
    QCOMPARE(rig.face.m_updaterStep, 12);
    QCOMPARE(rig.face.view().stepColour[11], complete ? kColourGreen : kColourRed);
    QCOMPARE(rig.face.m_updateFailed, !complete);
    const QStringList log = rig.face.messages().lines();
    QCOMPARE(log.contains(QStringLiteral("   Application could not be checked!")), !complete);
    if (complete) {
        QCOMPARE(rig.face.m_reportLines[7],
                 QStringLiteral("  Appl-CRC: 0x3C4D   / Len: 16384   after  update"));
        QCOMPARE(log.last(), QStringLiteral("  Auto-Download: ON"));
    } else {
        QCOMPARE(rig.face.view().userInfo, g_getUserMessage(111));
        QVERIFY(rig.face.view().ok.visible);
    }
}

void UpdateSequencerTest::theNewCrcOfTheBuildMapIsUnsigned_data() {
    QTest::addColumn<QString>("item"); // the item of the row "new41"
    QTest::addColumn<qint32>("crc");
    QTest::newRow("0x3C4D") << "0x3C4D" << qint32(0x3C4D);
    QTest::newRow("bit 15 set: no negative number") << "0x8001" << qint32(0x8001);
    QTest::newRow("0xFFFF is no unset value") << "0xFFFF" << qint32(0xFFFF);
    QTest::newRow("no new build") << "" << qint32(-1);
}

void UpdateSequencerTest::theNewCrcOfTheBuildMapIsUnsigned() {
    QFETCH(QString, item);
    QFETCH(qint32, crc);
    SequencerRig rig;
    if (item.isEmpty())
        rig.workspace.execute(QStringLiteral("DELETE FROM miscellaneous WHERE value = 'new41'"));
    else
        rig.workspace.execute(
            QStringLiteral("UPDATE miscellaneous SET item = ? WHERE value = 'new41'"), {item});
    QVERIFY(g_iniGlobals());
    QCOMPARE(buildMap::newApplicationCrc(QStringLiteral("41")), crc);
}

void UpdateSequencerTest::aFailureInATickStopsTheRunOnce_data() {
    QTest::addColumn<int>("atStep");
    QTest::addColumn<int>("message"); // its text wants more values than the step has
    QTest::newRow("the update question") << 5 << 71;
    QTest::newRow("the success message") << 12 << 121;
}

void UpdateSequencerTest::aFailureInATickStopsTheRunOnce() {
    QFETCH(int, atStep);
    QFETCH(int, message);
    SequencerRig rig;
    RecordingErrorHandler errors;
    rig.workspace.execute(QStringLiteral("UPDATE messages SET MessageText = ? WHERE MessageID = ?"),
                          {QString(QStringLiteral("{*} ")).repeated(9), message});
    QVERIFY(g_iniGlobals());
    rig.face.m_reportLines[0] = QStringLiteral("start line");
    rig.face.m_updaterStep = atStep;
    for (int i = 0; i < 60 && rig.face.timCyclic.isActive(); ++i)
        rig.tick();
    QVERIFY(!rig.face.timCyclic.isActive());
    QCOMPARE(errors.reports().size(), 1);
    QCOMPARE(errors.reports()[0].procedure, QStringLiteral("timCyclic_Timer"));
    const QString told = QStringLiteral("   Update stopped by an unexpected failure: ") +
                         errors.reports()[0].failure.description;
    const QStringList log = rig.face.messages().lines();
    QCOMPARE(log.count(told), 1);
    QCOMPARE(log.last(), QStringLiteral("  Update failed"));
    QCOMPARE(rig.face.m_updaterStep, 12);
    QCOMPARE(rig.face.view().stepColour[atStep], kColourRed);
    QCOMPARE(rig.face.view().stepColour[12], kColourRed);
    QVERIFY(rig.face.view().userInfo.contains(errors.reports()[0].failure.description));
    QVERIFY(!rig.face.view().ok.visible);
    QVERIFY(rig.face.view().exit.visible && rig.face.view().exit.enabled);
    QVERIFY(rig.face.view().openReport.visible);

    rig.face.cmdExitUpdater_Click();
    rig.tick();
    QVERIFY(rig.window.programEnded());
    QVERIFY(rig.readReport().contains(QStringLiteral("Software update failed.")));
    QVERIFY(rig.readReport().contains(told + QStringLiteral("\r\n")));
}

QTEST_MAIN(UpdateSequencerTest)
#include "update_sequencer_test.moc"
