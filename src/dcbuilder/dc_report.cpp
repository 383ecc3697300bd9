#include "dc_report.h"

#include "core/file_names.h"
#include "core/new_file.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/dc_schema.h"
#include "platform/db/database_file.h"
#include "platform/db/recordset.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace pxu {

namespace {

const QLatin1String kTables[] = {dc::table::dcEnums, dc::table::alarmEnums, dc::table::dcBinFile};

// A file that cannot be written, said as that; a failure of another kind as it is.
[[noreturn]] void failWriting(const QString& file, const QString& failure) {
    if (const QString why = whyDatabaseNotWritten(file, failure); !why.isEmpty())
        throw FileWriteFailure(file, why);
    dc::failJob(failure);
}

void writeCopy(const QString& database, const QString& temporary, const QString& reportCopy) {
    db::Database copy;
    if (!copy.create(temporary))
        failWriting(reportCopy, copy.lastError());
    if (!copy.execute(QStringLiteral("ATTACH DATABASE ? AS source"), {database}))
        dc::failJob(copy.lastError());
    copy.execute(QStringLiteral("BEGIN"));
    try {
        for (const QLatin1String& table : kTables)
            dc::copyTable(copy, QStringLiteral("source"), table, QStringLiteral("main"), table);
    } catch (const dc::JobFailure& failure) {
        failWriting(reportCopy, failure.text());
    }
    if (!copy.execute(QStringLiteral("COMMIT")))
        failWriting(reportCopy, copy.lastError());
}

bool writeTables(const std::shared_ptr<db::Database>& source, const QString& database,
                 QIODevice& file) {
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
    return out.status() == QTextStream::Ok;
}

void writePage(const QString& database, const QString& page) {
    auto source = std::make_shared<db::Database>();
    if (!source->open(database, true))
        dc::failJob(source->lastError());
    if (const auto failure = writeFileWhole(
            page, [&](QIODevice& file) { return writeTables(source, database, file); }))
        throw *failure;
}

} // namespace

std::optional<QString> writeDcReport(const QString& database, const QString& reportCopy,
                                     const QString& page,
                                     std::optional<FileWriteFailure>* unwritable) {
    // The copy is made in a scratch file of its own beside the report, renamed once whole.
    NewFile temporary(QFileInfo(reportCopy).absolutePath(), QStringLiteral(".rep"), reportCopy);
    try {
        if (!temporary.open(QIODevice::WriteOnly) || !temporary.finish())
            throw *temporary.failure();
        writeCopy(database, temporary.path(), reportCopy);
        writePage(database, page);
        if (const auto failure = db::renameDatabase(temporary.path(), reportCopy))
            failWriting(reportCopy, *failure);
        temporary.keep();
        return std::nullopt;
    } catch (const FileWriteFailure& failure) {
        QFile::remove(page);
        if (unwritable)
            *unwritable = failure;
        return failure.text();
    } catch (const dc::JobFailure& failure) {
        QFile::remove(page);
        return failure.text();
    }
}

} // namespace pxu
