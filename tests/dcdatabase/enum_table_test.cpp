#include "core/globals.h"
#include "dc_fixture.h"
#include "dcdatabase/enum_table.h"
#include "scan_fixture.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

// The symbols of a scan, each with its code, and the table as the users left it: A_SAME
// unchanged, B_RENAMED the new name of B_OLD, C_NEW new, D_MOVED with a new id, E_VAR a new
// variable, F_LOST unchanged but missing from the table, G_NOT_USED set to not used.
const QString kScanned = QStringLiteral(R"(
INSERT INTO sourceScan ("name", "id", "class", "fupId", "comment", "varGroup", "upDate") VALUES
  ('APPL_DEVELOPER_NO', 2412, 'CONSTANT', NULL, NULL, NULL, 0),
  ('G_NOT_USED', 1034, 'PARAMETER', '1.7', 'seven', 'GLB', 5),
  ('A_SAME', 1030, 'PARAMETER', '1.1', 'one', 'GLB', 1),
  ('B_RENAMED', 1031, 'PARAMETER', '1.2', 'two', 'GLB', 3),
  ('C_NEW', 1032, 'PARAMETER', '1.3', 'three', 'ENG', 0),
  ('D_MOVED', 1040, 'PARAMETER', '1.4', 'four', 'ENG', 4),
  ('E_VAR', 2050, 'VARIABLE', '2.1', 'var', 'GLB', 0),
  ('F_LOST', 2051, 'VARIABLE', '2.2', 'lost', 'GLB', 1),
  ('H_ALARM', 5, 'ALARM', '100005', 'alarm', NULL, 0);
INSERT INTO dcEnums ("name", "id", "class", "fupId", "comment", "varGroup", "upDate", "crcGroup",
                     "value", "minValue", "maxValue", "writeAccessLevel", "readAccessLevel",
                     "modbusScale", "producerMask", "syncCmd", "introduced", "condition") VALUES
  ('A_SAME', 1030, 'PARAMETER', 'old', 'old', 'OLD', 1, 7, 11, 1, 111, 3, 3, 2.5, 9, 4, 1300, 'a'),
  ('B_OLD', 1031, 'PARAMETER', 'old', 'old', 'OLD', 1, 6, 22, 2, 222, 2, 2, 3.5, 8, 5, 1200, 'b'),
  ('D_MOVED', 1033, 'PARAMETER', 'old', 'old', 'OLD', 1, 5, 44, 4, 444, 1, 1, 4.5, 7, 6, 1100, 'd'),
  ('G_OLD', 1034, 'PARAMETER', 'old', 'old', 'OLD', 1, 4, 77, 7, 777, 0, 0, 5.5, 6, 2, 1000, 'g');
)");

// The symbol rows of dcEnums: name, id, class, fupId, comment, varGroup, upDate, then the
// attributes crcGroup, value, minValue, maxValue, writeAccessLevel, readAccessLevel,
// modbusScale, producerMask, syncCmd, introduced, condition.
QStringList symbolRows(const QString& database, const QString& table = QStringLiteral("dcEnums")) {
    QStringList rows;
    for (const QVariant& row :
         queryColumn(database,
                     QStringLiteral("SELECT name || ' ' || id || ' ' || class || ' ' || "
                                    "coalesce(fupId, '~') || ' ' || coalesce(comment, '~') || "
                                    "' ' || coalesce(varGroup, '~') || ' ' || \"upDate\" || ' | ' "
                                    "|| %1 FROM %2 WHERE id >= 0 ORDER BY rowid")
                         .arg(table == QLatin1String("dcEnums")
                                  ? QStringLiteral("coalesce(crcGroup, '~') || ' ' || "
                                                   "coalesce(value, '~') || ' ' || "
                                                   "coalesce(minValue, '~') || ' ' || "
                                                   "coalesce(maxValue, '~') || ' ' || "
                                                   "coalesce(writeAccessLevel, '~') || ' ' || "
                                                   "coalesce(readAccessLevel, '~') || ' ' || "
                                                   "coalesce(modbusScale, '~') || ' ' || "
                                                   "coalesce(producerMask, '~') || ' ' || "
                                                   "coalesce(syncCmd, '~') || ' ' || "
                                                   "coalesce(introduced, '~') || ' ' || "
                                                   "coalesce(condition, '~')")
                                  : QStringLiteral("coalesce(producerMask, '~') || ' ' || "
                                                   "coalesce(maxValue, '~') || ' ' || "
                                                   "coalesce(criterion, '~') || ' ' || "
                                                   "coalesce(onOffDelayId, '~') || ' ' || "
                                                   "coalesce(introduced, '~')"),
                              table)))
        rows << row.toString();
    return rows;
}

