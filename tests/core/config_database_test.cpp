#include "core/config_items.h"
#include "core/data_control.h"
#include "core/database_access.h"
#include "core/globals.h"
#include "platform/db/sql_script.h"
#include "support/recording_error_handler.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;

class ConfigDatabaseTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void miscItemsGiveValueOrDefault_data();
    void miscItemsGiveValueOrDefault();
    void reverseLookupFindsItemInAnyCase();
    void setMiscItemChangesOnlyExistingItems();
    void refusedStoreIsReportedAndLaterReadsGiveStoredValues_data();
    void refusedStoreIsReportedAndLaterReadsGiveStoredValues();
    void globalsLoadFromItems_data();
    void globalsLoadFromItems();
    void badHexItemKeepsDefaultAndWarnsOnce_data();
    void badHexItemKeepsDefaultAndWarnsOnce();
    void symbolAliases();
    void userMessages();
    void unusableDatabaseGivesOneBoxNamingTheFile_data();
    void unusableDatabaseGivesOneBoxNamingTheFile();
    void missingTableGivesOneBoxNamingTheQuery();
    void emptyTableOpensAndGivesDefaults_data();
    void emptyTableOpensAndGivesDefaults();
    void fieldExistsComparesExactly();
    void dataObjectBindsTheRecordSource_data();
    void dataObjectBindsTheRecordSource();
    void dataObjectOnAFileThatIsNoDatabaseIsAnUnexpectedFailure();
    void fileDateOfMissingFileIsTheZeroDate();

private:
    void writeDb(const QList<QPair<QString, QString>>& items);
    QTemporaryDir m_dir;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
};

void ConfigDatabaseTest::writeDb(const QList<QPair<QString, QString>>& items) {
    closeConfigRecordsets();
    g_configDbPath = m_dir.filePath(
        QStringLiteral("cfg%1-Config.mdb").arg(QRandomGenerator::global()->generate()));
    db::Database d;
    QVERIFY(d.create(g_configDbPath));
    QFile schema(QStringLiteral(PXU_CONFIG_SCHEMA));
    QVERIFY(schema.open(QIODevice::ReadOnly));
    QString failure;
    QVERIFY2(db::runSqlScript(d, QString::fromUtf8(schema.readAll()), &failure),
             qPrintable(failure));
    for (const auto& [item, value] : items)
        QVERIFY(
            d.execute(QStringLiteral("INSERT INTO miscellaneous VALUES (?, ?)"), {item, value}));
    QVERIFY(d.execute(QStringLiteral("INSERT INTO aliasSymbolName VALUES ('hullNo', 'PAR_HULL')")));
    QVERIFY(d.execute(QStringLiteral("INSERT INTO messages VALUES (1, 'Start?', 0), (83, "
                                     "'Loading module {*}', 1)")));
}

void ConfigDatabaseTest::init() {
    m_dialogs = std::make_unique<test::ScriptedDialogs>();
    g_KEVMode = g_TOQMode = false;
    writeDb({{QStringLiteral("lastUsedBus"), QStringLiteral("M-Bus")},
             {QStringLiteral("owner's name"), QStringLiteral("it's mine")},
             {QStringLiteral("forceFPGAdownload"), QStringLiteral("YES")},
             {QStringLiteral("empty"), QString()}});
    QVERIFY(g_iniGlobals());
    m_dialogs->clear();
}

void ConfigDatabaseTest::cleanup() {
    closeConfigRecordsets();
    m_dialogs.reset();
}

void ConfigDatabaseTest::miscItemsGiveValueOrDefault_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<bool>("asBoolean");
    QTest::addColumn<QString>("expected");
    QTest::newRow("stored") << "lastUsedBus" << QVariant() << false << "M-Bus";
    QTest::newRow("other letter case") << "LASTUSEDBUS" << QVariant() << false << "M-Bus";
    QTest::newRow("quote in item and value")
        << "owner's name" << QVariant() << false << "it's mine";
    QTest::newRow("missing with number default") << "nope" << QVariant(500) << false << "500";
    QTest::newRow("missing without default") << "nope" << QVariant() << false << "";
    QTest::newRow("empty value") << "empty" << QVariant(7) << false << "";
    QTest::newRow("YES as Boolean") << "forceFPGAdownload" << QVariant() << true << "-1";
    QTest::newRow("other text as Boolean") << "lastUsedBus" << QVariant() << true << "0";
    QTest::newRow("default yes as Boolean")
        << "nope" << QVariant(QStringLiteral("yes")) << true << "-1";
}

