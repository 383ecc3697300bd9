// Guided updates with the download: the real main window (offscreen) against the simulated
// engine on the M-Bus, in virtual time. The spare is loaded directly and passes the new
// application on to the cylinders.
#include "core/config_items.h"
#include "core/message_list_view.h"
#include "mainwindow/main_window_form.h"
#include "sim/checksums.h"
#include "support/recording_desktop.h"
#include "support/screenshot.h"
#include "updater/updater_face_form.h"
#include "updater_rig.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// The list's widest line.
QString widestLine(const MessageListView& list) {
    QString widest;
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        const QString line = list.model()->index(row, 0).data().toString();
        if (list.lineWidth(line) > list.lineWidth(widest))
            widest = line;
    }
    return widest;
}

// Runs from "Start" to the "Update" question and answers it.
bool runToTheDownload(UpdaterRig& rig) {
    if (!rig.startToFirstQuestion())
        return false;
    rig.pressOk();
    if (!rig.runUntilAsked() || rig.face().m_updaterStep != 8 ||
        rig.face().view().ok.caption != QLatin1String("Update"))
        return false;
    rig.pressOk();
    return rig.runUntilAsked(600'000);
}

// At the face's size the user information shows every line and the list its last line
// whole, and every line of the list can be read whole (the list scrolls sideways to the
// widest); the picture goes to the test output for a reviewer.
void checkWhole(UpdaterRig& rig, const QString& picture) {
    UpdaterFaceForm* face = rig.face().form();
    QVERIFY(face);
    QVERIFY(!saveScreenshot(*rig.window().form(), picture).isEmpty());
    MessageListView* list = face->lstMessageUpdater;
    if (list->model()->rowCount() > 0) {
        const QRect last = list->visualRect(list->model()->index(list->model()->rowCount() - 1, 0));
        QVERIFY(last.top() >= 0 && last.bottom() <= list->viewport()->rect().bottom());
    }
    const QString widest = widestLine(*list);
    QVERIFY2(list->horizontalScrollBar()->maximum() + list->viewport()->width() >=
                 list->lineWidth(widest),
             qPrintable(widest));
    QCOMPARE(face->txtUserInfo->verticalScrollBar()->maximum(), 0);
}

int countOf(const QStringList& lines, const QString& line) {
    return int(std::count(lines.begin(), lines.end(), line));
}

} // namespace

class UpdaterDownloadTest : public QObject {
    Q_OBJECT
private slots:
    void fullUpdateOfTheSpareAndSixCylinders();
    void failedSpareDownloadEndsWithMessage81();
    void failedCylinderOffersTheInstruction();
    void modulesInTheirBootloaderAreReloadedWhenTheUpdateIsInstalled();
    void withoutANewCrcTheUpdateEndsWithoutWriteBack();
    void aCheckThatTimesOutFailsTheUpdate();
    void dornUpdateEndsInSuccess();
    void aDownloadRefusedForItsFileTellsWhy();
    void aModuleNotSelectedForTheDownloadFailsTheUpdate_data();
    void aModuleNotSelectedForTheDownloadFailsTheUpdate();
    void anotherCrcAfterTheUpdateFailsIt();
};

