// The auto-download variables byte for byte: the command word the tool writes and the
// state values the spare module sends.
#include "bus/adl_values.h"
#include "bus/engine_standstill.h"

#include <QTest>

using namespace pxu;
using namespace pxu::modAutoDownload;

class AutoDownloadValuesTest : public QObject {
    Q_OBJECT
private slots:
    void commandWordCarriesMaskThenWord_data();
    void commandWordCarriesMaskThenWord();
    void invalidCommandOrSectionGivesNoWord_data();
    void invalidCommandOrSectionGivesNoWord();
    void moduleStatePrefersApplicationBit();
    void commandIsPendingWhileWordIsNotZero_data();
    void commandIsPendingWhileWordIsNotZero();
    void updateStatusFields_data();
    void updateStatusFields();
    void failureMasksComeFromBothWords();
    void standStillReportsOfAllModulesDecide_data();
    void standStillReportsOfAllModulesDecide();
    void standStillReportFallsBackAfterValidity();
};

namespace {
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (const int v : values)
        b.append(char(v));
    return b;
}
} // namespace

void AutoDownloadValuesTest::commandWordCarriesMaskThenWord_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("section");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("start bootloader") << 0 << 0x7FFE << 0 << bytes({0xFE, 0x7F, 0x01, 0x00});
    QTest::newRow("start application") << 1 << 0x0002 << 0 << bytes({0x02, 0x00, 0x02, 0x00});
    QTest::newRow("download BL2") << 2 << 0x0004 << 3 << bytes({0x04, 0x00, 0x10, 0x00});
    QTest::newRow("download DC") << 2 << 0x0004 << 4 << bytes({0x04, 0x00, 0x20, 0x00});
    QTest::newRow("download application") << 2 << 0x0006 << 6 << bytes({0x06, 0x00, 0x40, 0x00});
    QTest::newRow("download FPGA") << 2 << 0x4000 << 7 << bytes({0x00, 0x40, 0x80, 0x00});
    QTest::newRow("abort") << 3 << 0 << 0 << bytes({0x00, 0x00, 0x00, 0x01});
    QTest::newRow("unused") << 4 << 0 << 0 << bytes({0x00, 0x00, 0x04, 0x00});
    QTest::newRow("clear") << 5 << 0x7FFE << 0 << bytes({0xFE, 0x7F, 0x00, 0x30});
}

void AutoDownloadValuesTest::commandWordCarriesMaskThenWord() {
    QFETCH(int, command);
    QFETCH(int, mask);
    QFETCH(int, section);
    QFETCH(QByteArray, value);
    const auto encoded = AdlCommandValue::encode(command, quint16(mask), section);
    QVERIFY(encoded);
    QCOMPARE(encoded->toHex(' '), value.toHex(' '));
}

void AutoDownloadValuesTest::invalidCommandOrSectionGivesNoWord_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("error");
    using E = AdlCommandValue::Error;
    QTest::newRow("command 6") << 6 << 0 << int(E::InvalidCommand);
    QTest::newRow("command -1") << -1 << 0 << int(E::InvalidCommand);
    QTest::newRow("download of section 5") << 2 << 5 << int(E::InvalidSection);
    QTest::newRow("download of hardware section") << 2 << 1 << int(E::InvalidSection);
}

void AutoDownloadValuesTest::invalidCommandOrSectionGivesNoWord() {
    QFETCH(int, command);
    QFETCH(int, section);
    QFETCH(int, error);
    AdlCommandValue::Error e = AdlCommandValue::Error::None;
    QVERIFY(!AdlCommandValue::encode(command, 0x0002, section, &e));
    QCOMPARE(int(e), error);
}

void AutoDownloadValuesTest::moduleStatePrefersApplicationBit() {
    // Applications: 0, 1, 3; bootloaders: 1, 2, 14; bit 15 set in both, not a module.
    const AdlModuleState s = AdlModuleState::decode(bytes({0x0B, 0x80, 0x06, 0xC0}));
    QCOMPARE(s.status(0), qint32(moduleApplicationRunning));
    QCOMPARE(s.status(1), qint32(moduleApplicationRunning));
    QCOMPARE(s.status(2), qint32(moduleBootloaderRunning));
    QCOMPARE(s.status(3), qint32(moduleApplicationRunning));
    QCOMPARE(s.status(4), qint32(moduleNotConnected));
    QCOMPARE(s.status(14), qint32(moduleBootloaderRunning));
}

