#include "core/globals.h"
#include "dc_fixture.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/source_scan.h"
#include "scan_fixture.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

struct Scan {
    std::optional<QString> failure;
    QStringList lines;
    QStringList boxes;
    // The report: the lines after "   Compare scan with previous scanned symbols".
    QStringList report() const {
        const qsizetype at =
            lines.indexOf(QStringLiteral("   Compare scan with previous scanned symbols"));
        return at < 0 ? QStringList{QStringLiteral("<no comparison>")} : lines.mid(at + 1);
    }
};

Scan scan(const QString& database) {
    ScriptedDialogs dialogs;
    RecordingSink sink;
    Scan result;
    result.failure = DcJob::run(database, [&](DcJob& job) { g_scanHeaderFiles(job, sink); });
    result.lines = sink.lines;
    result.boxes = dialogs.texts();
    return result;
}

QVariantList upDates(const QString& database, const QString& table, const QStringList& names) {
    QVariantList codes;
    for (const QString& name : names)
        codes << queryValue(
            database,
            QStringLiteral("SELECT \"upDate\" FROM %1 WHERE name = ?").arg(dc::tableId(table)),
            {name});
    return codes;
}

// Every row of the fixture headers after the scan, parsed, renumbered, grouped, expanded.
const QStringList kFixtureRows{
    "MODE_INVALID=-1 CONSTANT/~ {|} @20015",
    "ALM_DLY_1S=0 DELAY_INST/~ {|} @20006",
    "FIRST_ALARM=0 INSTRUCTION/~ {|} @67",
    "HALF_STEP=0 CONSTANT/~ {~|~} @10012",
    "PARAMETER_OFFSET_1024=0 CONSTANT/~ {~|~} @10006",
    "ALM_DLY_5S=1 DELAY_INST/~ {|} @20007",
    "ALM_OVERSPEED=1 ALARM/~ {100001|Engine overspeed} @68",
    "ALM_DLY_30S=2 DELAY_INST/~ {|} @20009",
    "ALM_OIL_LOW=2 ALARM/~ {100002|Oil pressure low} @69",
    "ALM_CYL_TEMP=3 ALARM/~ {100003|Cylinder temperature * n} @70",
    "APPL_VERSION=3 CONSTANT/~ {~|~} @4",
    "LONG_SUM=3 CONSTANT/~ {~|~} @10018",
    "NUM_MODES=3 CONSTANT/~ {|} @20017",
    "LAST_ALARM=4 INSTRUCTION/~ {|} @71",
    "DAT_DC_VERSION=9 CONSTANT/~ {~|~} @6",
    "MAX_CYL=14 CONSTANT/~ {~|~} @10007",
    "FLAG_BIT=16 CONSTANT/~ {~|~} @10008",
    "NO_OF_CYL_PAR=28 CONSTANT/~ {~|~} @7",
    "TWO_FLAGS=32 CONSTANT/~ {~|~} @10009",
    "CAST_VALUE=100 CONSTANT/~ {~|~} @10011",
    "LAST_CAN_NODE=127 CONSTANT/~ {~|~} @10015",
    "PAR_PLANT_TYPE=1024 PARAMETER/GLB {1.01|Plant type} @14",
    "PARA_FIRST_ENUM=1024 ?/~ {|} @13",
    "PAR_RATED_SPEED=1025 PARAMETER/GLB {1.02|Rated speed rpm} @15",
    "PAR_SERVICE_MODE=1026 PARAMETER/GLB {?12|Service mode, told on the line before} @17",
    "PAR_SPARE=1027 PARAMETER/GLB {1.04|Spare} @18",
    "PARA_LAST_ENUM=1028 CONSTANT/~ {|} @20",
    "FIRST_ENG_PARAMETER=1100 INSTRUCTION/~ {|} @24",
    "ENG_GAIN_P=1101 PARAMETER/ENG {2.01|Governor gain P} @25",
    "ENG_GAIN_I=1102 PARAMETER/ENG {|0; the number reads 0: no fupId} @26",
    "ENG_RAMP=1103 PARAMETER/ENG {2.03|Load ramp} @27",
    "ENG_LIMIT=1111 PARAMETER/ENG {2.04|Speed limit, set from a member} @28",
    "ENG_SPLIT=1120 PARAMETER/ENG {2.05|Written over two lines} @30",
    "ENG_NO_FUP=1121 PARAMETER/ENG {|a comment without semicolon} @31",
    "LAST_ENG_PARAMETER=1122 INSTRUCTION/~ {|} @32",
    "FIRST_CYL_PARAMETER=1200 INSTRUCTION/~ {|} @37",
    "CYL_OFFSET_00=1201 PARAMETER/CYL {3.01|Injection offset * n} @38",
    "CYL_OFFSET_01=1202 PARAMETER/CYL {3.01|Injection offset * n} @38",
    "CYL_OFFSET_02=1203 PARAMETER/CYL {3.01|Injection offset * n} @38",
    "CYL_OFFSET_03=1204 PARAMETER/CYL {3.01|Injection offset * n} @38",
    "CYL_OFFSET_04=1205 PARAMETER/CYL {3.01|Injection offset * n} @38",
    "CYL_OFFSET_05=1206 PARAMETER/CYL {3.01|Injection offset * n} @38",
    "CYL_PMAX_N=1207 PARAMETER/CYL {3.02|Peak pressure * x} @39",
    "CYL_PMAX_01=1208 PARAMETER/CYL {3.02|Peak pressure * x} @39",
    "CYL_PMAX_02=1209 PARAMETER/CYL {3.02|Peak pressure * x} @39",
    "CYL_PMAX_03=1210 PARAMETER/CYL {3.02|Peak pressure * x} @39",
    "CYL_PMAX_04=1211 PARAMETER/CYL {3.02|Peak pressure * x} @39",
    "CYL_PMAX_05=1212 PARAMETER/CYL {3.02|Peak pressure * x} @39",
    "LAST_CYL_PARAMETER=1212 INSTRUCTION/~ {|} @41",
    "APPL_DEVELOPER_NO=1412 CONSTANT/~ {~|~} @5",
    "SCALE_MILLI=1500 CONSTANT/~ {~|~} @10013",
    "FIRST_GLB_VARIABLE=2047 INSTRUCTION/~ {|} @47",
    "GLB_SPEED=2048 VARIABLE/GLB {10.1|Engine speed} @48",
    "GLB_SIG_N_RAW=2049 VARIABLE/GLB {10.2|Raw signal * n} @49",
    "GLB_SIG_01_RAW=2050 VARIABLE/GLB {10.2|Raw signal * n} @49",
    "GLB_SIG_02_RAW=2051 VARIABLE/GLB {10.2|Raw signal * n} @49",
    "GLB_SIG_03_RAW=2052 VARIABLE/GLB {10.2|Raw signal * n} @49",
    "GLB_LOAD=2053 VARIABLE/GLB {10.3|Engine load} @50",
    "GLB_P_00_LIM=2056 VARIABLE/GLB {10.4|Pressure limit * n} @51",
    "GLB_P_01_LIM=2057 VARIABLE/GLB {10.4|Pressure limit * n} @51",
    "GLB_P_02_LIM=2058 VARIABLE/GLB {10.4|Pressure limit * n} @51",
    "START_DELAY_MS=2058 CONSTANT/~ {~|~} @10016",
    "GLB_P_03_LIM=2059 VARIABLE/GLB {10.4|Pressure limit * n} @51",
    "GLB_P_04_LIM=2060 VARIABLE/GLB {10.4|Pressure limit * n} @51",
    "GLB_P_05_LIM=2061 VARIABLE/GLB {10.4|Pressure limit * n} @51",
    "GLB_P_06_LIM=2062 VARIABLE/GLB {10.4|Pressure limit * n} @51",
    "GLB_P_07_LIM=2063 VARIABLE/GLB {10.4|Pressure limit * n} @51",
    "GLB_TEMP=2064 VARIABLE/GLB {10.5|Temperature * n} @52",
    "GLB_TEMP_01=2065 VARIABLE/GLB {10.5|Temperature * n} @52",
    "GLB_TEMP_02=2066 VARIABLE/GLB {10.5|Temperature * n} @52",
    "LAST_GLB_VARIABLE=2066 INSTRUCTION/~ {|} @54",
    "FIRST_GLB_DBG_VARIABLE=2200 INSTRUCTION/~ {|} @58",
    "DBG_COUNTER=2201 DBG_VARIABLE/GLB {11.1|Debug counter} @59",
    "LAST_GLB_DBG_VARIABLE=2202 INSTRUCTION/~ {|} @61",
    "WIDE_MASK=65535 CONSTANT/~ {~|~} @10010",
};

} // namespace

class SourceScanTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { g_debugMode = false; }
    void firstScanFindsEveryConstructAndReportsAllNew();
    void rescanOfUnchangedHeadersReportsNothing();
    void rescanReportsEachChange_data();
    void rescanReportsEachChange();
    void headerFilesAreFoundInAnyLetterCase();
    void missingHeaderFailsAndReadsNoFurther();
    void parametersMoveOnlyWithBothMarkers_data();
    void parametersMoveOnlyWithBothMarkers();
    void moduleColumnIsSetWhereItExists();
    void debugKeepsTheBackupWithItsCodes();
};

void SourceScanTest::firstScanFindsEveryConstructAndReportsAllNew() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder());
    const Scan result = scan(db);
    QCOMPARE(result.failure, std::nullopt);
    QCOMPARE(result.boxes, QStringList());
    QCOMPARE(sourceScanRows(db), kFixtureRows);

    const QString folder = fixture.folder() + u'/';
    QCOMPARE(
        result.lines.mid(0, 6),
        (QStringList{"   Scan file " + folder + "global.h", "      0 enums and 11 defines scanned",
                     "   Scan file " + folder + "library.h", "      5 enums and 0 defines scanned",
                     "   Scan file " + folder + "dataContainer.h",
                     "      33 enums and 4 defines scanned"}));
    const QStringList report = result.report();
    QCOMPARE(report.first(), QStringLiteral("      42 new items scanned"));
    QCOMPARE(report.mid(1, 2), (QStringList{"         LOG: ALM_OVERSPEED (1) {100001}",
                                            "         LOG: ALM_OIL_LOW (2) {100002}"}));
    QCOMPARE(report.at(4), QStringLiteral("         PAR: PAR_PLANT_TYPE (1024) {1.01}"));
    QCOMPARE(report.at(26), QStringLiteral("         VAR: GLB_SPEED (2048) {10.1}"));
    QCOMPARE(report.size(), 1 + 42 + 1);
    QCOMPARE(report.last(), QStringLiteral("      !!!!!! Please fill in attributes !!!!!!"));
    QCOMPARE(queryValue(db, "SELECT count(*) FROM sourceScan WHERE upDate <> 0").toInt(), 0);
    QCOMPARE(queryValue(db, "SELECT count(*) FROM sqlite_master WHERE name = 'sourceScanBackup'")
                 .toInt(),
             0);
}

