// Guided updates that end before any download: the real main window (offscreen) against
// the simulated engine on the M-Bus, in virtual time.
#include "bus/can_open_master.h"
#include "core/config_items.h"
#include "updater_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

sim::EngineValues withCrc(quint32 crc) {
    sim::EngineValues values;
    values.applicationCrc = crc;
    return values;
}

} // namespace

class UpdaterOutcomesTest : public QObject {
    Q_OBJECT
private slots:
    void connectionFailuresEndTheRun_data();
    void connectionFailuresEndTheRun();
    void updateNotNecessaryWritesTheCrcBackAndSaysSo();
    void theDeveloperNumberChoosesTheEngineTypesForm_data();
    void theDeveloperNumberChoosesTheEngineTypesForm();
    void unknownBuildEndsFailedWithFinishAndReport();
    void aMissingOrUnreadableApplicationFileFailsTheBuildStep_data();
    void aMissingOrUnreadableApplicationFileFailsTheBuildStep();
    void missingCylinderEndsTheRun();
    void autoDownloadOffIsSwitchedOnAndAsksForARestart();
    void tooManyCylindersAreRefused();
    void incompleteSystemInformationTimesOut();
    void dornWaivesImoAndFinishAtTheQuestionCancels();
    void dornMissesItsSecondPxu();
    void crcWriteBackNotConfirmedFailsTheRun_data();
    void crcWriteBackNotConfirmedFailsTheRun();
    void aModuleThatDoesNotStartFailsTheRun();
};

void UpdaterOutcomesTest::connectionFailuresEndTheRun_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("message");
    QTest::newRow("no board") << "no board"
                              << "USB-to-CAN Init. Failed"
                              << "   USB-to-CAN initialisation failure." << 11;
    QTest::newRow("no module") << "off"
                               << "No PXU detected"
                               << "   No module detected!" << 13;
    QTest::newRow("another module answers as the spare")
        << "module 3"
        << "Wrong PXU detected"
        << "   PXU-#03 detected (Application is running)" << 12;
    QTest::newRow("spare in its bootloader") << "bootloader"
                                             << "PXU in Bootloader"
                                             << "   PXU-spare in bootloader state detected." << 14;
}

void UpdaterOutcomesTest::connectionFailuresEndTheRun() {
    QFETCH(QString, engine);
    QFETCH(QString, box);
    QFETCH(QString, line);
    QFETCH(int, message);
    UpdaterRig rig(6);
    if (engine == QLatin1String("no board"))
        rig.workspace.setMiscItem(QStringLiteral("deviceNo"), QStringLiteral("1"));
    else if (engine == QLatin1String("off"))
        rig.board.modules.setModes(0, 6, sim::Mode::Off);
    else if (engine == QLatin1String("module 3"))
        rig.board.modules.module(0).config().deviceName = "ZENT-6183 PXU #03";
    else
        rig.board.modules.module(0).setMode(sim::Mode::Bootloader);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked(60'000));
    QCOMPARE(rig.face().m_updaterStep, 12);
    QCOMPARE(rig.face().view().stepText[1], box);
    QCOMPARE(rig.face().view().stepColour[1], kColourRed);
    QVERIFY2(rig.log().contains(line), qPrintable(rig.log().join(u'|')));
    QString text = g_getUserMessage(message);
    QCOMPARE(rig.face().view().userInfo, text.replace(QStringLiteral("{*}"), QStringLiteral("3")));
    QVERIFY(rig.face().view().exit.visible);
    QVERIFY(!rig.log().contains(QStringLiteral("Step 2: Get System Information")));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(QStringLiteral("Software update failed.")));
}

