#include "bus/can_open_master.h"
#include "core/vb_val.h"
#include "loader_rig.h"
#include "platform/can/can_interface_version.h"

#include <QProcess>
#include <QTcpServer>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

sim::BusKind kindOf(const QString& text) {
    return text == QLatin1String("M") ? sim::BusKind::MBus : sim::BusKind::SBus;
}

QStringList connectingLines(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("CANopen initialising")) ||
            line.contains(QLatin1String("Initialising M-Bus")) ||
            line.contains(QLatin1String("Initialising S-Bus")))
            out << line;
    }
    return out;
}

// The device name of module 0's application on the open bus: tells which board is open.
QByteArray deviceNameOnOpenBus() {
    qint32 size = 0;
    QByteArray data;
    if (!frmCANopen().g_readSDO(quint8(g_cobIdApplication), 0x1008, 0, size, data, true, true))
        return {};
    return data;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

// Opening the bus: the choice between the M-Bus and the S-Bus, the scan of the two boards
// for a LORIN, KEV or TOQ module, and the check of the connected application type.
class ConnectionSetupTest : public QObject {
    Q_OBJECT
private slots:
    void busChoiceTriesLastUsedThenOtherThenAsks_data();
    void busChoiceTriesLastUsedThenOtherThenAsks();
    void operatorAccessTriesTheMBusOnce();
    void boardThatCannotOpenEndsTheAttempts();
    void lorinScanOverBothBoards_data();
    void lorinScanOverBothBoards();
    void kevAndToqScanChoosesTheBoardTheirModulesAnswerOn_data();
    void kevAndToqScanChoosesTheBoardTheirModulesAnswerOn();
    void lorinScanFindsModuleOfSimulatorProcess();
    void applicationTypeMismatch_data();
    void applicationTypeMismatch();
    void oldInterfaceVersionWarns_data();
    void oldInterfaceVersionWarns();
};

void ConnectionSetupTest::busChoiceTriesLastUsedThenOtherThenAsks_data() {
    QTest::addColumn<QString>("lastUsed"); // "" = no such item
    QTest::addColumn<QString>("modules");  // the bus the modules are on
    QTest::addColumn<int>("poweredFrom");  // 1: from the start, 3: during the question, 0: never
    QTest::addColumn<QString>("answer");   // the question's answer, "" = no question
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("detected");

    const QString initM = "CANopen initialising M-Bus ...";
    const QString initS = "CANopen initialising S-Bus ...";
    QTest::newRow("last used M, modules there")
        << "M-Bus"
        << "M" << 1 << "" << QStringList{initM} << "M-Bus" << true;
    QTest::newRow("last used S, modules on M: second attempt")
        << "S-Bus"
        << "M" << 1 << "" << QStringList{initS, initM} << "M-Bus" << true;
    QTest::newRow("lower-case m is the M-Bus")
        << "m-bus"
        << "S" << 1 << "" << QStringList{"CANopen initialising m-bus ...", initS} << "S-Bus"
        << true;
    QTest::newRow("modules appear while asked, S chosen")
        << "M-Bus"
        << "S" << 3 << "S" << QStringList{initM, initS, "Initialising S-Bus as default setting ..."}
        << "S-Bus" << true;
    QTest::newRow("nobody answers, M chosen: the bus stays open")
        << "S-Bus"
        << "M" << 0 << "M" << QStringList{initS, initM, "Initialising M-Bus as default setting ..."}
        << "M-Bus" << false;
    // Without the item nothing can be stored; the user's choice is still the third bus.
    QTest::newRow("no item: the answer still counts")
        << ""
        << "S" << 3 << "S" << QStringList{initM, initS, "Initialising S-Bus as default setting ..."}
        << "-" << true;
}

void ConnectionSetupTest::busChoiceTriesLastUsedThenOtherThenAsks() {
    QFETCH(QString, lastUsed);
    QFETCH(QString, modules);
    QFETCH(int, poweredFrom);
    QFETCH(QString, answer);
    QFETCH(QStringList, lines);
    QFETCH(QString, stored);
    QFETCH(bool, detected);

    LoaderRig rig;
    if (lastUsed.isEmpty())
        rig.workspace.execute("DELETE FROM miscellaneous WHERE item = 'lastUsedBus'");
    else
        rig.workspace.setMiscItem("lastUsedBus", lastUsed);
    QVERIFY(rig.configOk = g_iniGlobals());
    auto& board = rig.boards.add(0, kindOf(modules));
    if (poweredFrom == 1) {
        board.modules.setModes(0, 3, sim::Mode::Application);
        rig.boards.time.runFor(10); // booted before the tool came
    }
    if (!answer.isEmpty()) {
        if (poweredFrom == 3)
            rig.boards.dialogs.whileShown(
                [&] { board.modules.setModes(0, 3, sim::Mode::Application); });
        rig.boards.dialogs.answerWindow(answer == "M" ? WindowAnswer::Yes : WindowAnswer::No);
    }

    bool ok = false;
    rig.window.initConnection(false, false, ok);

    QVERIFY(ok);
    QCOMPARE(connectingLines(LoaderRig::messageLines()), lines);
    QCOMPARE(LoaderRig::messageLines().contains("No Connection found. "), !answer.isEmpty());
    QCOMPARE(rig.boards.dialogs.windows().size(), answer.isEmpty() ? 0 : 1);
    if (!answer.isEmpty()) {
        const MessageWindowRequest& question = rig.boards.dialogs.windows().first();
        QCOMPARE(question.title, QString("Bus initialization"));
        QCOMPARE(question.text, g_getUserMessage(6));
        QCOMPARE(question.yesCaption, QString("M-Bus"));
        QCOMPARE(question.noCaption, QString("S-Bus"));
    }
    QCOMPARE(rig.lastUsedBus(), stored);
    QCOMPARE(g_moduleDetected, detected);
    QVERIFY(frmCANopen().isInitialised());
    QCOMPARE(g_mBusMode, lines.last().contains("M-Bus") || lines.last().contains("m-bus"));
}

void ConnectionSetupTest::operatorAccessTriesTheMBusOnce() {
    LoaderRig rig;
    rig.workspace.setMiscItem("lastUsedBus", "S-Bus");
    QVERIFY(g_iniGlobals());
    rig.boards.add(0, sim::BusKind::SBus).modules.setModes(0, 3, sim::Mode::Application);
    rig.boards.time.runFor(10);

    bool ok = false;
    rig.window.initConnection(true, false, ok);

    QVERIFY(ok); // even though nobody answered on the M-Bus
    QCOMPARE(connectingLines(LoaderRig::messageLines()),
             QStringList{"Initialising M-Bus for Operator access."});
    QVERIFY(rig.boards.dialogs.windows().isEmpty());
    QCOMPARE(rig.lastUsedBus(), QString("S-Bus"));
    QVERIFY(g_mBusMode);
    QVERIFY(!g_moduleDetected);
}

void ConnectionSetupTest::boardThatCannotOpenEndsTheAttempts() {
    LoaderRig rig; // no board at all

    bool ok = true;
    rig.window.initConnection(false, false, ok);

    QVERIFY(!ok);
    QCOMPARE(connectingLines(LoaderRig::messageLines()),
             QStringList{"CANopen initialising M-Bus ..."});
    QVERIFY(rig.boards.dialogs.texts().contains(
        "CAN initialisation Error: Please make sure that the USB-to-CAN\r"
        "Converter is correctly connected."));
    QVERIFY(rig.boards.dialogs.windows().isEmpty());
    QCOMPARE(rig.lastUsedBus(), QString("M-Bus"));
}

void ConnectionSetupTest::lorinScanOverBothBoards_data() {
    // Per board: "-" no board, "" no module, else the device name of modules 0 and 1.
    QTest::addColumn<QString>("board0");
    QTest::addColumn<QString>("board1");
    QTest::addColumn<QString>("line");    // the scan's own line, "" = none
    QTest::addColumn<QString>("error");   // the box, "" = none
    QTest::addColumn<QByteArray>("open"); // module 0's name on the bus left open
    QTest::addColumn<bool>("noCan");
    QTest::addColumn<bool>("ended");

    const QString lorin = "LORX PXU-20";
    const QString zent = "ZENT-6183 PXU-20";
    QTest::newRow("LORIN module on board 0") << lorin << zent << ""
                                             << "" << lorin.toLatin1() << false << false;
    QTest::newRow("LORIN module on board 1") << zent << lorin << ""
                                             << "" << lorin.toLatin1() << false << false;
    QTest::newRow("other modules on board 0 only") << zent << ""
                                                   << "initialising USB-to-CAN  0(PXU connected)."
                                                   << "" << zent.toLatin1() << false << false;
    QTest::newRow("other modules on board 1, no board 0")
        << "-" << zent << "initialising USB-to-CAN  1(PXU connected)."
        << "" << zent.toLatin1() << false << false;
    QTest::newRow("other modules on both boards")
        << zent << zent << ""
        << "LORIN initialisation Error: Non-Lorin PXUs connected to both USB-to-CAN boards! "
           "The Loader will terminate."
        << QByteArray() << false << true;
    QTest::newRow("no board")
        << "-"
        << "-"
        << ""
        << "CAN initialisation Error: Please make sure that the USB-to-CAN\rConverter is "
           "correctly connected."
        << QByteArray() << true << false;
    QTest::newRow("no module") << ""
                               << ""
                               << "initialising USB-to-CAN 0 as default setting."
                               << "" << QByteArray() << false << false;
}

void ConnectionSetupTest::lorinScanOverBothBoards() {
    QFETCH(QString, board0);
    QFETCH(QString, board1);
    QFETCH(QString, line);
    QFETCH(QString, error);
    QFETCH(QByteArray, open);
    QFETCH(bool, noCan);
    QFETCH(bool, ended);

    LoaderRig rig;
    QVERIFY(rig.configOk);
    g_applType = applTypeLorx;
    const QStringList names{board0, board1};
    for (int b = 0; b < 2; ++b) {
        if (names[b] == "-")
            continue;
        auto& board = rig.boards.add(b, sim::BusKind::Lorin);
        if (names[b].isEmpty())
            continue;
        for (int m = 0; m < 2; ++m)
            board.modules.module(m).config().deviceName = names[b].toLatin1();
        board.modules.setModes(0, 1, sim::Mode::Application);
    }

    bool ok = true;
    rig.window.initConnection(false, true, ok);

    QVERIFY(!ok);
    const QStringList lines = LoaderRig::messageLines();
    if (line.isEmpty()) {
        QVERIFY(!lines.join('\n').contains("initialising USB-to-CAN "));
    } else {
        QVERIFY2(lines.contains(line), qPrintable(lines.join('\n')));
    }
    if (error.isEmpty())
        QVERIFY2(rig.boards.dialogs.texts().isEmpty(),
                 qPrintable(rig.boards.dialogs.texts().join('\n')));
    else
        QCOMPARE(rig.boards.dialogs.texts().join('|'), error);
    QCOMPARE(frmCANopen().g_noCan(), noCan);
    QCOMPARE(rig.window.programEnding(), ended);
    if (!noCan && !ended) {
        QVERIFY(frmCANopen().isInitialised());
        QCOMPARE(deviceNameOnOpenBus(), open);
        QCOMPARE(g_cobIdApplication, 0x11);
    }
}

void ConnectionSetupTest::kevAndToqScanChoosesTheBoardTheirModulesAnswerOn_data() {
    QTest::addColumn<QString>("type");
    // Per board: "-" no board, "" an empty bus, else the modules running there.
    QTest::addColumn<QString>("board0");
    QTest::addColumn<QString>("board1");
    QTest::addColumn<QByteArray>("open"); // module 0's name on the bus left open
    QTest::addColumn<QString>("line");    // the scan's own line, "" = none

    QTest::newRow("KEV on board 1, board 0 empty") << "KEV"
                                                   << ""
                                                   << "0-2" << QByteArray("KEV-20") << "";
    QTest::newRow("KEV on board 0, board 1 empty") << "KEV"
                                                   << "0-2"
                                                   << "" << QByteArray("KEV-20") << "";
    QTest::newRow("KEV on board 1, no board 0") << "KEV"
                                                << "-"
                                                << "0-2" << QByteArray("KEV-20") << "";
    QTest::newRow("TOQ on board 1, board 0 empty") << "TOQ"
                                                   << ""
                                                   << "0-2" << QByteArray("TOQ-20") << "";
    QTest::newRow("no module on either board")
        << "KEV"
        << ""
        << "" << QByteArray() << "initialising USB-to-CAN 0 as default setting.";
}

void ConnectionSetupTest::kevAndToqScanChoosesTheBoardTheirModulesAnswerOn() {
    QFETCH(QString, type);
    QFETCH(QString, board0);
    QFETCH(QString, board1);
    QFETCH(QByteArray, open);
    QFETCH(QString, line);
    resetProgramState();
    Workspace workspace;
    SimBoards boards;
    const QStringList modules{board0, board1};
    for (int b = 0; b < 2; ++b) {
        if (modules[b] == "-")
            continue;
        auto& board = boards.add(b, type == "KEV" ? sim::BusKind::Kev : sim::BusKind::Toq);
        if (!modules[b].isEmpty())
            board.modules.setModes(0, 2, sim::Mode::Application);
    }
    Program program(workspace, {"/" + type, "/develop"});

    QVERIFY(program.start());

    QVERIFY(frmCANopen().isInitialised());
    QVERIFY(!program.window.programEnding());
    QCOMPARE(g_cobIdApplication, type == "KEV" ? 0x50 : 0x30);
    QCOMPARE(deviceNameOnOpenBus(), open);
    if (!line.isEmpty())
        QVERIFY2(LoaderRig::messageLines().contains(line),
                 qPrintable(LoaderRig::messageLines().join('\n')));
    // The type fits the file's: no box but the about box's splash.
    QVERIFY2(boards.dialogs.texts().isEmpty(), qPrintable(boards.dialogs.texts().join('\n')));
    QCOMPARE(g_applType, int(type == "KEV" ? applTypeKev : applTypeToq));
}

void ConnectionSetupTest::lorinScanFindsModuleOfSimulatorProcess() {
#ifndef PXU_SIM_PROGRAM
    QSKIP("the simulator program is not built");
#else
    const QString hub = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/").arg(freePort());
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(PXU_SIM_PROGRAM),
              {"--channel", hub + "can0", "--bus", "M", "--modules", "0-2", "--state",
               "application", "--channel", hub + "can1", "--bus", "LORIN", "--modules", "0",
               "--state", "application"});
    QVERIFY2(sim.waitForStarted(5000), qPrintable(sim.errorString()));
    QByteArray said;
    while (!said.contains("ready\n") && sim.waitForReadyRead(10000))
        said += sim.readAllStandardOutput();
    QVERIFY2(said.contains("ready\n"), said.constData());
    qputenv("PXU_CAN_BOARD0", (hub + "can0").toLatin1());
    qputenv("PXU_CAN_BOARD1", (hub + "can1").toLatin1());

    {
        Workspace workspace;
        QVERIFY(!workspace.folder().isEmpty());
        resetProgramState();
        g_configDbPath = workspace.configDb();
        QVERIFY(g_iniGlobals());
        MainWindow window;
        g_applType = applTypeLorx;
        bool ok = true;
        window.initConnection(false, true, ok);

        QVERIFY(frmCANopen().isInitialised());
        QVERIFY(!window.programEnding());
        QCOMPARE(deviceNameOnOpenBus(), QByteArray("LORX PXU-20"));
        QVERIFY(LoaderRig::messageLines().contains("   Initialising USB-to-CAN 1"));
        unloadCanOpen();
        resetProgramState();
    }

    qunsetenv("PXU_CAN_BOARD0");
    qunsetenv("PXU_CAN_BOARD1");
    sim.closeWriteChannel();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
#endif
}