void ConfigDatabaseTest::miscItemsGiveValueOrDefault() {
    QFETCH(QString, item);
    QFETCH(QVariant, defaultValue);
    QFETCH(bool, asBoolean);
    QFETCH(QString, expected);
    QCOMPARE(g_getMiscItem(item, defaultValue, asBoolean), expected);
}

void ConfigDatabaseTest::reverseLookupFindsItemInAnyCase() {
    QCOMPARE(g_getMiscItemRev(QStringLiteral("m-bus")), QStringLiteral("lastUsedBus"));
    QCOMPARE(g_getMiscItemRev(QStringLiteral("IT'S MINE")), QStringLiteral("owner's name"));
    QCOMPARE(g_getMiscItemRev(QStringLiteral("0x9999"), 0), QStringLiteral("0"));
}

void ConfigDatabaseTest::setMiscItemChangesOnlyExistingItems() {
    g_setMiscItem(QStringLiteral("lastUsedBus"), QStringLiteral("S-Bus"));
    g_setMiscItem(QStringLiteral("notThere"), QStringLiteral("x"));
    closeConfigRecordsets();
    QVERIFY(g_iniGlobals());
    QCOMPARE(g_getMiscItem(QStringLiteral("lastUsedBus")), QStringLiteral("S-Bus"));
    QCOMPARE(g_getMiscItem(QStringLiteral("notThere"), QStringLiteral("d")), QStringLiteral("d"));
}

void ConfigDatabaseTest::refusedStoreIsReportedAndLaterReadsGiveStoredValues_data() {
    QTest::addColumn<bool>("item");
    QTest::newRow("item") << true;
    QTest::newRow("alias") << false;
}

void ConfigDatabaseTest::refusedStoreIsReportedAndLaterReadsGiveStoredValues() {
    QFETCH(bool, item);
    {
        // The file as a locked or read-only one answers: every write fails.
        db::Database d;
        QVERIFY(d.open(g_configDbPath));
        for (const char* table : {"miscellaneous", "aliasSymbolName"})
            for (const char* change : {"INSERT", "UPDATE"})
                QVERIFY2(d.execute(QStringLiteral("CREATE TRIGGER refuse_%1_%2 BEFORE %2 ON %1 "
                                                  "BEGIN SELECT RAISE(ABORT, 'attempt to write "
                                                  "a readonly database'); END")
                                       .arg(QLatin1String(table), QLatin1String(change))),
                         qPrintable(d.lastError()));
    }
    test::RecordingErrorHandler errors;

    if (item)
        g_setMiscItem(QStringLiteral("lastUsedBus"), QStringLiteral("S-Bus"));
    else
        QVERIFY(!g_setSymbolName(QStringLiteral("engine"), QStringLiteral("PAR_ENGINE")));

    QCOMPARE(errors.reports().size(), 1);
    QVERIFY2(errors.reports()[0].failure.description.contains(QStringLiteral("readonly")),
             qPrintable(errors.reports()[0].failure.description));
    QCOMPARE(g_getMiscItem(QStringLiteral("lastUsedBus")), QStringLiteral("M-Bus"));
    QCOMPARE(g_getMiscItem(QStringLiteral("owner's name")), QStringLiteral("it's mine"));
    QCOMPARE(g_getSymbolName(QStringLiteral("hullNo")), QStringLiteral("PAR_HULL"));
    QCOMPARE(g_getUserMessage(83), QStringLiteral("Loading module {*}"));
}

