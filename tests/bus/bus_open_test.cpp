#include "bus_rig.h"
#include "fixture_config.h"
#include "platform/can/can_result.h"

#include <QtTest>
#include <memory>

using namespace pxu;
using namespace pxu::test;

class BusOpenTest : public QObject {
    Q_OBJECT
private slots:
    void busTableGivesRateAndBases_data();
    void busTableGivesRateAndBases();
    void configuredBoardFallsBackToTheNextBoard();
    void boardScanReportsNothingAndStillStartsCan();
    void missingConfiguredBoardDisablesCanQuietly();
    void withoutCanNothingIsTouched();
    void releaseResetsThePanelState();
};

void BusOpenTest::busTableGivesRateAndBases_data() {
    QTest::addColumn<QString>("mode"); // "", "KEV", "TOQ"
    QTest::addColumn<QString>("busText");
    QTest::addColumn<bool>("lorin");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("mBus");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("boot");
    QTest::addColumn<int>("appl");
    QTest::addColumn<int>("bootSbus");
    QTest::addColumn<int>("toolNode");

    const QStringList none;
    QTest::newRow("S-Bus defaults")
        << ""
        << "S-Bus" << false << none << false << 500 << 0x70 << 0x20 << 0 << 1;
    QTest::newRow("M-Bus defaults")
        << ""
        << "M-Bus" << false << none << true << 125 << 0x7F << 0x11 << 0x70 << 1;
    QTest::newRow("m-bus in lower case")
        << ""
        << "m-bus" << false << none << true << 125 << 0x7F << 0x11 << 0x70 << 1;
    QTest::newRow("LORIN") << ""
                           << "S-Bus for LORIN" << true << none << false << 500 << 0x71 << 0x11 << 0
                           << 1;
    QTest::newRow("KEV with M-Bus text is no M-Bus")
        << "KEV"
        << "M-Bus" << false << none << false << 125 << 0x40 << 0x50 << 0 << 1;
    QTest::newRow("TOQ") << "TOQ"
                         << "S-Bus" << false << none << false << 125 << 0x20 << 0x30 << 0 << 1;
    QTest::newRow("configured S-Bus") << ""
                                      << "S-Bus" << false
                                      << QStringList{"baudrateSBus=250", "cobIdBootloader_Sbus=60",
                                                     "cobIdApplication_Sbus=2A", "cobIdPC=5"}
                                      << false << 250 << 0x60 << 0x2A << 0 << 5;
    QTest::newRow("configured M-Bus")
        << ""
        << "M-Bus" << false
        << QStringList{"baudrateMBus=250", "cobIdBootloader_Mbus=7E", "cobIdApplication_Mbus=12",
                       "cobIdBootloader_Sbus=68"}
        << true << 250 << 0x7E << 0x12 << 0x68 << 1;
    QTest::newRow("configured LORIN")
        << ""
        << "S-Bus for LORIN" << true
        << QStringList{"cobIdBootloader_Sbus_LORIN=72", "cobIdApplication_Sbus_LORIN=13"} << false
        << 500 << 0x72 << 0x13 << 0 << 1;
    QTest::newRow("configured KEV")
        << "KEV"
        << "S-Bus" << false
        << QStringList{"baudrateMBus=250", "cobIdBootlKEV=41", "cobIdApplKEV=51"} << false << 250
        << 0x41 << 0x51 << 0 << 1;
    QTest::newRow("configured TOQ")
        << "TOQ"
        << "S-Bus" << false << QStringList{"cobIdBootlTOQ=22", "cobIdApplTOQ=33"} << false << 125
        << 0x22 << 0x33 << 0 << 1;
}

void BusOpenTest::busTableGivesRateAndBases() {
    QFETCH(QString, mode);
    QFETCH(QString, busText);
    QFETCH(bool, lorin);
    QFETCH(QStringList, items);
    QFETCH(int, rate);

    std::unique_ptr<FixtureConfig> config;
    if (!items.isEmpty()) {
        QList<QPair<QString, QString>> pairs;
        for (const QString& item : items)
            pairs << qMakePair(item.section(u'=', 0, 0), item.section(u'=', 1));
        config = std::make_unique<FixtureConfig>(pairs);
        QVERIFY(config->ok());
    }
    BusRig rig(sim::BusKind::SBus, rate); // a bus at another rate would refuse the board
    g_KEVMode = mode == QLatin1String("KEV");
    g_TOQMode = mode == QLatin1String("TOQ");

    QVERIFY(rig.open(busText, lorin));

    QTEST(g_mBusMode, "mBus");
    QCOMPARE(rig.master().canInterface().bitRateKbit(), rate);
    QTEST(g_cobIdBootloader, "boot");
    QTEST(g_cobIdApplication, "appl");
    QTEST(g_cobIdBootloaderSbus, "bootSbus");
    QTEST(int(rig.master().toolNode()), "toolNode");
    QCOMPARE(rig.log.messages, QStringList{"   Initialising CAN-Interface"});
    QVERIFY(rig.dialogs.shown().isEmpty());
    QCOMPARE(rig.master().panelState().initButtonCaption, QStringLiteral("&Get Board Information"));
}