void SourceScanTest::rescanOfUnchangedHeadersReportsNothing() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder());
    QCOMPARE(scan(db).failure, std::nullopt);
    const Scan again = scan(db);
    QCOMPARE(again.failure, std::nullopt);
    QCOMPARE(again.report(), QStringList());
    QCOMPARE(queryColumn(db, "SELECT DISTINCT \"upDate\" FROM sourceScan WHERE class IN "
                             "('PARAMETER', 'VARIABLE', 'ALARM')"),
             QVariantList{1});
    QCOMPARE(queryColumn(db, "SELECT DISTINCT \"upDate\" FROM sourceScan WHERE class NOT IN "
                             "('PARAMETER', 'VARIABLE', 'ALARM')"),
             QVariantList{0});
    QCOMPARE(sourceScanRows(db), kFixtureRows);
}

void SourceScanTest::rescanReportsEachChange_data() {
    QTest::addColumn<QList<HeaderChange>>("before");
    QTest::addColumn<QList<HeaderChange>>("after");
    QTest::addColumn<QStringList>("report");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVariantList>("codes"); // of the names in sourceScan

    const QString dc = QStringLiteral("dataContainer.h");
    const HeaderChange rename{dc, "ENG_GAIN_I,", "ENG_GAIN_INT,"};
    const HeaderChange notUsed{dc, "PAR_SPARE,", "PAR_Not_Used_1,"};
    const HeaderChange idChange{dc, "ENG_GAIN_P + 10", "ENG_GAIN_P + 11"};
    const HeaderChange removal{dc, "   ENG_RAMP,                         /* 2.03; Load ramp */\n",
                               ""};
    const HeaderChange addition{dc, "   GLB_P_00_LIM",
                                "   GLB_NEW = 2055, // 10.9; New signal\n   GLB_P_00_LIM"};

    QTest::newRow("rename") << QList<HeaderChange>() << QList<HeaderChange>{rename}
                            << QStringList{"      1 items renamed",
                                           "         PAR: ENG_GAIN_INT (1102) {}"}
                            << QStringList{"ENG_GAIN_INT"} << QVariantList{upDateRenamed};
    QTest::newRow("rename to not used")
        << QList<HeaderChange>() << QList<HeaderChange>{notUsed}
        << QStringList{"      1 items set to 'not used'",
                       "         PAR: PAR_Not_Used_1 (1027) {1.04}"}
        << QStringList{"PAR_Not_Used_1"} << QVariantList{upDateNotUsed};
    QTest::newRow("a new name on the id of a not used one is new")
        << QList<HeaderChange>{notUsed} << QList<HeaderChange>{{dc, "PAR_SPARE,", "PAR_FRESH,"}}
        << QStringList{"      1 new items scanned", "         PAR: PAR_FRESH (1027) {1.04}",
                       "      !!!!!! Please fill in attributes !!!!!!"}
        << QStringList{"PAR_FRESH"} << QVariantList{upDateNew};
    QTest::newRow("id change") << QList<HeaderChange>() << QList<HeaderChange>{idChange}
                               << QStringList{"      Enums of 1 items has changed"}
                               << QStringList{"ENG_LIMIT"} << QVariantList{upDateValueChanged};
    QTest::newRow("removal") << QList<HeaderChange>() << QList<HeaderChange>{removal}
                             << QStringList{"      1 items has been deleted",
                                            "         PAR: ENG_RAMP (1103) {2.03}"}
                             << QStringList{"ENG_RAMP"} << QVariantList{QVariant()};
    QTest::newRow("addition") << QList<HeaderChange>() << QList<HeaderChange>{addition}
                              << QStringList{"      1 new items scanned",
                                             "         VAR: GLB_NEW (2055) {10.9}",
                                             "      !!!!!! Please fill in attributes !!!!!!"}
                              << QStringList{"GLB_NEW", "GLB_LOAD"}
                              << QVariantList{upDateNew, upDateUnchanged};
    QTest::newRow("all at once, in the report's order")
        << QList<HeaderChange>()
        << QList<HeaderChange>{rename, notUsed, idChange, removal, addition}
        << QStringList{"      1 new items scanned",
                       "         VAR: GLB_NEW (2055) {10.9}",
                       "      !!!!!! Please fill in attributes !!!!!!",
                       "      1 items renamed",
                       "         PAR: ENG_GAIN_INT (1102) {}",
                       "      1 items set to 'not used'",
                       "         PAR: PAR_Not_Used_1 (1027) {1.04}",
                       "      Enums of 1 items has changed",
                       "      1 items has been deleted",
                       "         PAR: ENG_RAMP (1103) {2.03}"}
        << QStringList{"ENG_GAIN_INT", "ENG_GAIN_P"}
        << QVariantList{upDateRenamed, upDateUnchanged};
    QTest::newRow("quotes in a comment")
        << QList<HeaderChange>()
        << QList<HeaderChange>{{dc, "Governor gain P", "Governor's gain P"},
                               {dc, "   ENG_NO_FUP,",
                                "   ENG_ONEIL = 1105, // 2.06; O'Neil's\n   ENG_NO_FUP = 1121,"}}
        << QStringList{"      1 new items scanned", "         PAR: ENG_ONEIL (1105) {2.06}",
                       "      !!!!!! Please fill in attributes !!!!!!"}
        << QStringList{"ENG_ONEIL", "ENG_GAIN_P"} << QVariantList{upDateNew, upDateUnchanged};
}

