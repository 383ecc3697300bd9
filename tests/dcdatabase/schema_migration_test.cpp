#include "core/config_items.h"
#include "core/globals.h"
#include "dc_fixture.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/migration_host.h"
#include "dcdatabase/schema_columns.h"
#include "dcdatabase/schema_migration.h"
#include "dcdatabase/schema_version.h"
#include "dcdatabase/special_symbols.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

// The builder's part of the update: the old plant information into the symbols.
class PlantInfoHost : public MigrationHost {
public:
    bool g_copyPlantInfosToDcEnums(DcJob& job, const PendingAliases& aliases) override {
        ++calls;
        return SpecialSymbols(job, sink, &aliases).copyPlantInfos();
    }
    int calls = 0;
    RecordingSink sink;
};

// A ledger of (time, version, comment) rows.
QString ledger(const QList<QStringList>& rows) {
    QString sql = QStringLiteral("CREATE TABLE version (date DATETIME, applVersion VARCHAR(16), "
                                 "comment TEXT);\n");
    for (const QStringList& r : rows)
        sql += QStringLiteral("INSERT INTO version VALUES ('%1', '%2', '%3');\n")
                   .arg(r[0], r[1], r[2]);
    return sql;
}

QVariantList ledgerRows(const QString& file) {
    return queryColumn(file, "SELECT date || ' ' || applVersion || ' ' || comment FROM version "
                             "ORDER BY date, rowid");
}

const QString kStep1Log =
    "Field 'deadBand' in table 'dcEnums' is not needed anymore and could be removed\n"
    "Field 'module' in table 'dcEnums' is not needed anymore and could be removed\n"
    "Field 'index' in table 'dcEnums' is not needed anymore and could be removed\n"
    "Field 'module' in table 'alarmEnums' is not needed anymore and could be removed\n"
    "Field 'index' in table 'alarmEnums' is not needed anymore and could be removed\n"
    "Field 'module' in table 'sourceScan' is not needed anymore and could be removed\n"
    "Field 'index' in table 'sourceScan' is not needed anymore and could be removed\n"
    "Table 'dcBinFile' updated\r\n"
    "Plant-Infos copied form table 'plantInfo' to 'dcEnums'\r\n"
    "Table 'plantInfo' is not needed anymore and could be removed\n";

const QString kStep2Log =
    "Field 'introduced' added to table 'dcEnums'\n"
    "Field 'condition' added to table 'dcEnums'\n"
    "Field 'introduced' added to table 'alarmEnums'\n"
    "Field 'condition' added to table 'alarmEnums'\n"
    "Field 'oldId' in table 'sourceScan' is not needed anymore and could be removed\n"
    "Field 'oldId' in table 'dcEnums' is not needed anymore and could be removed\n"
    "Field 'oldId' in table 'alarmEnums' is not needed anymore and could be removed\n";

const QString kQuestion =
    "The DC-database-version does not fit to the program-version and has to be updated.\r\n"
    "After update it is not possible to use the former program-version again.\r\n\r\n"
    "Do you want to create a new DC-database-version?";

} // namespace

class SchemaMigrationTest : public QObject {
    Q_OBJECT
private slots:
    void programSchemaVersionIs202();
    void newDatabaseIsSteppedToTheProgramAfterOneQuestion();
    void plantInformationAndAliasesAfterTheFirstStep();
    void ledgersThatNeedNoStep_data();
    void ledgersThatNeedNoStep();
    void ledgersThatAreStepped_data();
    void ledgersThatAreStepped();
    void newerDatabaseIsRefused();
    void declinedQuestionChangesNothingButTheNewLedger();
    void failureHalfWayRollsBackTheWholeCall_data();
    void failureHalfWayRollsBackTheWholeCall();
    void secondStepFillsOnlyColumnsItAdded();
    void databaseVersion_data();
    void databaseVersion();
    void columnOperations();
};

void SchemaMigrationTest::programSchemaVersionIs202() {
    QCOMPARE(programSchemaVersion().text(), QStringLiteral("2.0.2"));
}

