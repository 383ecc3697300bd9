#include "dc_report.h"

#include "core/file_names.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/dc_schema.h"
#include "platform/db/database_file.h"
#include "platform/db/recordset.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace pxu {

namespace {

const QLatin1String kTables[] = {dc::table::dcEnums, dc::table::alarmEnums, dc::table::dcBinFile};

void writeCopy(const QString& database, const QString& temporary) {
    db::Database copy;
    if (!copy.create(temporary))
        dc::failJob(copy.lastError());
    if (!copy.execute(QStringLiteral("ATTACH DATABASE ? AS source"), {database}))
        dc::failJob(copy.lastError());
    copy.execute(QStringLiteral("BEGIN"));
    for (const QLatin1String& table : kTables)
        dc::copyTable(copy, QStringLiteral("source"), table, QStringLiteral("main"), table);
    if (!copy.execute(QStringLiteral("COMMIT")))
        dc::failJob(copy.lastError());
}

void writePage(const QString& database, const QString& page) {
    auto source = std::make_shared<db::Database>();
    if (!source->open(database, true))
        dc::failJob(source->lastError());
    QSaveFile file(page);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        dc::failJob(QStringLiteral("%1 cannot be written.").arg(page));
    QTextStream out(&file);
    const QString title = g_fileName(database).toHtmlEscaped();
    out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << title
        << "</title>\n<style>body{font-family:sans-serif}table{border-collapse:collapse;"
           "font-size:small}th,td{border:1px solid #999;padding:1px 4px;white-space:nowrap}"
           "th{background:#ddd;position:sticky;top:0}</style></head><body>\n<h1>"
        << title << "</h1>\n";
    for (const QLatin1String& table : kTables) {
        db::Recordset rs;
        if (!rs.open(source,
                     QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(dc::tableId(table))))
            dc::failJob(rs.lastError());
        out << "<h2>" << table << " (" << rs.recordCount() << ")</h2>\n<table>\n<tr>";
        for (int i = 0; i < rs.fieldCount(); ++i)
            out << "<th>" << rs.fieldName(i).toHtmlEscaped() << "</th>";
        out << "</tr>\n";
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            out << "<tr>";
            for (int i = 0; i < rs.fieldCount(); ++i)
                out << "<td>" << rs.text(i).toHtmlEscaped() << "</td>";
            out << "</tr>\n";
        }
        out << "</table>\n";
    }
    out << "</body></html>\n";
    out.flush();
    if (!file.commit())
        dc::failJob(QStringLiteral("%1 cannot be written.").arg(page));
}

} // namespace

std::optional<QString> writeDcReport(const QString& database, const QString& reportCopy,
                                     const QString& page) {
    const QString temporary = reportCopy + QStringLiteral(".part");
    QFile::remove(temporary);
    try {
        writeCopy(database, temporary);
        writePage(database, page);
        if (const auto failure = db::renameDatabase(temporary, reportCopy))
            dc::failJob(*failure);
        return std::nullopt;
    } catch (const dc::JobFailure& failure) {
        QFile::remove(temporary);
        QFile::remove(page);
        return failure.text();
    }
}

} // namespace pxu