void ConnectionSetupTest::applicationTypeMismatch_data() {
    QTest::addColumn<int>("fileType");
    QTest::addColumn<QString>("modules"); // device name of the connected modules, "" none
    QTest::addColumn<bool>("develop");
    QTest::addColumn<bool>("goOn");   // the warning's answer
    QTest::addColumn<QString>("box"); // "" = none
    QTest::addColumn<int>("typeAfter");
    QTest::addColumn<bool>("ended");

    const QString dornOnZent = "The connected PXU application does not fit to the S19 "
                               "application file!\rPXU-20\t\t : DORN\rApplication.S19 \t : ZENT\r";
    QTest::newRow("same type") << 0 << "ZENT-6183 PXU-20" << false << false << "" << 0 << false;
    QTest::newRow("nobody answers") << 1 << "" << false << false << "" << 1 << false;
    QTest::newRow("mismatch ends the run")
        << 0 << "DORN PXU-20" << false << false << dornOnZent + "The Loader will Terminate!" << 5
        << true;
    QTest::newRow("mismatch with develop, OK")
        << 0 << "DORN PXU-20" << true << true << dornOnZent + "Run Loader anyway?" << 0 << false;
    QTest::newRow("mismatch with develop, Cancel")
        << 0 << "DORN PXU-20" << true << false << dornOnZent + "Run Loader anyway?" << 5 << true;
    QTest::newRow("LORX file, ZENT modules")
        << 2 << "ZENT-6183 PXU-20" << false << false
        << "The connected PXU application does not fit to the S19 application "
           "file!\rPXU-20\t\t : ZENT\rApplication.S19 \t : LORX\rThe Loader will Terminate!"
        << 5 << true;
}