void UpdaterOutcomesTest::updateNotNecessaryWritesTheCrcBackAndSaysSo() {
    const quint32 installed = 0x0BDB0000 | kNewApplicationCrc;
    UpdaterRig rig(6, withCrc(installed));
    QVERIFY(rig.startToFirstQuestion());
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(1));
    QCOMPARE(rig.face().view().ok.caption, QStringLiteral("Start"));
    // The overall bar shows step / 12 as a step begins and never passes the next step's start.
    QStringList barFaults;
    QObject::connect(&rig.face(), &UpdaterFace::changed, [&] {
        const int step = rig.face().sequencer().lastStep().value_or(0);
        if (rig.face().view().progressUpdater > (step + 1) / 12.0 + 1e-6)
            barFaults
                << QStringLiteral("step %1: %2").arg(step).arg(rig.face().view().progressUpdater);
    });
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QVERIFY2(barFaults.isEmpty(), qPrintable(barFaults.join(u',')));
    QVERIFY(rig.face().view().progressUpdater >= 10 / 12.0);

    QCOMPARE(rig.face().m_updaterStep, 12);
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(31));
    QVERIFY(rig.face().view().exit.visible && rig.face().view().exit.enabled);
    QVERIFY(rig.face().view().openReport.visible);
    QCOMPARE(rig.face().view().stepText[12], QStringLiteral("Update not necessary"));
    const QStringList log = rig.log();
    QVERIFY(log.contains(QStringLiteral("   CAN-Bus connected to M-Bus")));
    QVERIFY(log.contains(QStringLiteral("  Hull-Number: H-2231          ")));
    QVERIFY(log.contains(QStringLiteral("  Engine Type: ZX-62 DF MK2/6C")));
    QVERIFY(
        log.contains(QStringLiteral("   Update is already installed for build 41 (CRC=0x3C4D)")));
    QVERIFY(log.contains(QStringLiteral("  All PXU's detected (Total 6 + 1 spare)")));
    QVERIFY(log.contains(QStringLiteral("   Appl CRC set")));
    QVERIFY(!log.contains(QStringLiteral("Step 8: Download Application Update")));
    QVERIFY(!log.contains(QStringLiteral("Step 11: Check Update")));
    QVERIFY(log.contains(QStringLiteral("  Application is Up-To-Date (Update is already done)")));
    // The CRC the modules run is the one they are told to expect.
    QCOMPARE(rig.board.service.variable(0, 0x410), std::optional<quint32>(installed));

    QVERIFY(rig.finish());
    const QString report = rig.report();
    QVERIFY(
        report.startsWith(QStringLiteral("------------------- ZENT-6183 Update Tool started  ")));
    QVERIFY(report.contains(
        QStringLiteral("\r\n  Appl-CRC: 0x3C4D   / Len: 262144   before update\r\n")));
    QVERIFY(report.contains(QStringLiteral("ZENT-6183 Software update was not necessary.\r\n")));
    QVERIFY(!report.contains(QStringLiteral("Report Details")));
}

void UpdaterOutcomesTest::theDeveloperNumberChoosesTheEngineTypesForm_data() {
    QTest::addColumn<quint32>("developer");
    QTest::addColumn<QString>("engineType"); // as logged
    QTest::newRow("below 311: four chunks") << 2310u << "ZX-62 DF MK2/6C";
    QTest::newRow("311 and above: eight chunks") << 1311u << "ZX-62 DF MK2/6C TIER III B";
}

void UpdaterOutcomesTest::theDeveloperNumberChoosesTheEngineTypesForm() {
    QFETCH(quint32, developer);
    QFETCH(QString, engineType);
    sim::EngineValues values;
    values.developer = developer;
    values.engineType = "ZX-62 DF MK2/6C TIER III B";
    UpdaterRig rig(6, values);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 8);
    QCOMPARE(rig.face().m_reportLines[2], QStringLiteral("  Engine Type: ") + engineType);
    QVERIFY(rig.face().view().userInfo.contains(QStringLiteral("Engine type: ") + engineType));
}