void SchemaMigrationTest::newDatabaseIsSteppedToTheProgramAfterOneQuestion() {
    VirtualTime time;
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    PlantInfoHost host;
    bool changed = false;
    QVERIFY(g_updateDatabase(file, changed, &host));
    QVERIFY(changed);
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown()[0].title, QStringLiteral("Update Datacontainer"));
    QCOMPARE(dialogs.shown()[0].text, kQuestion);
    QCOMPARE(ledgerRows(file),
             (QVariantList{"2026-01-05 08:00:00 0.0.0 Version table created",
                           "2026-01-05 08:00:01 4.4.4 Database Update:\r\n" + kStep1Log,
                           "2026-01-05 08:00:02 2.0.2 Database Update:\r\n" + kStep2Log}));
    QCOMPARE(queryColumn(file, "SELECT value FROM dcBinFile ORDER BY step LIMIT 7"),
             (QVariantList{"DC_SWINFO_ENGINE_TYPE_", "DC_SWINFO_HULL_NO_", "DC_SWINFO_MANUFAC_NO_",
                           "DC_SWINFO_IMO_SW_NO_", "DC_SWINFO_SW_VERSION", "DC_SWINFO_BUILD",
                           "DC_SWINFO_BOOTLOADER_VERSION"}));
    QCOMPARE(queryValue(file, "SELECT value FROM dcBinFile WHERE content = 'deadBand'").toString(),
             QStringLiteral("1"));
    for (const char* table : {"dcEnums", "alarmEnums"}) {
        QCOMPARE(
            queryValue(file, QStringLiteral("SELECT count(*) FROM %1 WHERE introduced = 1 AND "
                                            "condition = ''")
                                 .arg(QLatin1String(table))),
            queryValue(file, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))));
    }
    // Old columns and the old table stay.
    QCOMPARE(queryValue(file, "SELECT count(*) FROM plantInfo").toInt(), 1);
    QCOMPARE(queryValue(file, "SELECT count(*) FROM pragma_table_info('dcEnums') WHERE name = "
                              "'deadBand'")
                 .toInt(),
             1);

    // The next opening finds nothing to do.
    dialogs.clear();
    changed = false;
    QVERIFY(g_updateDatabase(file, changed, &host));
    QVERIFY(!changed);
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(ledgerRows(file).size(), 3);
}

void SchemaMigrationTest::plantInformationAndAliasesAfterTheFirstStep() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    // A configuration without the two aliases that the first step enters.
    execute(g_configDbPath, "DELETE FROM aliasSymbolName WHERE aliasName IN "
                            "('DC_CRC_FIRST_APPLICATION', 'DC_SWINFO_EPI_DB_NO_')");
    closeConfigRecordsets();
    QVERIFY(g_iniGlobals());
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"),
        QStringLiteral("UPDATE plantInfo SET HullNo = 'H-2231', EpiDbNo = 'EPI-4711';"));
    PlantInfoHost host;
    bool changed = false;
    QVERIFY(g_updateDatabase(file, changed, &host));
    QCOMPARE(host.calls, 1);
    // The EPI symbol was found through the alias the step entered, without a box.
    QVERIFY(dialogs.texts().filter(QStringLiteral("symbol-name")).isEmpty());
    QVERIFY(host.sink.lines.contains(QStringLiteral("      PAR_SWINFO_EPI_DB_NO_ = EPI-4711")));
    QCOMPARE(queryValue(g_configDbPath, "SELECT symbolName FROM aliasSymbolName WHERE aliasName = "
                                        "'DC_SWINFO_EPI_DB_NO_'")
                 .toString(),
             QStringLiteral("PAR_SWINFO_EPI_DB_NO_"));
    QCOMPARE(queryValue(g_configDbPath, "SELECT symbolName FROM aliasSymbolName WHERE aliasName = "
                                        "'DC_CRC_FIRST_APPLICATION'")
                 .toString(),
             QStringLiteral("PAR_CRC_FIRST_APPLICATION"));
    QCOMPARE(specialText(file, alias::hullNo), QStringLiteral("H-2231"));
}

void SchemaMigrationTest::ledgersThatNeedNoStep_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("newest row is the program's")
        << ledger({{"2024-01-01 10:00:00", "0.0.0", "Version table created"},
                   {"2024-01-01 10:00:01", "4.4.4", "Database Update:\r\nx"},
                   {"2024-01-01 10:00:02", "2.0.2", "Database Update:\r\ny"}});
    QTest::newRow("newer row without changes above the program's")
        << ledger({{"2024-01-01 10:00:02", "2.0.2", "Database Update:\r\ny"},
                   {"2025-01-01 10:00:00", "3.0.0", "no changes"}});
}

void SchemaMigrationTest::ledgersThatNeedNoStep() {
    QFETCH(QString, sql);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), sql);
    const QString before = dumpDatabase(file);
    PlantInfoHost host;
    for (bool passed : {false, true}) {
        bool changed = passed;
        QVERIFY(g_updateDatabase(file, changed, &host));
        QCOMPARE(changed, passed);
    }
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(host.calls, 0);
    QCOMPARE(dumpDatabase(file), before);
}