void SourceScanTest::rescanReportsEachChange() {
    QFETCH(QList<HeaderChange>, before);
    QFETCH(QList<HeaderChange>, after);
    QFETCH(QStringList, report);
    QFETCH(QStringList, names);
    QFETCH(QVariantList, codes);
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder(), before);
    QCOMPARE(scan(db).failure, std::nullopt);
    writeHeaders(fixture.folder(), after);
    const Scan result = scan(db);
    QCOMPARE(result.failure, std::nullopt);
    QCOMPARE(result.report(), report);
    QCOMPARE(upDates(db, QStringLiteral("sourceScan"), names), codes);
}

void SourceScanTest::headerFilesAreFoundInAnyLetterCase() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder());
    QDir dir(fixture.folder());
    QVERIFY(dir.rename(QStringLiteral("dataContainer.h"), QStringLiteral("datacontainer.h")));
    QVERIFY(dir.rename(QStringLiteral("global.h"), QStringLiteral("GLOBAL.H")));
    const Scan result = scan(db);
    QCOMPARE(result.failure, std::nullopt);
    QVERIFY(result.lines.contains("   Scan file " + dir.filePath(QStringLiteral("GLOBAL.H"))));
    QCOMPARE(sourceScanRows(db), kFixtureRows);
}

void SourceScanTest::missingHeaderFailsAndReadsNoFurther() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder());
    QVERIFY(QFile::remove(QDir(fixture.folder()).filePath(QStringLiteral("library.h"))));
    const QString library = QDir(fixture.folder()).filePath(QStringLiteral("library.h"));
    const Scan result = scan(db);
    QCOMPARE(result.failure, library + QStringLiteral(" not found"));
    QCOMPARE(result.lines.mid(2),
             (QStringList{"   Scan file " + library, "      " + library + " not found"}));
}