void UpdaterOutcomesTest::unknownBuildEndsFailedWithFinishAndReport() {
    UpdaterRig rig(6, withCrc(0x12349999));
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 12);
    QCOMPARE(rig.face().view().stepText[3], QStringLiteral("Unknown Build"));
    QCOMPARE(rig.face().view().stepColour[3], kColourRed);
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(32));
    QVERIFY(
        rig.log().contains(QStringLiteral("   Build of Application with CRC=0x9999 is unknown!")));
    QCOMPARE(rig.log().last(), QStringLiteral("  Update failed"));
    QVERIFY(rig.face().view().exit.visible && rig.face().view().exit.enabled);
    QVERIFY(rig.face().view().openReport.visible);
    QVERIFY(rig.board.service.writtenSymbols().isEmpty());

    QVERIFY(rig.finish());
    const QString report = rig.report();
    QVERIFY(report.contains(UpdaterRig::failureDetails()));
    QVERIFY(
        report.contains(QStringLiteral("   Build of Application with CRC=0x9999 is unknown!\r\n")));
}

void UpdaterOutcomesTest::aMissingOrUnreadableApplicationFileFailsTheBuildStep_data() {
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("line");
    QTest::newRow("missing") << QByteArray() << "Application File Missing"
                             << "   Application file {*} not found!";
    QTest::newRow("no S-records") << QByteArray("this is no S-record file\n")
                                  << "Application File Unreadable"
                                  << "   Application file {*} cannot be read!";
}

void UpdaterOutcomesTest::aMissingOrUnreadableApplicationFileFailsTheBuildStep() {
    QFETCH(QByteArray, content);
    QFETCH(QString, box);
    QFETCH(QString, line);
    UpdaterRig rig(6);
    const QString file = rig.workspace.path(QStringLiteral("PXU_APPL_B041.S19"));
    if (content.isEmpty())
        QVERIFY(QFile::remove(file));
    else
        rig.workspace.writeFile(QStringLiteral("PXU_APPL_B041.S19"), content);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.face().m_updateFailed);
    QCOMPARE(rig.face().view().stepText[3], box);
    QCOMPARE(rig.face().view().stepColour[3], kColourRed);
    const QString named = line.replace(QStringLiteral("{*}"), file);
    QVERIFY2(rig.log().contains(named), qPrintable(rig.log().join(u'\n')));
    QVERIFY(rig.face().view().userInfo.contains(file));
    QVERIFY(rig.face().view().exit.visible);
    QVERIFY(!rig.log().contains(QStringLiteral("Step 4: Detect PXU's")));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(UpdaterRig::failureDetails()));
    QVERIFY(rig.report().contains(named + QStringLiteral("\r\n")));
}

void UpdaterOutcomesTest::missingCylinderEndsTheRun() {
    UpdaterRig rig(6);
    rig.board.modules.module(4).setMode(sim::Mode::Off);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 12);
    QCOMPARE(rig.face().view().stepColour[4], kColourRed);
    QCOMPARE(rig.face().view().userInfo,
             g_getUserMessage(43).replace(QStringLiteral("{*}"), QStringLiteral("PXU #04")));
    QVERIFY(rig.log().contains(QStringLiteral("   Not all PXU's detected (only 6 of 7)!")));
    QVERIFY(rig.log().contains(QStringLiteral("   Following PXU's are missing: PXU #04!")));
    QVERIFY(rig.face().m_updateFailed);
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(QStringLiteral("Software update failed.")));
}

void UpdaterOutcomesTest::autoDownloadOffIsSwitchedOnAndAsksForARestart() {
    sim::EngineValues values;
    values.autoDownload = 0;
    UpdaterRig rig(6, values);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntil(
        [&] {
            return rig.face().m_updaterStep == 4 &&
                   rig.face().view().userInfo == g_getUserMessage(41);
        },
        60'000));
    const qint64 askedAt = rig.boards.time.nowMs();
    // The written flag is reported: the run ends all the same, as the ZENT must restart.
    frmCANopen().g_setServiceBit(0x403, 1);
    QVERIFY(rig.runUntil([&] { return rig.face().systemInfo().info().autoDownload == 1; }, 5000));
    QVERIFY(rig.runUntilAsked());
    // Fifteen seconds after the activation, whatever the flag reads meanwhile.
    QVERIFY(rig.boards.time.nowMs() - askedAt >= 15'000);
    QCOMPARE(rig.face().m_updaterStep, 12);
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(42));
    QVERIFY(rig.log().contains(QStringLiteral("  Auto-Download: OFF")));
    QVERIFY(rig.log().contains(QStringLiteral("   Autodownload is not activated yet!")));
    QVERIFY(rig.log().contains(
        QStringLiteral("   Autodownload-Activation done --> reboot of ZENT necessary.")));
    QCOMPARE(rig.board.service.variable(0, 0x403), std::optional<quint32>(1));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(QStringLiteral("Software update failed.")));
}