void UpdaterDownloadTest::fullUpdateOfTheSpareAndSixCylinders() {
    UpdaterRig rig(6);
    QVERIFY(rig.startToFirstQuestion());
    checkWhole(rig, QStringLiteral("updater_start_question"));
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 8);
    QString question = g_getUserMessage(71);
    for (const char* value :
         {"H-2231          ", "ZX-62 DF MK2/6C ", "6", "41", "0x1A2B", "262144", "0x0C1E", "8192"})
        question.replace(question.indexOf(QStringLiteral("{*}")), 3, QString::fromLatin1(value));
    QCOMPARE(rig.face().view().userInfo, question.replace(QStringLiteral("\\n"), "\r\n"));
    for (int m = 0; m <= 6; ++m)
        QCOMPARE(rig.window().selection().program(m).value, int(ticked));
    checkWhole(rig, QStringLiteral("updater_update_question"));

    rig.pressOk(); // "Update"
    QVERIFY(rig.runUntilAsked(600'000));
    const QStringList log = rig.log();
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY2(!rig.face().m_updateFailed, qPrintable(rig.window().messages().lines().join(u'\n') +
                                                    rig.boards.dialogs.texts().join(u'\n')));
    // The download ran inside one tick: no step began meanwhile, none twice.
    QCOMPARE(countOf(log, QStringLiteral("Step 8: Download Application Update")), 1);
    QCOMPARE(countOf(log, QStringLiteral("Step 9: Start Updated Application")), 1);
    QVERIFY(log.indexOf(QStringLiteral("   Application Update for all PXU's successfully "
                                       "downloaded.")) <
            log.indexOf(QStringLiteral("Step 9: Start Updated Application")));
    QVERIFY(log.contains(QStringLiteral("   Appl CRC set")));
    QVERIFY(log.contains(QStringLiteral("  Appl-CRC: 0x3C4D   / Len: 16384   after  update")));
    for (int m = 0; m <= 6; ++m) {
        QCOMPARE(rig.board.modules.module(m).section(6).image, rig.newImage);
        QCOMPARE(rig.board.modules.module(m).mode(), sim::Mode::Application);
    }
    QCOMPARE(rig.board.service.variable(0, 0x410), std::optional<quint32>(kNewApplicationCrc));
    // Every step that ran succeeded: green; the two that never run stay idle.
    for (int box = 1; box <= 12; ++box)
        QCOMPARE(rig.face().view().stepColour[box],
                 box == 6 || box == 7 ? kStepIdle : kColourGreen);
    QVERIFY(rig.face().view().userInfo.startsWith(
        QStringLiteral("The software has been updated successfully.\r\nHull number: H-2231")));
    QVERIFY(rig.face().view().exit.visible && rig.face().view().exit.enabled);
    QCOMPARE(rig.face().view().openReport.caption, QStringLiteral("Open Report"));
    checkWhole(rig, QStringLiteral("updater_success"));
    // A successful update's lines fit the face's list as they are.
    QVERIFY2(rig.face().form()->lstMessageUpdater->horizontalScrollBar()->maximum() == 0,
             qPrintable(widestLine(*rig.face().form()->lstMessageUpdater)));

    QVERIFY(rig.finish());
    const QStringList report = rig.report().split(QStringLiteral("\r\n"));
    QVERIFY(report[0].startsWith(QStringLiteral("------------------- ZENT-6183 Update Tool "
                                                "started  ")));
    QCOMPARE(report.mid(1, 12),
             (QStringList{"  Hull-Number: H-2231          ", "  Engine Type: ZX-62 DF MK2/6C",
                          "  Application Build: 41", "  Application Developer: 1305",
                          "  Number of Cylinders: 6",
                          "  Appl-CRC: 0x1A2B   / Len: 262144   before update",
                          "  Appl-CRC: 0x3C4D   / Len: 16384   after  update",
                          "  IMO-CRC:  0x0C1E   / Len: 8192   before update",
                          "  IMO-CRC:  0x0C1E   / Len: 8192   after  update", "", "", ""}));
    QCOMPARE(report[13], QStringLiteral("ZENT-6183 Software is successfully updated."));
    QCOMPARE(report[14], QString());
    QVERIFY(report[15].startsWith(
        QStringLiteral("------------------- ZENT-6183 Update Tool terminated  ")));
    QCOMPARE(report.mid(16), (QStringList{"", ""}));
}

void UpdaterDownloadTest::failedSpareDownloadEndsWithMessage81() {
    UpdaterRig rig(6);
    rig.board.modules.module(0).faults().badCrc = true;
    QVERIFY(runToTheDownload(rig));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.face().m_updateFailed);
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(81));
    QCOMPARE(rig.face().view().stepColour[8], kColourRed);
    QVERIFY(rig.log().contains(QStringLiteral("   Spare-PXU is not downloaded!")));
    // Why: the download's own lines follow.
    const QString why = QStringLiteral("         PXU 0: downloading program/data failed!");
    QCOMPARE(rig.log().count(why), 3);
    QCOMPARE(rig.face().view().openReport.caption, QStringLiteral("Open Report"));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(QStringLiteral("Software update failed.")));
    QVERIFY(rig.report().contains(QStringLiteral("   Spare-PXU is not downloaded!\r\n"
                                                 "   Download log:\r\n"
                                                 "   DOWNLOAD ---")));
    QVERIFY(rig.report().contains(why + QStringLiteral("\r\n")));
}

void UpdaterDownloadTest::failedCylinderOffersTheInstruction() {
    UpdaterRig rig(6);
    rig.board.spare->faults().failureMask = 1 << 3;
    rig.workspace.writeFile(QStringLiteral("Instruction.txt"), "What to do next.\r\n");
    QVERIFY(runToTheDownload(rig));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.face().m_updateFailed);
    QCOMPARE(rig.face().view().userInfo,
             g_getUserMessage(82).replace(QStringLiteral("{*}"), QStringLiteral("PXU #03")));
    QVERIFY(rig.log().contains(QStringLiteral("   Not all PXU's successfully downloaded.")));
    QVERIFY(rig.log().contains(QStringLiteral("   Following PXU's failed: PXU #03!")));
    QCOMPARE(rig.face().view().openReport.caption, QStringLiteral("Open Instruction"));
    QVERIFY(rig.face().view().openReport.visible);
    checkWhole(rig, QStringLiteral("updater_failed_cylinder"));
    QCOMPARE(rig.board.modules.module(0).section(6).image, rig.newImage);

    RecordingDesktop desktop;
    rig.face().cmdOpenReport_Click();
    QCOMPARE(desktop.urls().size(), 1);
    QCOMPARE(desktop.urls()[0].toLocalFile(),
             rig.workspace.path(QStringLiteral("Instruction.txt")));
    QVERIFY(rig.report().isEmpty()); // the instruction, not the report

    QVERIFY(rig.finish());
    const QString report = rig.report();
    QVERIFY(report.contains(UpdaterRig::failureDetails()));
    QVERIFY(report.contains(QStringLiteral("\r\n   Following PXU's failed: PXU #03!\r\n")));
}