void ConnectionSetupTest::applicationTypeMismatch() {
    QFETCH(int, fileType);
    QFETCH(QString, modules);
    QFETCH(bool, develop);
    QFETCH(bool, goOn);
    QFETCH(QString, box);
    QFETCH(int, typeAfter);
    QFETCH(bool, ended);

    LoaderRig rig;
    rig.workspace.setMiscItem("lastUsedBus", "S-Bus");
    QVERIFY(g_iniGlobals());
    auto& board = rig.boards.add(0, sim::BusKind::SBus);
    if (!modules.isEmpty()) {
        for (int m = 0; m < 3; ++m)
            board.modules.module(m).config().deviceName = modules.toLatin1();
        board.modules.setModes(0, 2, sim::Mode::Application);
    }
    bool ok = false;
    rig.window.initConnection(false, false, ok);
    QVERIFY(ok);
    rig.boards.dialogs.clear();
    g_applType = fileType;
    g_developMode = develop;
    if (develop)
        rig.boards.dialogs.answer(goOn ? BoxAnswer::Ok : BoxAnswer::Cancel);

    rig.window.setUserRights();

    QCOMPARE(rig.boards.dialogs.texts(), box.isEmpty() ? QStringList{} : QStringList{box});
    QCOMPARE(g_applType, typeAfter);
    QCOMPARE(rig.window.programEnding(), ended);
    QCOMPARE(frmCANopen().isInitialised(), !ended);
}

void ConnectionSetupTest::oldInterfaceVersionWarns_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("warned");
    QTest::newRow("1.0") << "1.0" << true;
    QTest::newRow("1.1") << "1.1" << false;
    QTest::newRow("2.0") << "2.0" << false;
}

void ConnectionSetupTest::oldInterfaceVersionWarns() {
    QFETCH(QString, version);
    QFETCH(bool, warned);
    can::CanInterfaceVersion::setReportedVersion(version.toDouble());
    LoaderRig rig;
    rig.boards.add(0, sim::BusKind::MBus).modules.setModes(0, 0, sim::Mode::Application);

    bool ok = false;
    rig.window.initConnection(false, false, ok);
    can::CanInterfaceVersion::setReportedVersion(0);

    QVERIFY(ok);
    const bool shown = rig.boards.dialogs.texts().contains(
        "Old version of CANInterface.dll detected: some features are deactivated.\rTo avoid "
        "this and related failure messages at next use, please perform\rBt base setup with "
        "Install-Brantola version 11.");
    QCOMPARE(shown, warned);
    QCOMPARE(vbVal(g_canInterfaceVersion), version.toDouble());
}

QTEST_MAIN(ConnectionSetupTest)
#include "connection_setup_test.moc"