void UpdaterOutcomesTest::tooManyCylindersAreRefused() {
    UpdaterRig rig(6);
    sim::EngineValues values = rig.engine->values();
    values.cylinders = 15;
    rig.engine->setValues(values);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.log().contains(QStringLiteral("  Number of Cylinders: 15")));
    QVERIFY(
        rig.log().contains(QStringLiteral("   Number of cylinders 15 is out of range (1 to 14)!")));
    QVERIFY(rig.face().view().exit.visible);
}

void UpdaterOutcomesTest::incompleteSystemInformationTimesOut() {
    UpdaterRig rig(6);
    rig.board.service.removeVariable(0, 0x830); // the IMO CRC never comes
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntil([&] { return rig.face().m_updaterStep == 2; }, 10'000));
    const qint64 enteredAt = rig.boards.time.nowMs();
    QVERIFY(rig.runUntilAsked());
    QVERIFY(rig.boards.time.nowMs() - enteredAt > 20'000);
    QCOMPARE(rig.face().m_updaterStep, 12);
    QCOMPARE(rig.face().view().stepColour[2], kColourRed);
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(21));
    QVERIFY(rig.log().contains(
        QStringLiteral("  IMO-CRC:  reading failed   / Len: 8192   before update")));
    QVERIFY(rig.log().contains(QStringLiteral("  Auto-Download: ON")));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(
        QStringLiteral("\r\n  IMO-CRC:  reading failed   / Len: 8192   before update\r\n")));
    QVERIFY(rig.report().contains(QStringLiteral("Software update failed.")));
}

void UpdaterOutcomesTest::dornWaivesImoAndFinishAtTheQuestionCancels() {
    UpdaterRig rig(2);
    makeDorn(rig);
    rig.board.modules.module(1).setMode(sim::Mode::Off);
    rig.board.service.removeVariable(0, 0x830);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 8);
    QCOMPARE(rig.face().view().ok.caption, QStringLiteral("Update"));
    QVERIFY(rig.face().view().ok.visible && rig.face().view().exit.visible);
    QVERIFY(rig.face().view().userInfo.startsWith(QStringLiteral("Hull number: H-2231")));
    QVERIFY(rig.log().contains(QStringLiteral("  All PXU's detected (Total 1 + 1 spare)")));
    for (const QString& line : rig.log())
        QVERIFY2(!line.startsWith(QStringLiteral("  IMO-CRC")), qPrintable(line));
    QCOMPARE(rig.face().sequencer().dornModule(), 2);

    // Finish at the question: no download, the module is started, the run canceled.
    rig.face().cmdExitUpdater_Click();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.face().m_updateCanceled);
    QVERIFY(!rig.log().contains(QStringLiteral("Step 8: Download Application Update")));
    QVERIFY(rig.log().contains(QStringLiteral("Step 9: Start Updated Application")));
    QVERIFY(rig.log().contains(QStringLiteral("  ZENT started.")));
    QCOMPARE(rig.log().last(), QStringLiteral("  Update canceled"));
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(122));
    QCOMPARE(rig.window().selection().program(2).value, int(ticked));
    QCOMPARE(rig.window().selection().program(1).value, int(unticked));
    QVERIFY(rig.board.service.variable(0, 0x410) == std::optional<quint32>(0)); // no write-back
    QVERIFY(rig.finish());
    QVERIFY(
        rig.report().contains(QStringLiteral("(D)ORN Software update was canceled by the user!\r\n"
                                             "Software is not updated!\r\n")));
}

