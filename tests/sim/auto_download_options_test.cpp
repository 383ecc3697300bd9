// The pxu-sim options of the spare's auto download.
#include "sim/command_line.h"

#include <QtTest>

using namespace pxu::sim;

class AutoDownloadOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsAreTheSampleIds();
    void optionsSetIdsAndFaults();
    void badValuesAreRefused_data();
    void badValuesAreRefused();
};

namespace {
std::optional<CommandLine> parse(const QStringList& extra, QString* error = nullptr) {
    return parseCommandLine(QStringList{"--channel", "virtualcan:can0", "--bus", "M"} + extra,
                            error);
}
} // namespace

void AutoDownloadOptionsTest::defaultsAreTheSampleIds() {
    const auto line = parse({});
    QVERIFY(line);
    const AutoDownloadIds& ids = line->channels.front().autoDownload.ids;
    QCOMPARE(ids.moduleStateRo, quint16(0x820));
    QCOMPARE(ids.moduleStateRw, quint16(0x821));
    QCOMPARE(ids.updateStateRo, quint16(0x822));
    QCOMPARE(ids.updateFailureRo, quint16(0x823));
    QCOMPARE(ids.engineStandStill, quint16(0x810));
    QVERIFY(usageText().contains(QStringLiteral("--adl-fault")));
}

void AutoDownloadOptionsTest::optionsSetIdsAndFaults() {
    const auto line =
        parse({"--adl-var", "GLB_CAN_MODULE_STATE_RW=0x921", "--adl-var", "glb_eng_ststill=2000",
               "--adl-fault", "command-never-clears", "--adl-fault", "rising-attempts",
               "--adl-fault", "failure=2,5", "--adl-fault", "engine-running=3"});
    QVERIFY(line);
    const AutoDownloadOptions& o = line->channels.front().autoDownload;
    QCOMPARE(o.ids.moduleStateRw, quint16(0x921));
    QCOMPARE(o.ids.engineStandStill, quint16(2000));
    QCOMPARE(o.ids.moduleStateRo, quint16(0x820));
    QVERIFY(o.faults.commandNeverClears);
    QVERIFY(o.faults.risingAttempts);
    QCOMPARE(o.faults.failureMask, quint16(0x0024));
    QCOMPARE(o.engineRunning, QList<int>{3});
}

void AutoDownloadOptionsTest::badValuesAreRefused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown variable") << QStringList{"--adl-var", "GLB_OTHER=1"};
    QTest::newRow("id beyond 12 bits") << QStringList{"--adl-var", "GLB_ENG_STSTILL=0x1000"};
    QTest::newRow("unknown fault") << QStringList{"--adl-fault", "slow"};
    QTest::newRow("failure of the spare") << QStringList{"--adl-fault", "failure=0"};
    QTest::newRow("bad list") << QStringList{"--adl-fault", "engine-running=x"};
}

void AutoDownloadOptionsTest::badValuesAreRefused() {
    QFETCH(QStringList, args);
    QString error;
    QVERIFY(!parse(args, &error));
    QVERIFY(error.contains(QStringLiteral("--adl-")));
}

QTEST_GUILESS_MAIN(AutoDownloadOptionsTest)
#include "auto_download_options_test.moc"