void BusOpenTest::configuredBoardFallsBackToTheNextBoard() {
    BusRig rig(sim::BusKind::SBus, 500, {1});

    QVERIFY(rig.open("S-Bus"));

    QVERIFY(rig.master().isInitialised());
    QCOMPARE(rig.log.messages, QStringList{"   Initialising CAN-Interface"});
    QVERIFY(rig.log.errorSignals.isEmpty());
    QVERIFY(!rig.master().g_noCan());
}

void BusOpenTest::boardScanReportsNothingAndStillStartsCan() {
    BusRig rig(sim::BusKind::Lorin, 500, {0});

    QVERIFY(!rig.open("S-Bus for LORIN", true, 3));

    QVERIFY(rig.dialogs.shown().isEmpty());
    QCOMPARE(rig.log.messages, QStringList{"   Initialising USB-to-CAN 3"});
    QVERIFY(rig.log.errorSignals.isEmpty());
    // The result of StartCan on a board that was never opened.
    QCOMPARE(rig.master().lastResult(), can::result::kInterfaceError);
    QVERIFY(!rig.master().g_noCan());

    QVERIFY(rig.open("S-Bus for LORIN", true, 0));
    QVERIFY(rig.master().isInitialised());
}

void BusOpenTest::missingConfiguredBoardDisablesCanQuietly() {
    BusRig rig(sim::BusKind::SBus, 500, {});

    QVERIFY(!rig.open("S-Bus"));

    QVERIFY(rig.dialogs.shown().isEmpty());
    QCOMPARE(rig.log.messages, (QStringList{"   Initialising CAN-Interface",
                                            "Init board: VCI Hardware / Software Error"}));
    QCOMPARE(rig.log.errorSignals, QList<bool>{true});
    QVERIFY(rig.master().g_noCan());
    QVERIFY(!rig.master().isInitialised());
}

void BusOpenTest::withoutCanNothingIsTouched() {
    BusRig rig(sim::BusKind::SBus, 500);
    rig.modules.setModes(0, 2, sim::Mode::Application);
    rig.master().setNoCan(true);
    g_cobIdBootloader = 0x55;
    g_cobIdApplication = 0x66;

    double version = -1;
    QVERIFY(rig.master().g_initialise(rig.log.target(), version, "M-Bus", false, 255));
    rig.time.runFor(1000);

    QCOMPARE(version, -1.0);
    QCOMPARE(g_cobIdBootloader, 0x55);
    QCOMPARE(g_cobIdApplication, 0x66);
    QVERIFY(!g_mBusMode);
    QVERIFY(rig.log.messages.isEmpty());
    QVERIFY(!rig.master().isInitialised());

    // The bus operations report success and leave their out values alone; the service
    // channel reports failure; nothing reaches the bus.
    qint32 size = 77;
    QByteArray data("keep");
    qint32 last = -9;
    QVERIFY(rig.master().g_setOperational(0, false));
    QVERIFY(rig.master().g_readSDO(0x21, 0x1008, 0, size, data));
    QCOMPARE(size, 77);
    QCOMPARE(data, QByteArray("keep"));
    QVERIFY(rig.master().g_writeSDO(0x21, 0x1017, 0, 2, QByteArray(2, '\1')));
    QVERIFY(rig.master().g_searchNode(3, 0x70, true, last));
    QVERIFY(!rig.master().g_setUserLevel(11));
    QVERIFY(!rig.master().g_writeSymbol(0x123, 0, QByteArray(4, '\0')));
    QVERIFY(!rig.master().g_setServiceBit(0x123, 1));
    double bootVersion = -1;
    rig.master().g_getBootLoaderVersion(0x70, bootVersion);
    QCOMPARE(bootVersion, 0.0);
    QString hardware;
    rig.master().g_getHardwareVersion(1, false, hardware);
    QCOMPARE(hardware, QStringLiteral("?"));
    QVERIFY(rig.dialogs.shown().isEmpty());
    QVERIFY(rig.framesOn(0x000).isEmpty());
    QVERIFY(rig.framesOn(0x382).isEmpty());
    QVERIFY(rig.framesOn(0x482).isEmpty());
}

void BusOpenTest::releaseResetsThePanelState() {
    BusRig rig(sim::BusKind::SBus, 500);
    QVERIFY(rig.open("S-Bus"));
    rig.modules.setModes(4, 4, sim::Mode::Application);
    rig.time.runFor(50);
    QVERIFY(!rig.master().panelState().statusQueue.isEmpty());

    rig.master().g_releaseCanOpen(true);

    QVERIFY(!rig.master().isInitialised());
    QCOMPARE(rig.master().panelState().masterState, QStringLiteral("not initialized"));
    QCOMPARE(rig.master().panelState().initButtonCaption, QStringLiteral("Init CANInterface"));
    QVERIFY(rig.master().panelState().statusQueue.isEmpty());
    QCOMPARE(rig.master().nodeList().size(), 1);
    // Released: no frame is drained any more.
    rig.modules.setModes(5, 5, sim::Mode::Application);
    rig.time.runFor(1000);
    QCOMPARE(modHeartBeatControl::g_getModuleStatusHB(5), qint32(moduleNotConnected));
}

QTEST_MAIN(BusOpenTest)
#include "bus_open_test.moc"
