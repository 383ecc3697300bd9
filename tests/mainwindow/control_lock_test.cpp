#include "core/globals.h"
#include "mainwindow/control_lock.h"

#include <QtTest>

using namespace pxu;

namespace {

// One digit per control, in the order of Control: 1 enabled.
QString states(const ControlLock& lock) {
    QString text;
    for (int c = 0; c < int(Control::count); ++c)
        text += lock.enabled(Control(c)) ? u'1' : u'0';
    return text;
}

} // namespace

class ControlLockTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        g_canInterfaceVersion = QStringLiteral("1.1");
        g_debugMode = false;
    }
    void lockModesLeaveTheirControls_data();
    void lockModesLeaveTheirControls();
    void unlockEnablesAllAndClearsAbort();
    void oldInterfaceKeepsStartApplicationAndUploadOff_data();
    void oldInterfaceKeepsStartApplicationAndUploadOff();
    void engineLockDuringDownloadKeepsAbortAndRequest();
    void engineLockOutlastsTheOperation();
    void engineLockKeepsPointerFileAndExit();
    void firstLockRemovesTheCloseCommandForGood();
};

void ControlLockTest::lockModesLeaveTheirControls_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("controls");
    QTest::addColumn<bool>("hourglass");
    QTest::addColumn<bool>("selectionLocked");
    //                                       Dl Ms Ex Ab Fi MC To DC SA SB Up mEx
    QTest::newRow("0 upload") << 0 << "000100001110" << true << true;
    QTest::newRow("1 download") << 1 << "000100001110" << true << true;
    QTest::newRow("2 start modules") << 2 << "001000001111" << true << true;
    QTest::newRow("3 engine running") << 3 << "001010001111" << false << false;
    QTest::newRow("4 module overview") << 4 << "000000001110" << true << true;
}

void ControlLockTest::lockModesLeaveTheirControls() {
    QFETCH(int, mode);
    QFETCH(QString, controls);
    QFETCH(bool, hourglass);
    QFETCH(bool, selectionLocked);
    ControlLock lock;
    lock.enableAllControls();
    QCOMPARE(states(lock), QStringLiteral("111011111111"));
    QVERIFY(!lock.selectionLocked());
    lock.disableOtherControls(mode);
    QCOMPARE(states(lock), controls);
    QCOMPARE(lock.hourglass(), hourglass);
    QCOMPARE(lock.selectionLocked(), selectionLocked);
    QVERIFY(lock.closeRemoved());
    lock.enableAllControls();
    QVERIFY(!lock.selectionLocked());
}

void ControlLockTest::unlockEnablesAllAndClearsAbort() {
    ControlLock lock;
    lock.disableOtherControls(lockDownload);
    lock.g_abortRequested = true;
    lock.enableAllControls();
    QCOMPARE(states(lock), QStringLiteral("111011111111"));
    QVERIFY(!lock.hourglass());
    QVERIFY(!lock.g_abortRequested);
    QVERIFY(!lock.operationMode());
}

void ControlLockTest::oldInterfaceKeepsStartApplicationAndUploadOff_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("debug");
    QTest::addColumn<QString>("controls");
    QTest::newRow("1.0") << "1.0" << false << "111011110101";
    QTest::newRow("1.0 with debug") << "1.0" << true << "111011111111";
    QTest::newRow("not told yet") << "" << false << "111011110101";
    QTest::newRow("1.1") << "1.1" << false << "111011111111";
}

void ControlLockTest::oldInterfaceKeepsStartApplicationAndUploadOff() {
    QFETCH(QString, version);
    QFETCH(bool, debug);
    QFETCH(QString, controls);
    g_canInterfaceVersion = version;
    g_debugMode = debug;
    ControlLock lock;
    lock.disableOtherControls(lockStartModules);
    lock.enableAllControls();
    QCOMPARE(states(lock), controls);
}

void ControlLockTest::engineLockDuringDownloadKeepsAbortAndRequest() {
    ControlLock lock;
    lock.enableAllControls();
    lock.disableOtherControls(lockDownload);
    lock.g_abortRequested = true;
    lock.setEngineRunningLock(true);
    QVERIFY(lock.enabled(Control::cmdAbort));
    lock.setEngineRunningLock(false);
    // Still the download's lock, and its abort request.
    QCOMPARE(states(lock), QStringLiteral("000100001110"));
    QVERIFY(lock.hourglass());
    QVERIFY(lock.g_abortRequested);
    QCOMPARE(lock.operationMode(), std::optional<int>(lockDownload));
}

void ControlLockTest::engineLockOutlastsTheOperation() {
    ControlLock lock;
    lock.enableAllControls();
    lock.disableOtherControls(lockStartModules);
    lock.disableOtherControls(lockEngineRunning);
    lock.enableAllControls();
    // The operation is over, the engine still runs.
    QCOMPARE(states(lock), QStringLiteral("001010001111"));
    QVERIFY(!lock.hourglass());
    lock.setEngineRunningLock(false);
    QCOMPARE(states(lock), QStringLiteral("111011111111"));
}

void ControlLockTest::engineLockKeepsPointerFileAndExit() {
    ControlLock lock;
    lock.enableAllControls();
    lock.setHourglass(true);
    lock.setEnabled(Control::mnuFile, false);
    lock.setEnabled(Control::cmdExit, false);
    lock.disableOtherControls(lockEngineRunning);
    QVERIFY(lock.hourglass());
    QVERIFY(!lock.enabled(Control::mnuFile));
    QVERIFY(!lock.enabled(Control::cmdExit));
    QVERIFY(lock.enabled(Control::mnuExit));
    QVERIFY(lock.engineRunningLock());
}

void ControlLockTest::firstLockRemovesTheCloseCommandForGood() {
    ControlLock lock;
    QVERIFY(!lock.closeRemoved());
    lock.disableOtherControls(lockEngineRunning);
    QVERIFY(lock.closeRemoved());
    QVERIFY(!lock.disableCloseButton());
    lock.setEngineRunningLock(false);
    lock.enableAllControls();
    QVERIFY(lock.closeRemoved());
}

QTEST_MAIN(ControlLockTest)
#include "control_lock_test.moc"