void SchemaMigrationTest::ledgersThatAreStepped_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("newRow");
    QTest::newRow("unknown older version")
        << ledger({{"2024-01-01 10:00:00", "1.2.3", "Database Update:\r\nx"}})
        << "2026-01-05 08:00:00 2.0.2 no changes";
    // A ledger the original program left at its intermediate step goes on, not refused.
    QTest::newRow("left at the intermediate step")
        << ledger({{"2024-01-01 10:00:00", "0.0.0", "Version table created"},
                   {"2024-01-01 10:00:01", "4.4.4", "Database Update:\r\nx"}})
        << "2026-01-05 08:00:00 2.0.2 Database Update:\r\n" + kStep2Log;
}

void SchemaMigrationTest::ledgersThatAreStepped() {
    QFETCH(QString, sql);
    QFETCH(QString, newRow);
    VirtualTime time;
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), sql);
    const int rows = ledgerRows(file).size();
    PlantInfoHost host;
    bool changed = false;
    QVERIFY(g_updateDatabase(file, changed, &host));
    QVERIFY(changed);
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(ledgerRows(file).size(), rows + 1);
    QCOMPARE(ledgerRows(file).constLast().toString(), newRow);
}

void SchemaMigrationTest::newerDatabaseIsRefused() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString file =
        fixture.samplePlant(QStringLiteral("a.mdb"),
                            ledger({{"2024-01-01 10:00:02", "2.0.2", "Database Update:\r\ny"},
                                    {"2025-01-01 10:00:00", "9.0.0", "Database Update:\r\nz"}}));
    const QString before = dumpDatabase(file);
    PlantInfoHost host;
    bool changed = false;
    QVERIFY(!g_updateDatabase(file, changed, &host));
    QVERIFY(!changed);
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown()[0].icon, BoxIcon::Critical);
    QCOMPARE(dialogs.shown()[0].title, QStringLiteral("ERROR"));
    QCOMPARE(dialogs.shown()[0].text.split(QStringLiteral("\r\n")),
             (QStringList{"The brantola-configuration-database was updated to a newer "
                          "program-version!",
                          "Please use at least loader-tool version 9.0.0"}));
    QCOMPARE(dumpDatabase(file), before);
}

void SchemaMigrationTest::declinedQuestionChangesNothingButTheNewLedger() {
    VirtualTime time;
    ScriptedDialogs dialogs;
    dialogs.answer(BoxAnswer::No);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const QVariantList layout = queryColumn(file, "SELECT value FROM dcBinFile ORDER BY step");
    PlantInfoHost host;
    bool changed = false;
    QVERIFY(!g_updateDatabase(file, changed, &host));
    QVERIFY(!changed);
    QCOMPARE(ledgerRows(file), QVariantList{"2026-01-05 08:00:00 0.0.0 Version table created"});
    QCOMPARE(queryColumn(file, "SELECT value FROM dcBinFile ORDER BY step"), layout);
    QCOMPARE(host.calls, 0);
}

void SchemaMigrationTest::failureHalfWayRollsBackTheWholeCall_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("told");
    // The first step has noted columns and changed the layout when the plant information
    // fails.
    QTest::newRow("first step") << "CREATE TRIGGER refuse BEFORE UPDATE ON dcEnums BEGIN "
                                   "SELECT RAISE(ABORT, 'symbols refused'); END;"
                                << "symbols refused";
    QTest::newRow("missing layout table") << "DROP TABLE dcBinFile;"
                                          << "dcBinFile";
    // The second step has added columns to dcEnums when the update of alarmEnums fails.
    QTest::newRow("second step")
        << ledger({{"2024-01-01 10:00:01", "4.4.4", "Database Update:\r\nx"}}) +
               "CREATE TRIGGER refuse BEFORE UPDATE ON alarmEnums BEGIN SELECT "
               "RAISE(ABORT, 'disk refused'); END;"
        << "disk refused";
}

void SchemaMigrationTest::failureHalfWayRollsBackTheWholeCall() {
    QFETCH(QString, sql);
    QFETCH(QString, told);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    execute(g_configDbPath, "DELETE FROM aliasSymbolName WHERE aliasName = "
                            "'DC_CRC_FIRST_APPLICATION'");
    closeConfigRecordsets();
    QVERIFY(g_iniGlobals());
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), sql);
    const QString before = dumpDatabase(file);
    PlantInfoHost host;
    bool changed = false;
    QVERIFY(!g_updateDatabase(file, changed, &host));
    QVERIFY(!changed);
    QCOMPARE(dumpDatabase(file), before);
    QCOMPARE(dialogs.shown().size(), 2); // the question, then the failure
    QCOMPARE(dialogs.shown()[1].icon, BoxIcon::Critical);
    QVERIFY2(dialogs.shown()[1].text.contains(told), qPrintable(dialogs.shown()[1].text));
    QVERIFY2(dialogs.shown()[1].text.contains(file), qPrintable(dialogs.shown()[1].text));
    // Aliases of a step that did not commit never reach the configuration.
    QCOMPARE(queryValue(g_configDbPath, "SELECT count(*) FROM aliasSymbolName WHERE aliasName = "
                                        "'DC_CRC_FIRST_APPLICATION'")
                 .toInt(),
             0);
}

