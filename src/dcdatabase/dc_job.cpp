#include "dc_job.h"

#include "core/error.h"
#include "dc_schema.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace pxu::dc {

namespace {

constexpr int kCacheKiB = 64 * 1024;

// Sets the fields of a row that edit() or addNew() opened and writes it.
void writeRow(db::Recordset& rs, bool opened, FieldValues fields, const char* failure) {
    for (const auto& [field, value] : fields)
        opened = opened && rs.setValue(field, value);
    if (!opened || !rs.update()) {
        rs.cancelUpdate();
        failJob(QStringLiteral("%1: %2").arg(QLatin1String(failure), rs.lastError()));
    }
}

} // namespace

DcJob::~DcJob() {
    rollback();
}

std::optional<QString> DcJob::run(const QString& path, const std::function<void(DcJob&)>& body,
                                  std::optional<FileWriteFailure>* unwritable) {
    const auto failed = [&](const QString& text) -> std::optional<QString> {
        // Said as what it is, not as the statement that met it.
        if (const QString why = whyDatabaseNotWritten(path, text); !why.isEmpty()) {
            const FileWriteFailure failure(path, why);
            if (unwritable)
                *unwritable = failure;
            return failure.text();
        }
        return text;
    };
    DcJob job;
    if (!job.begin(path))
        return failed(job.lastError());
    try {
        body(job);
        job.commit();
        return std::nullopt;
    } catch (const JobFailure& failure) {
        job.rollback();
        return failed(failure.text());
    } catch (const PxuError& error) {
        job.rollback();
        return failed(error.failure().description);
    } catch (...) {
        job.rollback();
        throw;
    }
}

bool DcJob::begin(const QString& path) {
    rollback();
    m_lastError.clear();
    auto database = std::make_shared<db::Database>();
    if (!database->open(path)) {
        m_lastError = database->lastError();
        return false;
    }
    // Room for a large plant's pages, taken only as they are read: in SQLite's default 2 MiB
    // a job over tens of thousands of symbols reads its pages again and again and writes its
    // changes out before it commits.
    if (!database->execute(QStringLiteral("PRAGMA cache_size = -%1").arg(kCacheKiB))) {
        m_lastError = database->lastError();
        return false;
    }
    // Immediate: the job holds the write lock from its start, so that it never fails
    // half-way because another connection wrote in between.
    if (!database->execute(QStringLiteral("BEGIN IMMEDIATE"))) {
        m_lastError = database->lastError();
        return false;
    }
    m_db = std::move(database);
    m_path = path;
    m_active = true;
    return true;
}

void DcJob::commit() {
    if (!m_active)
        failJob(QStringLiteral("The job on %1 is not open.").arg(m_path));
    if (!m_db->execute(QStringLiteral("COMMIT"))) {
        const QString error = m_db->lastError();
        rollback();
        failStatement(error, QStringLiteral("COMMIT"));
    }
    m_active = false;
}

void DcJob::rollback() {
    if (m_active && m_db)
        m_db->execute(QStringLiteral("ROLLBACK"));
    m_active = false;
}

void DcJob::execute(const QString& sql, const QVariantList& values) {
    if (!m_db || !m_db->execute(sql, values))
        failStatement(m_db ? m_db->lastError() : QStringLiteral("No database."), sql);
}

bool DcJob::tryExecute(const QString& sql, const QVariantList& values) {
    return m_db && m_db->execute(sql, values);
}

std::unique_ptr<db::Recordset> DcJob::select(const QString& sql, const QVariantList& values) {
    auto rs = std::make_unique<db::Recordset>();
    if (!rs->open(m_db, sql, values))
        failStatement(rs->lastError(), sql);
    return rs;
}

std::unique_ptr<db::Recordset> DcJob::trySelect(const QString& sql, const QVariantList& values) {
    auto rs = std::make_unique<db::Recordset>();
    if (!rs->open(m_db, sql, values))
        return nullptr;
    return rs;
}

QVariant DcJob::scalar(const QString& sql, const QVariantList& values) {
    const auto rs = select(sql, values);
    return rs->eof() ? QVariant() : rs->value(0);
}

bool DcJob::hasTable(const QString& table) {
    return scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                 "name = ? COLLATE NOCASE"),
                  {table})
               .toInt() > 0;
}

QStringList DcJob::columnNames(const QString& table) {
    QStringList names;
    const auto rs =
        select(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table});
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        names << rs->text(0);
    return names;
}

bool DcJob::hasColumn(const QString& table, const QString& column) {
    return columnNames(table).contains(column, Qt::CaseSensitive);
}

void DcJob::copyTable(const QString& from, const QString& to) {
    if (!m_db)
        failJob(QStringLiteral("No database."));
    dc::copyTable(*m_db, QStringLiteral("main"), from, QStringLiteral("main"), to);
}

bool DcJob::dropTable(const QString& table) {
    if (!hasTable(table))
        return false;
    execute(QStringLiteral("DROP TABLE ") + tableId(table));
    return true;
}

void copyTable(db::Database& database, const QString& fromSchema, const QString& from,
               const QString& toSchema, const QString& to) {
    const QString source = schemaId(fromSchema) + u'.' + tableId(from);
    const QString target = schemaId(toSchema) + u'.' + tableId(to);
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("SELECT sql FROM %1.sqlite_master WHERE type = 'table' AND "
                                 "name = ? COLLATE NOCASE")
                      .arg(schemaId(fromSchema)));
    query.addBindValue(from);
    if (!query.exec() || !query.next())
        failJob(QStringLiteral("Table '%1' not found to copy it to '%2'.").arg(from, to));
    QString create = query.value(0).toString();
    query.finish();
    // The table's own statement with the new name keeps every column's type and collation.
    static const QRegularExpression head(
        QStringLiteral(R"(^\s*CREATE\s+TABLE\s+(?:"(?:[^"]|"")+"|\[[^\]]+\]|`[^`]+`|[^\s(]+)\s*)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = head.match(create);
    if (!match.hasMatch())
        failJob(QStringLiteral("Table '%1' cannot be copied: %2").arg(from, create));
    create.replace(0, match.capturedLength(), QStringLiteral("CREATE TABLE %1 ").arg(target));
    const QString insert = QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(target, source);
    for (const QString& sql : {create, insert}) {
        if (!database.execute(sql))
            failStatement(database.lastError(), sql);
    }
}

void editRow(db::Recordset& rs, FieldValues fields) {
    writeRow(rs, rs.edit(), fields, "A row could not be written");
}

void addRow(db::Recordset& rs, FieldValues fields) {
    writeRow(rs, rs.addNew(), fields, "A row could not be added");
}

} // namespace pxu::dc