void UpdaterOutcomesTest::dornMissesItsSecondPxu() {
    UpdaterRig rig(2);
    makeDorn(rig);
    rig.board.modules.setModes(1, 2, sim::Mode::Off);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.log().contains(QStringLiteral("   Following PXU's are missing: Second PXU!")));
    QCOMPARE(rig.face().sequencer().dornModule(), -1);
}

void UpdaterOutcomesTest::crcWriteBackNotConfirmedFailsTheRun_data() {
    QTest::addColumn<bool>("answers");
    QTest::newRow("another value read back: at once") << true;
    QTest::newRow("nothing read back: after 10 s") << false;
}

void UpdaterOutcomesTest::crcWriteBackNotConfirmedFailsTheRun() {
    QFETCH(bool, answers);
    const quint32 installed = 0x0BDB0000 | kNewApplicationCrc;
    UpdaterRig rig(6, withCrc(installed));
    // The spare keeps another value than the one written, or does not report it.
    rig.board.service.addSymbolListener([&](int module, quint16 id, quint32 value) {
        if (module != 0 || id != 0x410)
            return;
        if (answers)
            rig.board.service.setVariable(0, id, value + 1);
        else
            rig.board.service.removeVariable(0, id);
    });
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntil([&] { return rig.face().m_updaterStep == 10; }, 120'000));
    const qint64 writtenAt = rig.boards.time.nowMs();
    QVERIFY(rig.runUntilAsked());
    const qint64 waited = rig.boards.time.nowMs() - writtenAt;
    QVERIFY2(answers ? waited < 10'000 : waited > 10'000, qPrintable(QString::number(waited)));
    QCOMPARE(rig.face().m_updaterStep, 11);
    QCOMPARE(rig.face().view().stepColour[10], kColourRed);
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(101));
    QVERIFY(rig.log().contains(QStringLiteral("   Appl CRC not set!")));
    QCOMPARE(rig.face().view().ok.caption, QStringLiteral("OK"));
    rig.pressOk(); // the check
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(
        rig.log().contains(QStringLiteral("  Appl-CRC: 0x3C4D   / Len: 262144   after  update")));
    QCOMPARE(rig.log().last(), QStringLiteral("  Update failed"));
    // The outcome tells the failure again, in red, with Finish only.
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(101));
    QCOMPARE(rig.face().view().stepColour[12], kColourRed);
    QVERIFY(!rig.face().view().ok.visible);
    QVERIFY(rig.face().view().exit.visible && rig.face().view().exit.enabled);
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(QStringLiteral("Software update failed.")));
    QVERIFY(rig.report().contains(QStringLiteral("   after  update\r\n")));
}

void UpdaterOutcomesTest::aModuleThatDoesNotStartFailsTheRun() {
    UpdaterRig rig(6);
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 8);
    // Cylinder 3 falls silent; Finish at the question starts the applications all the same.
    rig.board.modules.module(3).faults().silent = true;
    QVERIFY(rig.runUntil([&] { return rig.window().selection().applicationRunning(3) == unticked; },
                         10'000));
    rig.face().cmdExitUpdater_Click();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 12);
    QCOMPARE(rig.face().view().userInfo,
             g_getUserMessage(91).replace(QStringLiteral("{*}"), QStringLiteral("PXU #03")));
    QVERIFY(rig.log().contains(QStringLiteral("   Following PXU's did not start: PXU #03!")));
    QVERIFY(rig.face().m_updateFailed);
    QVERIFY(rig.finish());
    // Failed wins over canceled: the engine does not run as it should.
    QVERIFY(rig.report().contains(UpdaterRig::failureDetails()));
}

QTEST_MAIN(UpdaterOutcomesTest)
#include "updater_outcomes_test.moc"