void ConfigDatabaseTest::globalsLoadFromItems_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("kev");
    QTest::addColumn<int>("cylinders");
    QTest::addColumn<bool>("forceFpga");
    QTest::addColumn<int>("boxes");
    QTest::newRow("cylinders missing warns, 3") << "x"
                                                << "" << false << 3 << true << 1;
    QTest::newRow("cylinders 0 taken") << "numRequiredCylinders"
                                       << "0" << false << 0 << true << 0;
    QTest::newRow("cylinders -1 warns, 3") << "numRequiredCylinders"
                                           << "-1" << false << 3 << true << 1;
    QTest::newRow("fpga 1 is not yes") << "forceFPGAdownload"
                                       << "1" << false << 3 << false << 1;
    QTest::newRow("fpga true is not yes") << "forceFPGAdownload"
                                          << "true" << false << 3 << false << 1;
    QTest::newRow("fpga off for KEV") << "forceFPGAdownload"
                                      << "yes" << true << 3 << false << 1;
}

void ConfigDatabaseTest::globalsLoadFromItems() {
    QFETCH(QString, item);
    QFETCH(QString, value);
    QFETCH(bool, kev);
    QFETCH(int, cylinders);
    QFETCH(bool, forceFpga);
    QFETCH(int, boxes);
    writeDb({{item, value},
             {QStringLiteral("GLB_CAN_MODULE_STATE_RO"), QStringLiteral("301 spare")},
             {QStringLiteral("PAR_SWINFO_HULL_NO"), QStringLiteral("&H1A0")}});
    g_KEVMode = kev;
    QVERIFY(g_iniGlobals());
    QCOMPARE(g_numRequiredCylinders, cylinders);
    QCOMPARE(g_forceFpgaDownload, forceFpga);
    QCOMPARE(m_dialogs->shown().size(), boxes);
    if (boxes)
        QCOMPARE(m_dialogs->shown()[0].buttons, BoxButtons::OkCancel);
    QCOMPARE(g_varIds.g_varIdModuleStateRo, 301);
    QCOMPARE(g_varIds.g_varIdSwInfoHullNo, 0x1A0);
    QCOMPARE(g_varIds.g_varIdCrcLenApplication, 0);
    g_KEVMode = false;
}

void ConfigDatabaseTest::badHexItemKeepsDefaultAndWarnsOnce_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("warnings");
    QTest::newRow("bare hex") << "20000" << 0x20000 << 0;
    QTest::newRow("&H prefix") << "&H20000" << 0x20000 << 0;
    QTest::newRow("0x prefix") << "0x20000" << 0x20000 << 0;
    QTest::newRow("blanks around") << " 20000 " << 0x20000 << 0;
    QTest::newRow("garbage") << "twenty" << 0x10100 << 1;
    QTest::newRow("trailing garbage") << "2000g" << 0x10100 << 1;
    QTest::newRow("missing") << "" << 0x10100 << 0;
}

void ConfigDatabaseTest::badHexItemKeepsDefaultAndWarnsOnce() {
    QFETCH(QString, value);
    QFETCH(int, expected);
    QFETCH(int, warnings);
    const QString item = QStringLiteral("ADDRESS_PROTECTION_BL1_%1").arg(QTest::currentDataTag());
    writeDb({{item, value}});
    QVERIFY(g_iniGlobals());
    m_dialogs->clear();
    QCOMPARE(hexMiscItem(item, 0x10100), expected);
    QCOMPARE(hexMiscItem(item, 0x10100), expected);
    QCOMPARE(m_dialogs->shown().size(), warnings);
}

void ConfigDatabaseTest::symbolAliases() {
    QCOMPARE(g_getSymbolName(QStringLiteral("HULLNO")), QStringLiteral("PAR_HULL"));
    QVERIFY(m_dialogs->shown().isEmpty());
    QCOMPARE(g_getSymbolName(QStringLiteral("engine")), QString());
    QCOMPARE(m_dialogs->texts(),
             QStringList{"The symbol-name for engine is not defined in the config-database!"});
    QVERIFY(g_setSymbolName(QStringLiteral("engine"), QStringLiteral("PAR_ENGINE")));
    QVERIFY(!g_setSymbolName(QStringLiteral("engine"), QStringLiteral("OTHER")));
    QCOMPARE(g_getSymbolName(QStringLiteral("engine")), QStringLiteral("PAR_ENGINE"));
    closeConfigRecordsets();
    QVERIFY(g_iniGlobals());
    QCOMPARE(g_getSymbolName(QStringLiteral("engine")), QStringLiteral("PAR_ENGINE"));
}

