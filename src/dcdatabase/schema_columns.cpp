#include "schema_columns.h"

#include "core/file_names.h"
#include "core/globals.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_schema.h"

#include <QRegularExpression>

namespace pxu::dc {

namespace {

QString columnType(const FieldDef& field) {
    switch (field.type) {
    case fieldDate:
        return QStringLiteral("DATETIME");
    case fieldMemo:
        return QStringLiteral("TEXT COLLATE NOCASE");
    default:
        return QStringLiteral("VARCHAR(%1) COLLATE NOCASE").arg(field.size > 0 ? field.size : 255);
    }
}

// A column type as the steps name them; text columns compare case-insensitively like
// every text of the database.
QString addedColumnType(const QString& type) {
    static const QRegularExpression plain(QStringLiteral(R"(^[A-Za-z]+(\(\d+\))?$)"));
    if (!plain.match(type).hasMatch())
        failJob(QStringLiteral("'%1' is no column type.").arg(type));
    const bool text = type.startsWith(QLatin1String("text"), Qt::CaseInsensitive) ||
                      type.startsWith(QLatin1String("varchar"), Qt::CaseInsensitive) ||
                      type.startsWith(QLatin1String("memo"), Qt::CaseInsensitive);
    return text ? type + QStringLiteral(" COLLATE NOCASE") : type;
}

void tellInDevelopMode(const QString& format, const QString& field, const QString& table,
                       const DcJob& job) {
    if (g_developMode)
        g_informationMsgBox2(sprintf(format, field, table, g_fileName(job.path())), {}, false,
                             1000);
}

} // namespace

bool g_addTable(DcJob& job, const QString& table, const QList<FieldDef>& fields) {
    if (job.hasTable(table))
        return false;
    QStringList columns;
    for (const FieldDef& field : fields)
        columns << columnId(field.name) + u' ' + columnType(field);
    job.execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(tableId(table), columns.join(u',')));
    return true;
}

bool g_addColumn(DcJob& job, const QString& table, const QString& field, const QString& type,
                 QString& log, bool quiet) {
    if (!job.hasTable(table)) {
        if (!quiet)
            g_informationMsgBox(sprintf(QStringLiteral("Database {*} could not be opend to "
                                                       "check\\nif field {*} does exist in table "
                                                       "{*}!"),
                                        job.path(), field, table));
        return false;
    }
    if (job.hasColumn(table, field))
        return false;
    job.execute(sprintf(QStringLiteral("ALTER TABLE {*} ADD COLUMN {*} {*};"), tableId(table),
                        columnId(field), addedColumnType(type)));
    tellInDevelopMode(
        QStringLiteral("Field {*} has been added to the table {*}\\nin database {*}!"), field,
        table, job);
    log += sprintf(QStringLiteral("Field '{*}' added to table '{*}'"), field, table) + u'\n';
    return true;
}

void g_setColumn(DcJob& job, const QString& table, const QString& field, const QVariant& value) {
    if (!job.hasTable(table))
        return;
    job.execute(sprintf(QStringLiteral("UPDATE {*} SET {*}=?;"), tableId(table), columnId(field)),
                {value});
}

bool g_removeColumn(DcJob& job, const QString& table, const QString& field, QString& log, bool keep,
                    bool quiet) {
    if (!job.hasTable(table)) {
        if (!keep && !quiet)
            g_informationMsgBox(sprintf(QStringLiteral("Database {*} could not be opend to "
                                                       "remove\\nfield {*} in table {*}!"),
                                        job.path(), field, table));
        return false;
    }
    if (!job.hasColumn(table, field))
        return false;
    if (keep) {
        log += sprintf(QStringLiteral("Field '{*}' in table '{*}' is not needed anymore and could "
                                      "be removed"),
                       field, table) +
               u'\n';
        return true;
    }
    job.execute(sprintf(QStringLiteral("ALTER TABLE {*} DROP COLUMN {*};"), tableId(table),
                        columnId(field)));
    tellInDevelopMode(
        QStringLiteral("Field {*} has been removed from table {*}\\nin database {*}!"), field,
        table, job);
    log += sprintf(QStringLiteral("Field '{*}' removed from table '{*}'"), field, table) + u'\n';
    return true;
}

bool g_removeTable(DcJob& job, const QString& table, QString& log, bool keep) {
    if (keep) {
        log += sprintf(QStringLiteral("Table '{*}' is not needed anymore and could be removed"),
                       table) +
               u'\n';
        return false;
    }
    const bool dropped = job.tryExecute(QStringLiteral("DROP TABLE ") + tableId(table));
    log += sprintf(QStringLiteral("Table '{*}' removed"), table) + u'\n';
    return dropped;
}

} // namespace pxu::dc