void SourceScanTest::parametersMoveOnlyWithBothMarkers_data() {
    QTest::addColumn<QList<HeaderChange>>("changes");
    QTest::addColumn<QStringList>("rows"); // PAR_PLANT_TYPE, PARA_FIRST_ENUM, PARA_LAST_ENUM

    QTest::newRow("offset 4") << QList<HeaderChange>{{"global.h", "PARAMETER_OFFSET_1024 0",
                                                      "PARAMETER_OFFSET_1024 4"}}
                              << QStringList{"PAR_PLANT_TYPE=1020 PARAMETER",
                                             "PARA_FIRST_ENUM=1020 ?",
                                             "PARA_LAST_ENUM=1024 CONSTANT"};
    // Without the move PARA_LAST_ENUM lies among the alarms and becomes one.
    QTest::newRow("no PARAMETER_OFFSET_1024")
        << QList<HeaderChange>{{"global.h", "#define PARAMETER_OFFSET_1024 0\n", ""}}
        << QStringList{"PAR_PLANT_TYPE=0 PARAMETER", "PARA_FIRST_ENUM=0 ALARM",
                       "PARA_LAST_ENUM=4 ALARM"};
    QTest::newRow("no PARA_FIRST_ENUM")
        << QList<HeaderChange>{{"dataContainer.h", "   PARA_FIRST_ENUM,\n", ""},
                               {"dataContainer.h", "= PARA_FIRST_ENUM", "= 0"}}
        << QStringList{"PAR_PLANT_TYPE=0 PARAMETER", "", "PARA_LAST_ENUM=4 ALARM"};
}

void SourceScanTest::parametersMoveOnlyWithBothMarkers() {
    QFETCH(QList<HeaderChange>, changes);
    QFETCH(QStringList, rows);
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder(), changes);
    QCOMPARE(scan(db).failure, std::nullopt);
    QStringList found;
    for (const char* name : {"PAR_PLANT_TYPE", "PARA_FIRST_ENUM", "PARA_LAST_ENUM"})
        found << queryValue(
                     db, "SELECT name || '=' || id || ' ' || class FROM sourceScan WHERE name = ?",
                     {QLatin1String(name)})
                     .toString();
    QCOMPARE(found, rows);
}

void SourceScanTest::moduleColumnIsSetWhereItExists() {
    DcFixture fixture;
    writeHeaders(fixture.folder());
    const QString with = fixture.database(QStringLiteral("with.mdb"), scanSchema());
    QCOMPARE(scan(with).failure, std::nullopt);
    QCOMPARE(queryColumn(with, "SELECT DISTINCT module FROM sourceScan"), QVariantList{"PXU"});

    QString schema = scanSchema();
    schema.replace(QStringLiteral(", \"module\" VARCHAR(50) COLLATE NOCASE"), QString());
    QVERIFY(!schema.contains(QLatin1String("module")));
    const QString without = fixture.database(QStringLiteral("without.mdb"), schema);
    QCOMPARE(scan(without).failure, std::nullopt);
    QCOMPARE(sourceScanRows(without), kFixtureRows);
}

void SourceScanTest::debugKeepsTheBackupWithItsCodes() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema());
    writeHeaders(fixture.folder());
    QCOMPARE(scan(db).failure, std::nullopt);
    writeHeaders(
        fixture.folder(),
        {{"dataContainer.h", "ENG_GAIN_I,", "ENG_GAIN_INT,"},
         {"dataContainer.h", "   ENG_RAMP,                         /* 2.03; Load ramp */\n", ""}});
    g_debugMode = true;
    QCOMPARE(scan(db).failure, std::nullopt);
    QCOMPARE(upDates(db, QStringLiteral("sourceScanBackup"),
                     {"ENG_GAIN_I", "ENG_RAMP", "ENG_GAIN_P", "MAX_CYL"}),
             (QVariantList{upDateUnchanged, upDateDeleted, upDateUnchanged, upDateDeleted}));
    // The next scan replaces it.
    QCOMPARE(scan(db).failure, std::nullopt);
    QCOMPARE(upDates(db, QStringLiteral("sourceScanBackup"), {"ENG_GAIN_INT", "ENG_RAMP"}),
             (QVariantList{upDateUnchanged, QVariant()}));
}

QTEST_GUILESS_MAIN(SourceScanTest)
#include "source_scan_test.moc"