void ConfigDatabaseTest::userMessages() {
    QCOMPARE(g_getUserMessage(83), QStringLiteral("Loading module {*}"));
    QVERIFY(userMessageOkButton(83));
    QVERIFY(!userMessageOkButton(1));
    QCOMPARE(g_getUserMessage(-1), QString());
    QCOMPARE(g_getUserMessage(4711),
             QStringLiteral("Application Mode Specific Message text not found in database: 4711"));
}

void ConfigDatabaseTest::unusableDatabaseGivesOneBoxNamingTheFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("corrupt") << QByteArray("SQLite format 3\0garbage", 23).repeated(100) << true;
    QByteArray access(2048, '\0');
    access.replace(4, 15, "Standard Jet DB");
    QTest::newRow("access file") << access << true;
}

void ConfigDatabaseTest::unusableDatabaseGivesOneBoxNamingTheFile() {
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    closeConfigRecordsets();
    g_configDbPath = m_dir.filePath(QStringLiteral("bad-Config.mdb"));
    QFile::remove(g_configDbPath);
    if (exists) {
        QFile f(g_configDbPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QVERIFY(!g_iniGlobals());
    QCOMPARE(m_dialogs->shown().size(), 1);
    const BoxRequest& box = m_dialogs->shown()[0];
    QVERIFY(box.title.contains(g_configDbPath) || box.text.contains(g_configDbPath));
    QVERIFY(!g_lastDbError.isEmpty());
    QCOMPARE(QFile(g_configDbPath).exists(), exists);
    if (exists) {
        QFile f(g_configDbPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content);
    }
    // Lookups without record sets give defaults, nothing crashes.
    QCOMPARE(g_getMiscItem(QStringLiteral("applType"), QStringLiteral("ZENT")),
             QStringLiteral("ZENT"));
}

void ConfigDatabaseTest::missingTableGivesOneBoxNamingTheQuery() {
    closeConfigRecordsets();
    g_configDbPath = m_dir.filePath(QStringLiteral("other-Config.mdb"));
    {
        db::Database d;
        QVERIFY(d.create(g_configDbPath));
        QVERIFY(d.execute(QStringLiteral("CREATE TABLE miscellaneous (item TEXT, value TEXT)")));
        QVERIFY(d.execute(QStringLiteral("INSERT INTO miscellaneous VALUES ('a', 'b')")));
    }
    QVERIFY(!g_iniGlobals());
    QCOMPARE(m_dialogs->shown().size(), 1);
    const QString text = m_dialogs->shown()[0].text;
    QVERIFY(text.startsWith(
        QStringLiteral("Error in opening record set: modDataBase g_iniRecordset \r")));
    QVERIFY(text.contains(
        QStringLiteral("SQL-Query: SELECT * FROM aliasSymbolName ORDER BY aliasName")));
    QVERIFY(text.contains(QStringLiteral("DB-Name: ") + g_configDbPath));
}

void ConfigDatabaseTest::emptyTableOpensAndGivesDefaults_data() {
    QTest::addColumn<QString>("table");
    QTest::newRow("miscellaneous") << "miscellaneous";
    QTest::newRow("aliasSymbolName") << "aliasSymbolName";
    QTest::newRow("messages") << "messages";
}

void ConfigDatabaseTest::emptyTableOpensAndGivesDefaults() {
    QFETCH(QString, table);
    writeDb({{QStringLiteral("numRequiredCylinders"), QStringLiteral("2")}});
    {
        db::Database d;
        QVERIFY(d.open(g_configDbPath));
        QVERIFY(d.execute(QStringLiteral("DELETE FROM ") + table));
    }
    test::RecordingErrorHandler errors;

    QVERIFY(g_iniGlobals());

    const bool noItems = table == QLatin1String("miscellaneous");
    QCOMPARE(m_dialogs->shown().size(), noItems ? 1 : 0); // the cylinders' warning
    QCOMPARE(g_numRequiredCylinders, noItems ? 3 : 2);
    QCOMPARE(g_getMiscItem(QStringLiteral("applType"), QStringLiteral("ZENT")),
             QStringLiteral("ZENT"));
    QCOMPARE(g_getUserMessage(83), table == QLatin1String("messages")
                                       ? QStringLiteral("Application Mode Specific Message text "
                                                        "not found in database: 83")
                                       : QStringLiteral("Loading module {*}"));
    QVERIFY(errors.reports().isEmpty());
}

void ConfigDatabaseTest::fieldExistsComparesExactly() {
    QVERIFY(g_fieldExists(g_configDbPath, QStringLiteral("messages"), QStringLiteral("okButton")));
    QVERIFY(!g_fieldExists(g_configDbPath, QStringLiteral("messages"), QStringLiteral("OKBUTTON")));
    QVERIFY(!g_fieldExists(g_configDbPath, QStringLiteral("noTable"), QStringLiteral("x")));
}

void ConfigDatabaseTest::dataObjectBindsTheRecordSource_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("rows"); // -1: no record set bound
    QTest::addColumn<QString>("box");
    QTest::newRow("rows") << "SELECT * FROM messages ORDER BY MessageID" << QVariantList() << true
                          << 2 << "";
    QTest::newRow("bound value") << "SELECT * FROM messages WHERE MessageText = ?"
                                 << QVariantList{QStringLiteral("Start?")} << true << 1 << "";
    QTest::newRow("no row") << "SELECT * FROM messages WHERE MessageID = ?" << QVariantList{2}
                            << false << 0 << "";
    QTest::newRow("no record source") << "" << QVariantList() << true << -1 << "";
    QTest::newRow("unopenable query")
        << "SELECT * FROM noTable" << QVariantList() << false << -1
        << "Error in opening record set: modDataBase g_iniDataObject ";
}

void ConfigDatabaseTest::dataObjectBindsTheRecordSource() {
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QFETCH(bool, result);
    QFETCH(int, rows);
    QFETCH(QString, box);
    DataControl control;
    int refreshed = 0;
    connect(&control, &DataControl::refreshed, this, [&] { ++refreshed; });
    g_lastDbError = QStringLiteral("old");
    QCOMPARE(g_iniDataObject(control, g_configDbPath, sql, false, values), result);
    QCOMPARE(control.databaseName(), g_configDbPath);
    QVERIFY(control.database() && control.database()->isOpen());
    QCOMPARE(control.recordset() ? control.recordset()->recordCount() : -1, rows);
    QVERIFY(refreshed > 0);
    QCOMPARE(m_dialogs->texts(), box.isEmpty() ? QStringList() : QStringList{box});
    QCOMPARE(g_lastDbError.isEmpty(), box.isEmpty());
    if (rows > 0)
        QVERIFY(control.recordset()->isUpdatable());
}

void ConfigDatabaseTest::dataObjectOnAFileThatIsNoDatabaseIsAnUnexpectedFailure() {
    test::RecordingErrorHandler errors;
    DataControl control;
    const QString missing = m_dir.filePath(QStringLiteral("missing.mdb"));
    QVERIFY(!g_iniDataObject(control, missing, QStringLiteral("SELECT * FROM messages"), false));
    QCOMPARE(errors.reports().size(), 1);
    QCOMPARE(errors.reports()[0].procedure, QStringLiteral("g_iniDataObject"));
    QVERIFY(!control.recordset());
    QVERIFY(!QFile::exists(missing));
}

void ConfigDatabaseTest::fileDateOfMissingFileIsTheZeroDate() {
    QCOMPARE(g_getFileDate(m_dir.filePath(QStringLiteral("none.s19"))), zeroDate());
    QVERIFY(g_getFileDate(g_configDbPath) > zeroDate());
}

QTEST_MAIN(ConfigDatabaseTest)
#include "config_database_test.moc"
