#include "prepared_statement.h"

#include "job_failure.h"

#include <QSqlError>

namespace pxu::dc {

namespace {

[[noreturn]] void statementFailed(const QSqlQuery& query, const QString& sql) {
    failJob(QStringLiteral("%1 (in: %2)").arg(query.lastError().text(), sql.simplified()));
}

} // namespace

PreparedStatement::PreparedStatement(DcJob& job, const QString& sql)
    : m_query(job.database()->connection())
    , m_sql(sql) {
    if (!m_query.prepare(sql))
        statementFailed(m_query, m_sql);
}

void PreparedStatement::run(const QVariantList& values) {
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(int(i), values[i]);
    if (!m_query.exec())
        statementFailed(m_query, m_sql);
}

} // namespace pxu::dc
