// Guided updates that end before any download: the real main window (offscreen) against
// the simulated engine on the M-Bus, in virtual time.
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
    void updateNotNecessaryWritesTheCrcBackAndSaysSo();
    void unknownBuildEndsFailedWithFinishAndReport();
    void missingCylinderEndsTheRun();
    void autoDownloadOffIsSwitchedOnAndAsksForARestart();
    void tooManyCylindersAreRefused();
};

void UpdaterOutcomesTest::updateNotNecessaryWritesTheCrcBackAndSaysSo() {
    const quint32 installed = 0x0BDB0000 | kNewApplicationCrc;
    UpdaterRig rig(6, withCrc(installed));
    QVERIFY(rig.startToFirstQuestion());
    QCOMPARE(rig.face().view().userInfo, g_getUserMessage(1));
    QCOMPARE(rig.face().view().ok.caption, QStringLiteral("Start"));
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());

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
    QVERIFY(report.contains(QStringLiteral(
        "ZENT-6183 Software update failed. Find more details in the report below.\r\n\r\n"
        "------------------------------------- Report Details  "
        "-------------------------------------\r\nStep 1: Prepare connection to ZENT\r\n")));
    QVERIFY(
        report.contains(QStringLiteral("   Build of Application with CRC=0x9999 is unknown!\r\n")));
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

QTEST_MAIN(UpdaterOutcomesTest)
#include "updater_outcomes_test.moc"
