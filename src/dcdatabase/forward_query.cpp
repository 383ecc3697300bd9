#include "forward_query.h"

#include "job_failure.h"

#include <QSqlError>

namespace pxu::dc {

namespace {

// The name of the placeholder at an index: ":v0", ":v1", ...
QString placeholderName(qsizetype index) {
    return QStringLiteral(":v") + QString::number(index);
}

// The names of the first placeholders, made once: binding by a name Qt looks up, binding by
// position has Qt format a name for every value bound.
const QStringList& placeholderNames() {
    static const QStringList names = [] {
        QStringList list;
        for (int i = 0; i < 64; ++i)
            list << placeholderName(i);
        return list;
    }();
    return names;
}

// The statement with its "?" placeholders named by placeholderName, in their order; a "?" in
// quotes or brackets is text.
QString namedPlaceholders(const QString& sql) {
    QString named;
    named.reserve(sql.size() + 16);
    QChar closing;
    qsizetype count = 0;
    for (const QChar c : sql) {
        if (!closing.isNull()) {
            if (c == closing)
                closing = QChar();
        } else if (c == u'?') {
            named += placeholderName(count++);
            continue;
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            closing = c;
        } else if (c == u'[') {
            closing = u']';
        }
        named += c;
    }
    return named;
}

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
    return prepared(job, namedPlaceholders(sql), false);
}

void runPrepared(QSqlQuery& statement, const QVariantList& values) {
    const QStringList& names = placeholderNames();
    for (int i = 0; i < values.size(); ++i) {
        if (i < names.size())
            statement.bindValue(names[i], values[i]);
        else
            statement.bindValue(placeholderName(i), values[i]);
    }
    if (!statement.exec())
        failStatement(statement.lastError().text(), statement.lastQuery());
}

} // namespace pxu::dc
