#include "schema_migration.h"

#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_job.h"
#include "dc_schema.h"
#include "migration_host.h"
#include "pending_aliases.h"
#include "platform/clock/clock.h"
#include "schema_columns.h"
#include "schema_version.h"
#include "special_symbols.h"

#include <QDateTime>
#include <QDir>

namespace pxu::dc {

namespace {

const QString kDatabaseUpdate = QStringLiteral("Database Update:");
const QString kCrLf = QStringLiteral("\r\n");
const QString kLedgerNewestFirst = QStringLiteral("SELECT * FROM version ORDER BY date DESC, "
                                                  "rowid DESC");

QString ledgerTime(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Newer than the program. The intermediate step is no program's version: a ledger that
// ends there was left half-way and goes on to the program's version.
bool newerThanProgram(const QString& version) {
    return version != kSchemaIntermediate &&
           DcSchemaVersion::parse(version) > programSchemaVersion();
}

class Migration {
public:
    Migration(DcJob& job, MigrationHost* host)
        : m_job(job)
        , m_host(host) {}

    // The steps of one call; the result of g_updateDatabase.
    bool run();
    bool stepped() const { return m_stepped; }
    const PendingAliases& aliases() const { return m_aliases; }

private:
    void addLedgerRow(db::Recordset& ledger, const QString& version, const QString& comment);
    void stepFromOldSchema(QString& log);
    void stepToProgram(QString& log);

    DcJob& m_job;
    MigrationHost* m_host;
    PendingAliases m_aliases;
    QDateTime m_rowTime = clock().currentDateTime();
    bool m_stepped = false;
};

void Migration::addLedgerRow(db::Recordset& ledger, const QString& version,
                             const QString& comment) {
    addRow(
        ledger,
        {{col::date, ledgerTime(m_rowTime)}, {col::applVersion, version}, {col::comment, comment}});
    m_rowTime = m_rowTime.addSecs(1);
}

bool Migration::run() {
    m_rowTime.setTime(
        QTime(m_rowTime.time().hour(), m_rowTime.time().minute(), m_rowTime.time().second()));
    const bool created = g_addTable(m_job, table::version,
                                    {{col::date, fieldDate, 0},
                                     {col::applVersion, fieldText, 16},
                                     {col::comment, fieldMemo, 0}});
    auto ledger = m_job.select(kLedgerNewestFirst);
    QString current = kSchemaCreated;
    if (created)
        addLedgerRow(*ledger, kSchemaCreated, QStringLiteral("Version table created"));
    else if (!ledger->eof())
        current = ledger->text(col::applVersion);

    // A newer program wrote the newest rows. Rows that changed nothing ("no changes") are
    // passed over down to one that did.
    bool newerSeen = false;
    while (!created && newerThanProgram(current)) {
        newerSeen = true;
        if (ledger->text(col::comment).startsWith(kDatabaseUpdate))
            break;
        ledger->moveNext();
        if (ledger->eof())
            break;
        current = ledger->text(col::applVersion);
    }
    if (newerThanProgram(current)) {
        g_errorMsgBox(sprintf(QStringLiteral("The brantola-configuration-database was updated to "
                                             "a newer program-version!\\nPlease use at least "
                                             "loader-tool version {*}"),
                              current));
        return false;
    }
    if (newerSeen)
        return true;

    const QString program = programSchemaVersion().text();
    bool asked = false;
    while (current != program) {
        if (!asked) {
            asked = true;
            if (!g_questionMsgBox(
                    QStringLiteral("The DC-database-version does not fit to the program-version "
                                   "and has to be updated.") +
                        kCrLf +
                        QStringLiteral("After update it is not possible to use the former "
                                       "program-version again.") +
                        kCrLf + kCrLf +
                        QStringLiteral("Do you want to create a new DC-database-version?"),
                    QStringLiteral("Update Datacontainer")))
                return false;
        }
        QString log;
        QString next = program;
        if (current == kSchemaCreated) {
            stepFromOldSchema(log);
            next = kSchemaIntermediate;
        } else if (current == kSchemaIntermediate) {
            stepToProgram(log);
        }
        addLedgerRow(*ledger, next,
                     log.isEmpty() ? QStringLiteral("no changes") : kDatabaseUpdate + kCrLf + log);
        m_stepped = true;
        current = next;
    }
    return true;
}

void Migration::stepFromOldSchema(QString& log) {
    const std::pair<QLatin1String, QLatin1String> oldColumns[] = {
        {table::dcEnums, col::deadBand}, {table::dcEnums, col::module},
        {table::dcEnums, col::index},    {table::alarmEnums, col::module},
        {table::alarmEnums, col::index}, {table::sourceScan, col::module},
        {table::sourceScan, col::index}};
    for (const auto& [table, column] : oldColumns)
        g_removeColumn(m_job, table, column, log, true, false);

    // The first seven layout steps carry the plant and software information.
    const QLatin1String aliases[] = {alias::engineType,       alias::hullNo,    alias::manufacNo,
                                     alias::imoSwNo,          alias::swVersion, alias::build,
                                     alias::bootloaderVersion};
    auto layout = m_job.select(QStringLiteral("SELECT * FROM dcBinFile ORDER BY step"));
    for (const QLatin1String& name : aliases) {
        if (layout->eof())
            failJob(QStringLiteral("The table dcBinFile has fewer than seven steps."));
        editRow(*layout, {{col::value, QString(name)}});
        layout->moveNext();
    }
    if (layout->findFirst(db::Criteria{{col::content, QStringLiteral("deadBand")}}))
        editRow(*layout, {{col::value, QStringLiteral("1")}});
    log += QStringLiteral("Table 'dcBinFile' updated") + kCrLf;

    m_aliases.add(alias::crcFirstApplication, QStringLiteral("PAR_CRC_FIRST_APPLICATION"));
    m_aliases.add(alias::epiDbNo, QStringLiteral("PAR_SWINFO_EPI_DB_NO_"));

    if (m_host && m_host->g_copyPlantInfosToDcEnums(m_job, m_aliases)) {
        log += QStringLiteral("Plant-Infos copied form table 'plantInfo' to 'dcEnums'") + kCrLf;
        g_removeTable(m_job, table::plantInfo, log, true);
    }
}

void Migration::stepToProgram(QString& log) {
    struct Added {
        QLatin1String table;
        QLatin1String column;
        const char* type;
        QVariant fill;
    };
    const Added added[] = {{table::dcEnums, col::introduced, "smallint", 1},
                           {table::dcEnums, col::condition, "Text(128)", QStringLiteral("")},
                           {table::alarmEnums, col::introduced, "smallint", 1},
                           {table::alarmEnums, col::condition, "Text(128)", QStringLiteral("")}};
    QList<const Added*> newColumns;
    for (const Added& a : added) {
        if (g_addColumn(m_job, a.table, a.column, QLatin1String(a.type), log, false))
            newColumns << &a;
    }
    // Only columns this step added are filled: values a database already holds stay.
    for (const Added* a : newColumns)
        g_setColumn(m_job, a->table, a->column, a->fill);
    for (const QLatin1String& table : {table::sourceScan, table::dcEnums, table::alarmEnums})
        g_removeColumn(m_job, table, col::oldId, log, true, false);
}

} // namespace

bool g_updateDatabase(const QString& database, bool& changed, MigrationHost* host,
                      const QString& shownAs) {
    bool usable = false;
    bool stepped = false;
    PendingAliases aliases;
    const auto failure = DcJob::run(database, [&](DcJob& job) {
        Migration migration(job, host);
        usable = migration.run();
        stepped = migration.stepped();
        aliases = migration.aliases();
    });
    if (failure) {
        g_errorMsgBox(sprintf(QStringLiteral("The DC-database {*} could not be brought to the "
                                             "program-version; it is left as it was.\\n{*}"),
                              QDir::toNativeSeparators(shownAs.isEmpty() ? database : shownAs),
                              *failure));
        return false;
    }
    aliases.writeToConfiguration();
    if (stepped)
        changed = true;
    return usable;
}

QString g_getDatabaseVersion(const QString& database, bool& upToDate, QString* unread) {
    auto connection = std::make_shared<db::Database>();
    db::Recordset ledger;
    if (!connection->open(database, true) || !ledger.open(connection, kLedgerNewestFirst) ||
        ledger.eof()) {
        if (unread)
            *unread = connection->isOpen() ? ledger.lastError() : connection->lastError();
        return kSchemaCreated;
    }
    const QString version = ledger.text(col::applVersion);
    upToDate = version != kSchemaIntermediate &&
               !(DcSchemaVersion::parse(version) < programSchemaVersion());
    return version;
}

} // namespace pxu::dc
