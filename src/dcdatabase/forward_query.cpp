#include "forward_query.h"

#include "job_failure.h"

#include <QSqlError>

namespace pxu::dc {

namespace {

[[noreturn]] void failStatement(const QSqlQuery& query, const QString& sql) {
    failJob(QStringLiteral("%1 (in: %2)").arg(query.lastError().text(), sql.simplified()));
}

} // namespace

QSqlQuery forwardQuery(DcJob& job, const QString& sql, const QVariantList& values) {
    if (!job.database())
        failJob(QStringLiteral("No database."));
    QSqlQuery query(job.database()->connection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        failStatement(query, sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        failStatement(query, sql);
    return query;
}

QSqlQuery preparedStatement(DcJob& job, const QString& sql) {
    if (!job.database())
        failJob(QStringLiteral("No database."));
    QSqlQuery statement(job.database()->connection());
    if (!statement.prepare(sql))
        failStatement(statement, sql);
    return statement;
}

void runPrepared(QSqlQuery& statement, const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i)
        statement.bindValue(i, values[i]);
    if (!statement.exec())
        failStatement(statement, statement.lastQuery());
}

} // namespace pxu::dc
