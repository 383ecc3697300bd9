#include "forward_query.h"

#include "job_failure.h"

#include <QSqlError>

namespace pxu::dc {

namespace {

QSqlQuery prepared(DcJob& job, const QString& sql, bool forwardOnly) {
    if (!job.database())
        failJob(QStringLiteral("No database."));
    QSqlQuery query(job.database()->connection());
    query.setForwardOnly(forwardOnly);
    if (!query.prepare(sql))
        failStatement(query.lastError().text(), sql);
    return query;
}

} // namespace

QSqlQuery forwardQuery(DcJob& job, const QString& sql, const QVariantList& values) {
    QSqlQuery query = prepared(job, sql, true);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        failStatement(query.lastError().text(), sql);
    return query;
}

QSqlQuery preparedStatement(DcJob& job, const QString& sql) {
    return prepared(job, sql, false);
}

void runPrepared(QSqlQuery& statement, const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i)
        statement.bindValue(i, values[i]);
    if (!statement.exec())
        failStatement(statement.lastError().text(), statement.lastQuery());
}

} // namespace pxu::dc