void SchemaMigrationTest::secondStepFillsOnlyColumnsItAdded() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"),
        ledger({{"2024-01-01 10:00:01", "4.4.4", "Database Update:\r\nx"}}) +
            "ALTER TABLE dcEnums ADD COLUMN introduced smallint;"
            "ALTER TABLE dcEnums ADD COLUMN condition Text(128);"
            "UPDATE dcEnums SET introduced = 305, condition = 'ENGINE_RUNNING';");
    PlantInfoHost host;
    bool changed = false;
    QVERIFY(g_updateDatabase(file, changed, &host));
    QCOMPARE(queryValue(file, "SELECT count(*) FROM dcEnums WHERE introduced = 305 AND condition "
                              "= 'ENGINE_RUNNING'"),
             queryValue(file, "SELECT count(*) FROM dcEnums"));
    QCOMPARE(queryValue(file, "SELECT count(*) FROM alarmEnums WHERE introduced = 1 AND condition "
                              "= ''"),
             queryValue(file, "SELECT count(*) FROM alarmEnums"));
    QVERIFY(ledgerRows(file).constLast().toString().endsWith(
        "Field 'introduced' added to table 'alarmEnums'\n"
        "Field 'condition' added to table 'alarmEnums'\n"
        "Field 'oldId' in table 'sourceScan' is not needed anymore and could be removed\n"
        "Field 'oldId' in table 'dcEnums' is not needed anymore and could be removed\n"
        "Field 'oldId' in table 'alarmEnums' is not needed anymore and could be removed\n"));
}

void SchemaMigrationTest::databaseVersion_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("upToDate"); // -1: left as it was
    QTest::newRow("no ledger") << ""
                               << "0.0.0" << -1;
    QTest::newRow("empty ledger") << ledger({}) << "0.0.0" << -1;
    QTest::newRow("program's version")
        << ledger({{"2024-01-01 10:00:00", "0.0.0", "c"}, {"2024-01-01 10:00:02", "2.0.2", "u"}})
        << "2.0.2" << 1;
    QTest::newRow("newer") << ledger({{"2024-01-01 10:00:00", "2.1.0", "u"}}) << "2.1.0" << 1;
    QTest::newRow("older") << ledger({{"2024-01-01 10:00:00", "2.0.1", "u"}}) << "2.0.1" << 0;
    QTest::newRow("intermediate step")
        << ledger({{"2024-01-01 10:00:00", "4.4.4", "u"}}) << "4.4.4" << 0;
}

void SchemaMigrationTest::databaseVersion() {
    QFETCH(QString, sql);
    QFETCH(QString, version);
    QFETCH(int, upToDate);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), sql);
    for (bool passed : {false, true}) {
        bool flag = passed;
        QCOMPARE(g_getDatabaseVersion(file, flag), version);
        QCOMPARE(flag, upToDate < 0 ? passed : upToDate == 1);
    }
}

void SchemaMigrationTest::columnOperations() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QVERIFY(!DcJob::run(file, [&](DcJob& job) {
        QString log;
        // keep on a column the table lacks: nothing logged.
        QVERIFY(!g_removeColumn(job, table::dcEnums, col::introduced, log, true, false));
        QVERIFY(log.isEmpty());
        QVERIFY(g_removeColumn(job, table::dcEnums, col::oldId, log, false, false));
        QCOMPARE(log, QStringLiteral("Field 'oldId' removed from table 'dcEnums'\n"));
        QVERIFY(!job.hasColumn(table::dcEnums, col::oldId));
        log.clear();
        QVERIFY(!g_addColumn(job, table::dcEnumsBackup, col::condition, "Text(128)", log, true));
        QVERIFY(dialogs.shown().isEmpty());
        QVERIFY(!g_addColumn(job, table::dcEnumsBackup, col::condition, "Text(128)", log, false));
        QCOMPARE(dialogs.texts(), QStringList{"Database " + file +
                                              " could not be opend to check\r\nif field "
                                              "condition does exist in table dcEnumsBackup!"});
        QVERIFY(!g_removeTable(job, table::plantInfo, log, true));
        QVERIFY(g_removeTable(job, table::plantInfo, log, false));
        QVERIFY(!g_removeTable(job, table::plantInfo, log, false));
        QCOMPARE(log,
                 QStringLiteral("Table 'plantInfo' is not needed anymore and could be removed\n"
                                "Table 'plantInfo' removed\nTable 'plantInfo' removed\n"));
    }));
}

QTEST_MAIN(SchemaMigrationTest)
#include "schema_migration_test.moc"