void UpdaterDownloadTest::modulesInTheirBootloaderAreReloadedWhenTheUpdateIsInstalled() {
    sim::EngineValues values;
    values.applicationCrc = 0x0BDB0000 | kNewApplicationCrc;
    UpdaterRig rig(6, values);
    rig.board.modules.module(2).setMode(sim::Mode::Bootloader);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 8);
    QVERIFY(rig.face().view().userInfo.contains(QStringLiteral("running their bootloader: "
                                                               "PXU #02.")));
    QVERIFY(rig.log().contains(QStringLiteral("   Following PXU's are in bootloader: PXU #02!")));
    QVERIFY(!rig.face().m_updateNotNecessary);
    for (int m = 0; m <= 6; ++m)
        QCOMPARE(rig.window().selection().program(m).value, int(m == 2 ? ticked : unticked));
    const QByteArray spareImage = rig.board.modules.module(0).section(6).image;

    rig.pressOk();
    QVERIFY(rig.runUntilAsked(600'000));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY2(!rig.face().m_updateFailed, qPrintable(rig.log().join(u'\n')));
    QCOMPARE(rig.board.modules.module(2).mode(), sim::Mode::Application);
    QCOMPARE(rig.board.modules.module(0).section(6).image, spareImage); // not loaded again
}

void UpdaterDownloadTest::withoutANewCrcTheUpdateEndsWithoutWriteBack() {
    UpdaterRig rig(6);
    rig.workspace.execute(QStringLiteral("DELETE FROM miscellaneous WHERE value = 'new41'"));
    QVERIFY(runToTheDownload(rig));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(!rig.face().m_updateFailed);
    QVERIFY(!rig.log().contains(QStringLiteral("Step 10: Update Application CRC")));
    QVERIFY(rig.face().view().userInfo.startsWith(
        QStringLiteral("The software has been updated successfully.")));
    for (const auto& symbol : rig.board.service.writtenSymbols())
        QVERIFY(symbol.id != 0x410);
}

void UpdaterDownloadTest::aCheckThatTimesOutFailsTheUpdate() {
    UpdaterRig rig(6);
    // From the CRC write-back on, the IMO CRC is no longer reported.
    rig.board.service.addSymbolListener([&](int module, quint16 id, quint32) {
        if (module == 0 && id == 0x410)
            rig.board.service.removeVariable(0, 0x830);
    });
    QVERIFY(runToTheDownload(rig));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(111));
    QCOMPARE(rig.face().view().stepColour[11], kColourRed);
    QVERIFY(rig.log().contains(QStringLiteral("   Appl CRC set")));
    QVERIFY(rig.log().contains(QStringLiteral("   Application could not be checked!")));
    QCOMPARE(rig.face().view().ok.caption, QStringLiteral("OK"));
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.log().last(), QStringLiteral("  Update failed"));
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(111));
    QCOMPARE(rig.face().view().stepColour[12], kColourRed);
    QVERIFY(!rig.face().view().ok.visible);
    QVERIFY(rig.face().view().exit.visible && rig.face().view().exit.enabled);
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(UpdaterRig::failureDetails()));
}

void UpdaterDownloadTest::dornUpdateEndsInSuccess() {
    UpdaterRig rig(1);
    makeDorn(rig);
    rig.board.service.removeVariable(0, 0x830); // a DORN engine has no IMO CRC
    QVERIFY(runToTheDownload(rig));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY2(!rig.face().m_updateFailed, qPrintable(rig.log().join(u'\n')));
    QCOMPARE(rig.face().sequencer().dornModule(), 1);
    for (int m = 0; m <= 1; ++m)
        QCOMPARE(rig.board.modules.module(m).section(6).image, rig.newImage);
    QVERIFY(rig.log().contains(QStringLiteral("   Appl CRC set")));
    QVERIFY(
        rig.log().contains(QStringLiteral("  Appl-CRC: 0x3C4D   / Len: 16384   after  update")));
    QCOMPARE(
        rig.face().view().userInfo,
        QStringLiteral("The software has been updated successfully.\r\nHull number: H-2231     "
                       "     \r\nEngine type: ZX-62 DF MK2/6C \r\nNumber of cylinders: "
                       "1\r\nBuild: 41\r\nApplication CRC: 0x3C4D / Len: 16384"));
    QCOMPARE(rig.face().view().stepColour[12], kColourGreen);
    QVERIFY(rig.finish());
    QVERIFY(
        rig.report().contains(QStringLiteral("\r\n(D)ORN Software is successfully updated.\r\n")));
}

