#include "dc_fixture.h"
#include "dcdatabase/header_scan.h"
#include "dcdatabase/special_symbols.h"
#include "scan_fixture.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

struct Job {
    std::optional<QString> failure;
    int unresolved = 0;
    SwInfoOutcome swInfos;
    QStringList lines;
    QStringList boxes;
};

// The job of "Scan Header-Files": the scan with its rebuilds, then the software information
// and the data-container version.
Job scanAndRebuild(const QString& database) {
    ScriptedDialogs dialogs;
    RecordingSink sink;
    Job job;
    job.failure = DcJob::run(database, [&](DcJob& dcJob) {
        job.unresolved = scanHeadersAndRebuild(dcJob, sink);
        SpecialSymbols symbols(dcJob, sink);
        job.swInfos = symbols.setSwInfos(QFileInfo(database).path());
        symbols.setDcVersion();
    });
    job.lines = sink.lines;
    job.boxes = dialogs.texts();
    return job;
}

QStringList sortedDump(const QString& database) {
    QStringList lines = dumpDatabase(database).split(u'\n');
    lines.sort();
    return lines;
}

} // namespace

class HeaderScanTest : public QObject {
    Q_OBJECT
private slots:
    void scanRebuildsTheTablesAndTheVersion();
    void anyFailureRollsTheWholeJobBack_data();
    void anyFailureRollsTheWholeJobBack();
    void samplePlantHeadersGiveItsSymbolsUnchanged();
};

void HeaderScanTest::scanRebuildsTheTablesAndTheVersion() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder());
    const Job job = scanAndRebuild(db);
    QCOMPARE(job.failure, std::nullopt);
    QCOMPARE(queryValue(db, "SELECT count(*) FROM dcEnums WHERE id >= 0").toInt(), 22 + 17);
    QCOMPARE(queryColumn(db, "SELECT name FROM alarmEnums WHERE id >= 0 ORDER BY id"),
             (QVariantList{"ALM_OVERSPEED", "ALM_OIL_LOW", "ALM_CYL_TEMP"}));
    QCOMPARE(queryColumn(db, "SELECT DISTINCT introduced FROM dcEnums WHERE id >= 0"),
             QVariantList{412});
    QCOMPARE(queryValue(db, "SELECT value FROM dcBinFile WHERE content = 'dcVersion'"),
             QVariant("9"));
    QCOMPARE(job.unresolved, 0);
    QVERIFY(job.swInfos.swVersionFound && job.swInfos.developerNoFound);
    QVERIFY(job.lines.contains(QStringLiteral("   Update id's in alarmEnums-table")));
    QVERIFY(job.lines.contains(QStringLiteral("   Write DC-version 9 into DC")));
}

void HeaderScanTest::anyFailureRollsTheWholeJobBack_data() {
    QTest::addColumn<QList<HeaderChange>>("changes");
    QTest::addColumn<QString>("removed"); // a header file that is missing
    QTest::addColumn<QString>("sql");     // run on the database before the scan
    QTest::addColumn<QString>("failure"); // the folder written "<folder>"
    QTest::addColumn<QStringList>("boxes");

    const QString dc = QStringLiteral("dataContainer.h");
    QTest::newRow("missing library.h") << QList<HeaderChange>() << "library.h"
                                       << ""
                                       << "<folder>/library.h not found" << QStringList();
    QTest::newRow("expression C cannot evaluate")
        << QList<HeaderChange>{{"global.h", "#define MAX_CYL 0x0E", "#define MAX_CYL (0x0E % 0)"}}
        << ""
        << ""
        << "global.h, line 7: '(0x0E % 0)' cannot be evaluated: 14 % 0 divides by zero"
        << QStringList();
    QTest::newRow("name not scanned before")
        << QList<HeaderChange>{{dc, "ENG_GAIN_P + 10", "ENG_GAIN_X + 10"}} << ""
        << ""
        << "dataContainer.h, line 28: the value of ENG_LIMIT cannot be evaluated: ENG_GAIN_X "
           "is not defined before it"
        << QStringList{"ENG_GAIN_X is not found in DB"};
    QTest::newRow("define without value")
        << QList<HeaderChange>{{dc, "#define DAT_DC_VERSION 9", "#define DAT_DC_VERSION"}} << ""
        << ""
        << "dataContainer.h, line 6: \"#define DAT_DC_VERSION\" defines no value" << QStringList();
    QTest::newRow("enumeration open at the end of a file")
        << QList<HeaderChange>{{"library.h", "} mode_t;\n", ""}} << ""
        << ""
        << "library.h, line 13: the enumeration that begins here is not closed at the end of the "
           "file"
        << QStringList();
    QTest::newRow("continuation open at the end of a file")
        << QList<HeaderChange>{{"global.h", "// scanEnd\n\n#define NOT_SCANNED (1 & 2)\n#endif\n",
                                "#define OPEN 1 + \\\n"}}
        << ""
        << ""
        << "global.h, line 22: the #define continued here with \"\\\" is not complete at the "
           "end of the file"
        << QStringList();
    QTest::newRow("broken marker pair")
        << QList<HeaderChange>{{dc, "LAST_CYL_PARAMETER", "LAST_CYLINDER_PARAMETER"}} << ""
        << ""
        << "Error in grouping dc-nums \r\nFIRST_CYL_PARAMETER / LAST_CYLINDER_PARAMETER "
           "(dataContainer.h, line 37 / dataContainer.h, line 41)"
        << QStringList();
    QTest::newRow("marker without partner")
        << QList<HeaderChange>{{dc, "   LAST_GLB_DBG_VARIABLE\n", ""}} << ""
        << ""
        << "FIRST_GLB_DBG_VARIABLE (dataContainer.h, line 58): the marker has no partner"
        << QStringList();
    QTest::newRow("array mark on the last symbol")
        << QList<HeaderChange>{{dc, "   LAST_GLB_DBG_VARIABLE\n",
                                "   LAST_GLB_DBG_VARIABLE // 11.2; end * n\n"}}
        << ""
        << ""
        << "LAST_GLB_DBG_VARIABLE (dataContainer.h, line 61): the array is the last symbol, so "
           "its length is not known"
        << QStringList();
    QTest::newRow("a plain enumeration grouped among the alarms")
        << QList<HeaderChange>{{"library.h", "   MODE_INVALID = -1,\n   NUM_MODES = 3",
                                "   MODE_OFF,\n   MODE_ON,\n   MODE_AUTO"}}
        << ""
        << ""
        << "MODE_ON (library.h, line 16) and ALM_OVERSPEED (dataContainer.h, line 68) are both "
           "ALARM with the id 1: the modules could not tell them apart"
        << QStringList();
    QTest::newRow("conditional inside a scanned section")
        << QList<HeaderChange>{{dc, "   ENG_NO_FUP,", "#ifdef SIM\n   ENG_NO_FUP,\n#endif"}} << ""
        << ""
        << "dataContainer.h, line 31: the conditional \"#ifdef SIM\" lies in a scanned section: "
           "the scan cannot know which branch the control software is built with"
        << QStringList();
    QTest::newRow("failure after both rebuilds")
        << QList<HeaderChange>{{dc, "ENG_GAIN_I,", "ENG_GAIN_INT,"}} << ""
        << "UPDATE dcBinFile SET value = 'x' WHERE content = 'dcVersion';"
        << "dcBinFile, step 1: the value 'x' of dcVersion is no number." << QStringList();
}