void AutoDownloadValuesTest::commandIsPendingWhileWordIsNotZero_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("pending");
    QTest::newRow("echo of a command") << bytes({0x06, 0x00, 0x40, 0x00}) << true;
    QTest::newRow("high byte only") << bytes({0x00, 0x00, 0x00, 0x30}) << true;
    QTest::newRow("done, mask kept") << bytes({0x06, 0x00, 0x00, 0x00}) << false;
}

void AutoDownloadValuesTest::commandIsPendingWhileWordIsNotZero() {
    QFETCH(QByteArray, value);
    QFETCH(bool, pending);
    QCOMPARE(adlCommandPending(value), pending);
}

void AutoDownloadValuesTest::updateStatusFields_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<double>("progress");
    QTest::addColumn<int>("attempt");
    QTest::newRow("module 5, field 3, flag, done")
        << bytes({0xB5, 0x64, 0x01, 0x00}) << 5 << 3 << true << 1.0 << 1;
    QTest::newRow("progress is 7 bits, attempt 5 bits")
        << bytes({0x0E, 0xFF, 0xE2, 0x03}) << 14 << 0 << false << 1.27 << 2;
    QTest::newRow("half way") << bytes({0x02, 0x32, 0x03, 0x00}) << 2 << 0 << false << 0.5 << 3;
}

void AutoDownloadValuesTest::updateStatusFields() {
    QFETCH(QByteArray, value);
    QFETCH(int, module);
    QFETCH(int, field);
    QFETCH(bool, flag);
    QFETCH(double, progress);
    QFETCH(int, attempt);
    const AdlUpdateStatus u = AdlUpdateStatus::decode(value);
    QCOMPARE(u.updateModule, module);
    QCOMPARE(u.field, field);
    QCOMPARE(u.flag, flag);
    QCOMPARE(u.progress, progress);
    QCOMPARE(u.attempt, attempt);
}

void AutoDownloadValuesTest::failureMasksComeFromBothWords() {
    // B from bytes 0-1: module 2; A from bytes 2-3: modules 9 and 14.
    const AdlUpdateFailure f = AdlUpdateFailure::decode(bytes({0x04, 0x00, 0x00, 0x42}));
    QVERIFY(f.failureB[2] && !f.failureA[2]);
    QVERIFY(f.failureA[9] && f.failureA[14]);
    QVERIFY(!f.failureA[1] && !f.failureB[1]);
}

void AutoDownloadValuesTest::standStillReportsOfAllModulesDecide_data() {
    // Reports per module: 'S' standstill, 'R' running, 'E' expected (newly started), '-'.
    QTest::addColumn<QString>("reports");
    QTest::addColumn<int>("status");
    QTest::newRow("nobody") << "--------------" << 0;
    QTest::newRow("one standstill") << "S-------------" << 1;
    QTest::newRow("all standstill") << "SSSSSS--------" << 1;
    QTest::newRow("one running among standstill") << "SSRSSS--------" << 2;
    QTest::newRow("running alone") << "-R------------" << 2;
    QTest::newRow("one awaited") << "SSE-----------" << 0;
    QTest::newRow("awaited and running") << "SER-----------" << 2;
}

void AutoDownloadValuesTest::standStillReportsOfAllModulesDecide() {
    QFETCH(QString, reports);
    QFETCH(int, status);
    EngineStandStillReports r;
    for (int i = 0; i < reports.size(); ++i) {
        const int module = i + 1;
        if (reports[i] == u'S')
            r.report(module, true);
        else if (reports[i] == u'R')
            r.report(module, false);
        else if (reports[i] == u'E')
            r.expect(module);
    }
    QCOMPARE(int(r.status()), status);
}

void AutoDownloadValuesTest::standStillReportFallsBackAfterValidity() {
    EngineStandStillReports r;
    r.report(3, false);
    r.report(4, true);
    // 100 ticks of 200 ms bring the validity to 0; the next tick drops the report.
    for (int i = 0; i < 100; ++i)
        r.tick(200);
    QCOMPARE(int(r.status()), int(engineRunning));
    r.report(4, true); // a fresh standstill does not hide module 3's running engine
    r.tick(200);
    QCOMPARE(int(r.status()), int(engineStandingStill));
    QCOMPARE(int(r.status(3)), int(engineNoSignal));
}

QTEST_GUILESS_MAIN(AutoDownloadValuesTest)
#include "auto_download_values_test.moc"