void UpdaterDownloadTest::aDownloadRefusedForItsFileTellsWhy() {
    UpdaterRig rig(6);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 8);
    // The file is spoilt while the question waits.
    rig.workspace.writeFile(QStringLiteral("PXU_APPL_B041.S19"), "S2 is no record\n");
    rig.pressOk();
    QVERIFY(rig.runUntilAsked(600'000));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.face().m_updateFailed);
    const QString why =
        QStringLiteral("   Download aborted because conversion S19-to-binary failed.");
    QVERIFY2(rig.log().contains(why), qPrintable(rig.log().join(u'\n')));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(why + QStringLiteral("\r\n")));
}

void UpdaterDownloadTest::aModuleNotSelectedForTheDownloadFailsTheUpdate_data() {
    QTest::addColumn<QList<int>>("gap"); // modules without heartbeat as step 5 selects
    QTest::addColumn<QString>("list");
    QTest::newRow("one cylinder") << QList<int>{4} << "PXU #04";
    QTest::newRow("every module: nothing at all selected")
        << QList<int>{0, 1, 2, 3, 4, 5, 6}
        << "PXU #00, PXU #01, PXU #02, PXU #03, PXU #04, PXU #05, PXU #06";
}

void UpdaterDownloadTest::aModuleNotSelectedForTheDownloadFailsTheUpdate() {
    QFETCH(QList<int>, gap);
    QFETCH(QString, list);
    UpdaterRig rig(6);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntil([&] { return rig.face().m_updaterStep == 5; }, 120'000));
    // A heartbeat gap just when step 5 selects the modules; they are back for the question.
    QVERIFY(rig.runUntil([&] { return rig.face().m_stepTicks >= 2; }, 30'000));
    for (const int m : gap)
        rig.board.modules.module(m).faults().silent = true;
    QVERIFY(rig.runUntilAsked());
    for (const int m : gap)
        rig.board.modules.module(m).faults().silent = false;
    QCOMPARE(rig.face().m_updaterStep, 8);
    for (const int m : gap)
        QCOMPARE(rig.window().selection().program(m).value, int(unticked));
    QVERIFY(
        rig.runUntil([&] { return rig.window().selection().applicationRunning(gap[0]); }, 10'000));
    const QByteArray spareImage = rig.board.modules.module(0).section(6).image;

    rig.pressOk(); // "Update"
    QVERIFY(rig.runUntilAsked(600'000));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.face().m_updateFailed);
    QCOMPARE(rig.face().view().stepColour[8], kColourRed);
    QVERIFY2(
        rig.log().contains(QStringLiteral("   Following PXU's are not selected: ") + list + u'!'),
        qPrintable(rig.log().join(u'\n')));
    QVERIFY(rig.face().view().userInfo.contains(list));
    QVERIFY(!rig.log().contains(QStringLiteral("   PXU-#00 is updated")));
    QCOMPARE(rig.board.modules.module(0).section(6).image, spareImage); // nothing loaded
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(UpdaterRig::failureDetails()));
}

void UpdaterDownloadTest::anotherCrcAfterTheUpdateFailsIt() {
    UpdaterRig rig(6);
    // The new application of build 41 that does not make the modules report its new CRC.
    rig.workspace.writeFile(QStringLiteral("PXU_APPL_B041.S19"),
                            sim::s28Records(sim::applicationImage(0x4000, 0x5555), 0x30000));
    QVERIFY(runToTheDownload(rig));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.log().contains(QStringLiteral("   Appl CRC set")));
    QVERIFY(
        rig.log().contains(QStringLiteral("  Appl-CRC: 0x5555   / Len: 16384   after  update")));
    QVERIFY2(rig.log().contains(QStringLiteral("   Application CRC 0x5555 after the update is not "
                                               "the new CRC 0x3C4D!")),
             qPrintable(rig.log().join(u'\n')));
    QVERIFY(rig.face().m_updateFailed);
    QCOMPARE(rig.face().view().stepColour[11], kColourRed);
    QCOMPARE(rig.log().last(), QStringLiteral("  Update failed"));
    QVERIFY(rig.face().view().userInfo.contains(QStringLiteral("0x5555")));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(UpdaterRig::failureDetails()));
    QVERIFY(rig.report().contains(
        QStringLiteral("\r\n  Appl-CRC: 0x5555   / Len: 16384   after  update\r\n")));
}

QTEST_MAIN(UpdaterDownloadTest)
#include "updater_download_test.moc"