QStringList rebuild(const QString& database, const QString& table) {
    RecordingSink sink;
    const auto failure = DcJob::run(database, [&](DcJob& job) {
        g_buildEnumTable(job, sink, table, QStringLiteral("sourceScan"));
    });
    if (failure)
        return {*failure};
    return sink.lines;
}

QString tables(const QString& database) {
    return queryColumn(database, "SELECT group_concat(name, ' ') FROM (SELECT name FROM "
                                 "sqlite_master WHERE type = 'table' ORDER BY name)")
        .value(0)
        .toString();
}

} // namespace

class EnumTableTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { g_debugMode = false; }
    void knownSymbolsKeepWhatUsersEntered();
    void defaultAttributesAreLoggedOnce();
    void defaultRowsAreChosenInAFixedOrder();
    void withoutDefaultRowsNewSymbolsGetFixedValues_data();
    void withoutDefaultRowsNewSymbolsGetFixedValues();
    void alarmsTakeTheFirstDefaultRow();
    void backupStaysOnlyWithDebug_data();
    void backupStaysOnlyWithDebug();
    void noScannedSymbolsLeaveTheDefaultRows();
};

void EnumTableTest::knownSymbolsKeepWhatUsersEntered() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema() + kScanned);
    const QVariantList defaultsBefore =
        queryColumn(db, "SELECT name || id || value || syncCmd FROM dcEnums WHERE id < 0");
    rebuild(db, QStringLiteral("dcEnums"));
    QCOMPARE(symbolRows(db),
             (QStringList{
                 "A_SAME 1030 PARAMETER 1.1 one GLB 1 | 7 11 1 111 3 3 2.5 9 4 1300 a",
                 "B_RENAMED 1031 PARAMETER 1.2 two GLB 0 | 6 22 2 222 2 2 3.5 8 5 1200 b",
                 "C_NEW 1032 PARAMETER 1.3 three ENG 0 | 2 0 -10 10 5 1 1.0 0 -1 412 ",
                 "G_NOT_USED 1034 PARAMETER 1.7 seven GLB 0 | 2 0 -10 10 5 1 1.0 0 -1 412 ",
                 "D_MOVED 1040 PARAMETER 1.4 four ENG 0 | 2 0 -10 10 5 1 1.0 0 -1 412 ",
                 "E_VAR 2050 VARIABLE 2.1 var GLB 0 | 0 0 0 0 7 2 0.5 1 3 412 ",
                 "F_LOST 2051 VARIABLE 2.2 lost GLB 1 | 0 0 0 0 7 2 0.5 1 3 412 ",
             }));
    QCOMPARE(queryColumn(db, "SELECT name || id || value || syncCmd FROM dcEnums WHERE id < 0"),
             defaultsBefore);
}

void EnumTableTest::defaultAttributesAreLoggedOnce() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema() + kScanned);
    QCOMPARE(rebuild(db, QStringLiteral("dcEnums")),
             (QStringList{
                 "   Update attributes of scanned symbols in dcEnums",
                 "      Update attribute 'fupId', 'comment', 'class' and 'varGroup' from "
                 "datacontainer.h",
                 "      For new scanned symbols default-attributes are available",
                 "      Following default-attributes are used:  for PAR  /  for GLB",
                 "         crcGroup:         2  /  0",
                 "         value:            0  /  0",
                 "         minValue:         -10  /  0",
                 "         maxValue:         10  /  0",
                 "         writeAccessLevel: 5  /  7",
                 "         readAccessLevel:  1  /  2",
                 "         modbusScale:      1  /  0.5",
                 "         producerMask:     0  /  1",
                 "         syncCmd:          -1  /  3",
                 "         condition:          /  ",
             }));
}

void EnumTableTest::defaultRowsAreChosenInAFixedOrder() {
    DcFixture fixture;
    // Two rows for parameters, the one of the lower id written first.
    const QString db = fixture.database(
        QStringLiteral("dc.mdb"),
        scanSchema() + kScanned +
            "DELETE FROM dcEnums WHERE id < 0;"
            "INSERT INTO dcEnums (name, id, value) VALUES ('PAR_LATE', -5, 5), ('GLB_X', -4, 4), "
            "('par_first', -3, 3);");
    for (int run = 0; run < 2; ++run) {
        rebuild(db, QStringLiteral("dcEnums"));
        QCOMPARE(queryColumn(db, "SELECT value FROM dcEnums WHERE name IN ('C_NEW', 'E_VAR') "
                                 "ORDER BY name"),
                 (QVariantList{3, 4}));
    }
}