void HeaderScanTest::anyFailureRollsTheWholeJobBack() {
    QFETCH(QList<HeaderChange>, changes);
    QFETCH(QString, removed);
    QFETCH(QString, sql);
    QFETCH(QString, failure);
    QFETCH(QStringList, boxes);
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder());
    QCOMPARE(scanAndRebuild(db).failure, std::nullopt);
    // What the users entered since, and what a failing scan must not lose.
    execute(db, "UPDATE dcEnums SET value = 42, condition = 'kept' WHERE name = 'ENG_GAIN_P'");
    if (!sql.isEmpty())
        execute(db, sql);
    writeHeaders(fixture.folder(), changes);
    if (!removed.isEmpty())
        QVERIFY(QFile::remove(QDir(fixture.folder()).filePath(removed)));
    const QString before = dumpDatabase(db);
    const auto files = folderState(fixture.folder());

    const Job job = scanAndRebuild(db);
    QCOMPARE(job.failure.value_or(QStringLiteral("<no failure>")),
             failure.replace(QLatin1String("<folder>"), fixture.folder()));
    QCOMPARE(job.boxes, boxes);
    QCOMPARE(dumpDatabase(db), before);
    QCOMPARE(folderState(fixture.folder()), files);
}

void HeaderScanTest::samplePlantHeadersGiveItsSymbolsUnchanged() {
    DcFixture fixture;
    const QString db = fixture.samplePlant(DcFixture::versionName(1));
    for (const char* name : {"global.h", "library.h", "dataContainer.h"})
        QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_HEADERS "/") + QLatin1String(name),
                            fixture.path(QLatin1String(name))));
    const QStringList sourceScan = sortedDump(db).filter(QRegularExpression("^sourceScan:"));
    const QStringList symbols = sortedDump(db).filter(QRegularExpression("^dcEnums:"));

    const Job first = scanAndRebuild(db);
    QCOMPARE(first.failure, std::nullopt);
    QCOMPARE(first.boxes, QStringList());
    const qsizetype compare =
        first.lines.indexOf(QStringLiteral("   Compare scan with previous scanned symbols"));
    QCOMPARE(first.lines.at(compare + 1),
             QStringLiteral("   Update attributes of scanned symbols in dcEnums"));
    QCOMPARE(first.unresolved, 0);
    QCOMPARE(sortedDump(db).filter(QRegularExpression("^sourceScan:")), sourceScan);
    QCOMPARE(sortedDump(db).filter(QRegularExpression("^dcEnums:")), symbols);

    // The alarm-list indexes filled in the names of the references given by id alone; from
    // then on a scan changes nothing at all.
    const QStringList afterFirst = sortedDump(db);
    QCOMPARE(scanAndRebuild(db).failure, std::nullopt);
    QCOMPARE(sortedDump(db), afterFirst);
}

QTEST_GUILESS_MAIN(HeaderScanTest)
#include "header_scan_test.moc"
