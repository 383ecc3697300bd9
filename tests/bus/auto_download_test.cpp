// The auto-download protocol against the simulated spare module on the M-Bus: log-in,
// the module states and update status it reports, commands with their interlock, engine
// standstill and the check that module 0 is the spare.
#include "adl_rig.h"
#include "support/losable_channel.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::modAutoDownload;
using test::AdlRig;

namespace {

struct Status {
    bool busy = false;
    int module = 0;
    qint32 field = 0;
    double progress = 0;
    int attempt = 0;
};

Status status() {
    Status s;
    s.busy = g_getAutoDownloadStatus(s.module, s.field, s.progress, s.attempt);
    return s;
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

} // namespace

class AutoDownloadTest : public QObject {
    Q_OBJECT
private slots:
    void logInMakesSpareReportModuleStates();
    void commandIsWrittenAsSymbolOfSpare_data();
    void commandIsWrittenAsSymbolOfSpare();
    void interlockRefusesCommandsWhileBusyButNotAbort();
    void failedWriteDoesNotLeaveInterlockBusy();
    void invalidCommandIsRefusedNotSent_data();
    void invalidCommandIsRefusedNotSent();
    void updateStatusFollowsSectionDownload();
    void risingAttemptsAndFailureBitsAreReported();
    void standStillIsPerModuleAndRunningWins();
    void standStillFallsBackAfterTwentySeconds();
    void logOffSwitchesStateAndStandStillBitsOff();
    void logOffOnALostChannelSaysWhatStaysOn();
    void moduleZeroMustBeTheSpare_data();
    void moduleZeroMustBeTheSpare();
    void moduleIdOfDeviceName_data();
    void moduleIdOfDeviceName();
};

void AutoDownloadTest::logInMakesSpareReportModuleStates() {
    AdlRig adl(4);
    adl.rig.modules.module(5).setMode(sim::Mode::Bootloader);
    QVERIFY(adl.connect());
    // User level 11, then the four state variables' service bits.
    QCOMPARE(adl.rig.framesOn(0x482).size(), 1);
    QCOMPARE(test::bytesOf(adl.rig.framesOn(0x482).first()).left(1), hex("8b"));
    const QList<QByteArray> frames = adl.serviceFrames();
    QVERIFY(frames.size() >= 4);
    QCOMPARE(frames.mid(0, 4),
             (QList<QByteArray>{hex("2008008501000000"), hex("2108008501000000"),
                                hex("2208008501000000"), hex("2308008501000000")}));
    QVERIFY(adl.rig.time.runUntil([] { return g_getModuleStatusADL(5) == moduleBootloaderRunning; },
                                  2000));
    const ModuleStates states = g_getAutoDwnlConnStatus();
    QCOMPARE(states, (ModuleStates{1, 1, 1, 1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // The connection status takes module 0 from its heartbeat, the others from the spare.
    adl.rig.modules.module(3).setMode(sim::Mode::Off);
    QVERIFY(adl.rig.time.runUntil(
        [] { return modConnectionStatus::g_getModuleStatus(3) == moduleNotConnected; }, 2000));
}

void AutoDownloadTest::commandIsWrittenAsSymbolOfSpare_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("section");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("download application into 1 and 2")
        << 2 << 0x0006 << 6 << hex("2108008006004000");
    QTest::newRow("clear all cylinders") << 5 << 0x7FFE << 0 << hex("21080080fe7f0030");
    QTest::newRow("start application, no module") << 1 << 0 << 0 << hex("2108008000000200");
}

void AutoDownloadTest::commandIsWrittenAsSymbolOfSpare() {
    QFETCH(int, command);
    QFETCH(int, mask);
    QFETCH(int, section);
    QFETCH(QByteArray, frame);
    AdlRig adl;
    QVERIFY(adl.connect());
    const qsizetype from = adl.rig.heard.size();
    QVERIFY(g_sendCommand(command, quint16(mask), section));
    adl.transmit();
    QCOMPARE(adl.serviceFrames(from), QList<QByteArray>{frame});
    // The spare echoes the command while it works and clears the word when done.
    QVERIFY(adl.rig.time.runUntil([] { return !status().busy; }, 10000));
    QCOMPARE(adl.spare.commandsTaken(), 1);
    QCOMPARE(adl.spare.commandWord(), quint16(0));
}

void AutoDownloadTest::interlockRefusesCommandsWhileBusyButNotAbort() {
    AdlRig adl;
    QVERIFY(adl.connect());
    adl.spare.faults().commandNeverClears = true;
    QVERIFY(g_sendCommand(adlClear, 0, 0));
    adl.rig.time.runFor(1000);
    QVERIFY(status().busy);
    const qsizetype from = adl.rig.heard.size();
    QVERIFY(!g_sendCommand(adlStartBootloader, 0x0002, 0));
    QVERIFY(!g_sendCommand(adlDownloadSection, 0x0002, 6));
    adl.transmit();
    QCOMPARE(adl.serviceFrames(from).size(), 0);
    QVERIFY(g_sendCommand(adlAbort, 0, 0));
    adl.transmit();
    QCOMPARE(adl.serviceFrames(from), QList<QByteArray>{hex("2108008000000001")});
    QVERIFY(status().busy);
    // Only the spare's cleared word (or its absence) opens the interlock again.
    adl.spare.faults().commandNeverClears = false;
    QVERIFY(g_sendCommand(adlAbort, 0, 0));
    QVERIFY(adl.rig.time.runUntil([] { return !status().busy; }, 5000));
    QVERIFY(g_sendCommand(adlStartApplication, 0, 0));
}

void AutoDownloadTest::failedWriteDoesNotLeaveInterlockBusy() {
    AdlRig adl;
    QVERIFY(adl.connect());
    adl.rig.master().setNoCan(true); // the service channel cannot send
    QVERIFY(!g_sendCommand(adlStartApplication, 0x0002, 0));
    QVERIFY(!status().busy);
    adl.rig.master().setNoCan(false);
    QVERIFY(g_sendCommand(adlStartApplication, 0x0002, 0));
    QVERIFY(status().busy);
}

void AutoDownloadTest::invalidCommandIsRefusedNotSent_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("box");
    QTest::newRow("command 6") << 6 << 0 << "Invalid Command passed to g_sendCommand";
    QTest::newRow("section 5") << 2 << 5
                               << "Invalid section passed to modAutoDwonlaod.g_sendCommand";
}

void AutoDownloadTest::invalidCommandIsRefusedNotSent() {
    QFETCH(int, command);
    QFETCH(int, section);
    QFETCH(QString, box);
    AdlRig adl;
    QVERIFY(adl.connect());
    const qsizetype from = adl.rig.heard.size();
    QVERIFY(!g_sendCommand(command, 0x0002, section));
    adl.transmit();
    QCOMPARE(adl.rig.dialogs.texts(), QStringList{box});
    QCOMPARE(adl.serviceFrames(from).size(), 0);
    QVERIFY(!status().busy);
}

void AutoDownloadTest::updateStatusFollowsSectionDownload() {
    AdlRig adl;
    QVERIFY(adl.connect());
    adl.rig.modules.module(0).setSection(6, QByteArray(44, 'i'), QByteArray(100, 'a'));
    QVERIFY(g_sendCommand(adlDownloadSection, quint16(1u << 3), 6));
    QList<double> progress;
    QVERIFY(adl.rig.time.runUntil(
        [&] {
            const Status s = status();
            if (s.module == 3 && (progress.isEmpty() || progress.last() != s.progress))
                progress << s.progress;
            return !s.busy && !progress.isEmpty();
        },
        10000));
    QVERIFY(progress.size() >= 5);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QCOMPARE(progress.last(), 1.0);
    QCOMPARE(status().attempt, 1);
    QCOMPARE(adl.rig.modules.module(3).section(6).image, QByteArray(100, 'a'));
    QVERIFY(!g_getAutoDownloadFailure(3));
}

void AutoDownloadTest::risingAttemptsAndFailureBitsAreReported() {
    AdlRig adl;
    QVERIFY(adl.connect());
    adl.spare.faults().risingAttempts = true;
    adl.spare.faults().failureMask = quint16(1u << 2);
    QVERIFY(g_sendCommand(adlDownloadSection, 0x0006, 4));
    int highest = 0;
    QVERIFY(adl.rig.time.runUntil(
        [&] {
            highest = std::max(highest, status().attempt);
            return !status().busy;
        },
        20000));
    QCOMPARE(highest, 2);
    QVERIFY(!g_getAutoDownloadFailure(1));
    QVERIFY(adl.rig.time.runUntil([] { return g_getAutoDownloadFailure(2); }, 1000));
    QVERIFY(g_sendCommand(adlClear, 0, 0));
    QVERIFY(
        adl.rig.time.runUntil([] { return !g_getAutoDownloadFailure(2) && !status().busy; }, 5000));
}

void AutoDownloadTest::standStillIsPerModuleAndRunningWins() {
    AdlRig adl(4);
    QVERIFY(adl.connect());
    // Each cylinder that newly runs its application gets its standstill bit switched on.
    for (int n = 1; n <= 4; ++n)
        QVERIFY(adl.serviceFrames().contains(QByteArray::fromHex(
            QByteArray::number(n * 0x10 + 0x08, 16).prepend("10") + "008501000000")));
    QVERIFY(adl.rig.time.runUntil(
        [] { return g_getEngineStandStillStatus() == engineStandingStill; }, 2000));
    adl.spare.setEngineRunning(true, 3);
    QVERIFY(
        adl.rig.time.runUntil([] { return g_getEngineStandStillStatus() == engineRunning; }, 2000));
    // The other modules go on reporting standstill: the engine still runs.
    adl.rig.time.runFor(3000);
    QCOMPARE(g_getEngineStandStillStatus(), qint32(engineRunning));
    QCOMPARE(g_getEngineStandStillStatus(1), qint32(engineStandingStill));
    adl.spare.setEngineRunning(false, 3);
    QVERIFY(adl.rig.time.runUntil(
        [] { return g_getEngineStandStillStatus() == engineStandingStill; }, 2000));
}

void AutoDownloadTest::standStillFallsBackAfterTwentySeconds() {
    AdlRig adl(3);
    QVERIFY(adl.connect());
    QVERIFY(adl.rig.time.runUntil(
        [] { return g_getEngineStandStillStatus() == engineStandingStill; }, 2000));
    // The cylinders stop reporting (their service bits stay on in the tool's view).
    for (int n = 1; n <= 3; ++n)
        adl.rig.service.removeVariable(n, adl.spare.ids().engineStandStill);
    const qint64 lastReportMs = adl.rig.time.nowMs();
    adl.rig.time.runFor(19500);
    QCOMPARE(g_getEngineStandStillStatus(), qint32(engineStandingStill));
    QVERIFY(adl.rig.time.runUntil([] { return g_getEngineStandStillStatus() == engineNoSignal; },
                                  2000));
    QVERIFY(adl.rig.time.nowMs() - lastReportMs <= 20600);
}

void AutoDownloadTest::logOffSwitchesStateAndStandStillBitsOff() {
    AdlRig adl(2);
    QVERIFY(adl.connect());
    const qsizetype from = adl.rig.heard.size();
    g_logoff();
    adl.transmit();
    QCOMPARE(adl.serviceFrames(from),
             (QList<QByteArray>{hex("2008008500000000"), hex("2108008500000000"),
                                hex("2208008500000000"), hex("2308008500000000"),
                                hex("1018008500000000"), hex("1028008500000000")}));
    QVERIFY(adl.rig.dialogs.texts().isEmpty());
}

void AutoDownloadTest::logOffOnALostChannelSaysWhatStaysOn() {
    AdlRig adl(2);
    test::LosableChannel channel(adl.rig.bus);
    channel.install();
    QVERIFY(adl.connect());
    channel.lose();
    const qsizetype from = adl.rig.heard.size();
    const qint64 startMs = adl.rig.time.nowMs();

    g_logoff();

    adl.transmit();
    QVERIFY(adl.serviceFrames(from).isEmpty());
    QCOMPARE(adl.rig.time.nowMs(), startMs + 5);
    // Not "Deactivation of ZENT-Variable 2080 failed." for the first of them only.
    QCOMPARE(adl.rig.dialogs.texts(),
             QStringList{"Logoff AutoDownload: ZENT-Variables 2080, 2081, 2082, 2083, 6160, 10256 "
                         "not deactivated: CAN channel in-process bus was lost."});
}

void AutoDownloadTest::moduleZeroMustBeTheSpare_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("updater");
    QTest::addColumn<int>("logOffs");
    QTest::addColumn<int>("notSpare");
    QTest::newRow("the spare") << QByteArray("ZENT-6183 PXU-20 #00") << false << 0 << 0;
    QTest::newRow("no number") << QByteArray("ZENT-6183 PXU-20") << false << 0 << 0;
    QTest::newRow("module 3, full loader") << QByteArray("ZENT-6183 PXU-20 #03") << false << 1 << 0;
    QTest::newRow("module 3, updater") << QByteArray("ZENT-6183 PXU-20 #03") << true << 0 << 3;
}

void AutoDownloadTest::moduleZeroMustBeTheSpare() {
    QFETCH(QByteArray, name);
    QFETCH(bool, updater);
    QFETCH(int, logOffs);
    QFETCH(int, notSpare);
    AdlRig adl;
    adl.rig.modules.module(0).config().deviceName = name;
    QVERIFY(adl.connect());
    g_applUpdate = updater;
    g_checkMBusModuleID(false);
    g_applUpdate = false;
    QCOMPARE(adl.window.logOffs.size(), logOffs);
    if (logOffs) {
        QCOMPARE(adl.window.logOffs.first(), true);
        QCOMPARE(adl.rig.dialogs.texts(),
                 QStringList{QStringLiteral("The loader is not connected to the spare module: "
                                            "the module answering as module 0 is PXU #3. Please "
                                            "connect the USB-to-CAN converter to the spare "
                                            "module. The Loader will terminate.")});
    } else {
        QVERIFY(adl.rig.dialogs.texts().isEmpty());
    }
    QCOMPARE(adl.window.notSpare.size(), notSpare ? 1 : 0);
    if (notSpare)
        QCOMPARE(int(adl.window.notSpare.first()), notSpare);
}

void AutoDownloadTest::moduleIdOfDeviceName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::newRow("ends in #03") << "PXU-20 #03" << 3;
    QTest::newRow("#12") << "PXU-20 #12" << 12;
    QTest::newRow("one digit then text") << "PXU#7a" << 7;
    QTest::newRow("letters after #") << "PXU-20 #ab" << 0;
    QTest::newRow("no #") << "PXU-20 03" << 0;
    QTest::newRow("first # counts") << "A#B#05" << 0;
    QTest::newRow("empty") << "" << 0;
}

void AutoDownloadTest::moduleIdOfDeviceName() {
    QFETCH(QString, name);
    QFETCH(int, id);
    QCOMPARE(int(modAutoDownload::moduleIdOfDeviceName(name)), id);
}

QTEST_MAIN(AutoDownloadTest)
#include "auto_download_test.moc"