void EnumTableTest::withoutDefaultRowsNewSymbolsGetFixedValues_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("dcEnums")
        << "dcEnums"
        << QStringList{"A_SAME 1030 PARAMETER 1.1 one GLB 1 | 7 11 1 111 3 3 2.5 9 4 1300 a",
                       "B_RENAMED 1031 PARAMETER 1.2 two GLB 0 | 6 22 2 222 2 2 3.5 8 5 1200 b",
                       "C_NEW 1032 PARAMETER 1.3 three ENG 0 | 4 ~ ~ ~ 7 7 ~ 0 -1 412 ~",
                       "G_NOT_USED 1034 PARAMETER 1.7 seven GLB 0 | 4 ~ ~ ~ 7 7 ~ 0 -1 412 ~",
                       "D_MOVED 1040 PARAMETER 1.4 four ENG 0 | 4 ~ ~ ~ 7 7 ~ 0 -1 412 ~",
                       "E_VAR 2050 VARIABLE 2.1 var GLB 0 | 4 ~ ~ ~ 7 7 ~ 0 -1 412 ~",
                       // unchanged, but missing from the table: it stays unchanged
                       "F_LOST 2051 VARIABLE 2.2 lost GLB 1 | 4 ~ ~ ~ 7 7 ~ 0 -1 412 ~"};
    QTest::newRow("alarmEnums") << "alarmEnums"
                                << QStringList{"H_ALARM 5 ALARM 100005 alarm ~ 0 | 0 ~ 3 ~ 412"};
}

void EnumTableTest::withoutDefaultRowsNewSymbolsGetFixedValues() {
    QFETCH(QString, table);
    QFETCH(QStringList, rows);
    DcFixture fixture;
    const QString db =
        fixture.database(QStringLiteral("dc.mdb"), scanSchema() + kScanned +
                                                       "DELETE FROM dcEnums WHERE id < 0;"
                                                       "DELETE FROM alarmEnums WHERE id < 0;");
    const QStringList lines = rebuild(db, table);
    QCOMPARE(lines.mid(2), (QStringList{"      There are no default-attributes available for new "
                                        "scanned symbols!",
                                        "      Please fill in manually!!!"}));
    QCOMPARE(symbolRows(db, table), rows);
}

void EnumTableTest::alarmsTakeTheFirstDefaultRow() {
    DcFixture fixture;
    const QString db = fixture.database(
        QStringLiteral("dc.mdb"),
        scanSchema() + kScanned +
            "INSERT INTO alarmEnums (name, id, producerMask, maxValue, criterion, onOffDelayId) "
            "VALUES ('ALM_SECOND', -2, 2, 200, 2, 2);");
    const QStringList lines = rebuild(db, QStringLiteral("alarmEnums"));
    QCOMPARE(symbolRows(db, QStringLiteral("alarmEnums")),
             QStringList{"H_ALARM 5 ALARM 100005 alarm ~ 0 | 1 100 3 255 412"});
    QCOMPARE(
        lines.mid(3, 4),
        (QStringList{"      Following default-attributes are used:", "         producerMask:     1",
                     "         minValue:         0", "         maxValue:         100"}));
}

void EnumTableTest::backupStaysOnlyWithDebug_data() {
    QTest::addColumn<bool>("debug");
    QTest::addColumn<QString>("tables");
    QTest::newRow("without /debug") << false << "alarmEnums dcBinFile dcEnums sourceScan";
    QTest::newRow("with /debug")
        << true << "alarmEnums alarmEnumsBackup dcBinFile dcEnums dcEnumsBackup sourceScan";
}

void EnumTableTest::backupStaysOnlyWithDebug() {
    QFETCH(bool, debug);
    QFETCH(QString, tables);
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"), scanSchema() + kScanned);
    g_debugMode = debug;
    rebuild(db, QStringLiteral("dcEnums"));
    rebuild(db, QStringLiteral("alarmEnums"));
    QCOMPARE(::tables(db), tables);
}

void EnumTableTest::noScannedSymbolsLeaveTheDefaultRows() {
    DcFixture fixture;
    const QString db = fixture.database(QStringLiteral("dc.mdb"),
                                        scanSchema() + kScanned + "DELETE FROM sourceScan;");
    QCOMPARE(
        rebuild(db, QStringLiteral("dcEnums")).last(),
        QStringLiteral("      No scanned symbols for dcEnums: it keeps its default rows only"));
    QCOMPARE(queryColumn(db, "SELECT id FROM dcEnums ORDER BY id"), (QVariantList{-2, -1}));
}

QTEST_GUILESS_MAIN(EnumTableTest)
#include "enum_table_test.moc"
