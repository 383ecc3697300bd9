#include "source_scan.h"

#include "core/file_names.h"
#include "core/globals.h"
#include "core/sprintf.h"
#include "forward_query.h"
#include "header_parser.h"
#include "job_failure.h"
#include "scan_grouping.h"

#include <QFileInfo>
#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace pxu::dc {

namespace {

const QString kSymbolClasses =
    QStringLiteral("(class='PARAMETER' or class='VARIABLE' or class='ALARM')");

// A row of the table as it was before the scan.
struct OldRow {
    qint64 rowid = 0;
    QString name;
    QVariant id;
    QString cls;
    QVariant fupId;
    int upDate = upDateDeleted;
};

// A row of a report section.
struct ReportRow {
    QString cls;
    QString name;
    QVariant id;
    QVariant fupId;
};

bool notUsed(const QString& name) {
    return name.toUpper().contains(QLatin1String("NOT_USED"));
}

// expected: about how many there are, to take room for them at once.
std::vector<OldRow> readOldRows(DcJob& job, const QString& backup, size_t expected,
                                MessageSink& sink) {
    std::vector<OldRow> rows;
    rows.reserve(expected);
    QSqlQuery query =
        forwardQuery(job, QStringLiteral("SELECT rowid, name, id, class, fupId FROM %1 WHERE "
                                         "%2 ORDER BY rowid")
                              .arg(tableId(backup), kSymbolClasses));
    while (query.next()) {
        rows.push_back({query.value(0).toLongLong(), query.value(1).toString(), query.value(2),
                        query.value(3).toString(), query.value(4)});
        sink.stillWorking();
    }
    return rows;
}

// Each scanned parameter, variable and alarm against the rows as they were: by name first,
// then by id. The old rows found are marked unchanged; the others stay deleted.
void compare(ScanRows& scan, std::vector<OldRow>& old, MessageSink& sink) {
    std::unordered_map<QString, size_t> byName;
    std::unordered_map<qint64, size_t> byId;
    byName.reserve(old.size());
    byId.reserve(old.size());
    for (size_t i = 0; i < old.size(); ++i) {
        byName.emplace(old[i].name.toLower(), i);
        if (!old[i].id.isNull())
            byId.emplace(old[i].id.toLongLong(), i);
    }
    const auto symbols = std::count_if(scan.rows().begin(), scan.rows().end(),
                                       [](const ScanRow& r) { return isSymbolClass(r.cls); });
    const double step = symbols > 0 ? 1.0 / double(symbols) : 0;
    for (ScanRow& row : scan.rows()) {
        if (!isSymbolClass(row.cls))
            continue;
        if (const auto it = byName.find(row.name.toLower()); it != byName.end()) {
            OldRow& was = old[it->second];
            const bool sameId = !was.id.isNull() && was.id.toLongLong() == row.id;
            row.upDate = sameId ? upDateUnchanged : upDateValueChanged;
            was.upDate = upDateUnchanged;
        } else if (const auto at = byId.find(row.id); at != byId.end()) {
            OldRow& was = old[at->second];
            row.upDate = notUsed(row.name)   ? upDateNotUsed
                         : notUsed(was.name) ? upDateNew
                                             : upDateRenamed;
            was.upDate = upDateUnchanged;
        }
        sink.updateProgress(step, true);
    }
}

void writeRows(DcJob& job, const QString& table, const ScanRows& scan, MessageSink& sink) {
    // Older tables carry the module column: every row belongs to the PXU.
    const bool module = job.hasColumn(table, col::module);
    QString sql =
        QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8, %9")
            .arg(tableId(table), columnId(col::name), columnId(col::id), columnId(col::cls),
                 columnId(col::fupId), columnId(col::comment), columnId(col::varGroup),
                 columnId(col::sourceLine), columnId(col::upDate));
    sql += module ? QStringLiteral(", %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 'PXU')")
                        .arg(columnId(col::module))
                  : QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    QSqlQuery insert = preparedStatement(job, sql);
    for (const ScanRow& row : scan.rows()) {
        runPrepared(insert, {row.name, row.id, row.cls, row.fupId, row.comment, row.varGroup,
                             row.sourceLine, row.upDate});
        sink.stillWorking();
    }
}

void markOldRows(DcJob& job, const QString& backup, const std::vector<OldRow>& old,
                 MessageSink& sink) {
    job.execute(QStringLiteral("UPDATE %1 SET %2 = ?").arg(tableId(backup), columnId(col::upDate)),
                {int(upDateDeleted)});
    // The rows found come in runs; old holds every row of the classes in rowid order, so a run
    // is the rows of the classes between its first and last rowid: one statement a run.
    QSqlQuery found = preparedStatement(
        job, QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid BETWEEN ? AND ? AND %3")
                 .arg(tableId(backup), columnId(col::upDate), kSymbolClasses));
    for (size_t first = 0; first < old.size(); ++first) {
        if (old[first].upDate != upDateUnchanged)
            continue;
        size_t last = first;
        while (last + 1 < old.size() && old[last + 1].upDate == upDateUnchanged)
            ++last;
        runPrepared(found, {int(upDateUnchanged), old[first].rowid, old[last].rowid});
        first = last;
        sink.stillWorking();
    }
}

// The rows by class (letter case ignored) and then by id, rows alike in both as they came.
// The classes are few: each row's rank among them is found once, and whole numbers are sorted.
std::vector<ReportRow> byClassAndId(std::vector<ReportRow> rows, MessageSink& sink) {
    QStringList classes;
    for (const ReportRow& row : rows) {
        if (!classes.contains(row.cls, Qt::CaseInsensitive))
            classes << row.cls;
    }
    std::sort(classes.begin(), classes.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    struct Key {
        qsizetype cls;
        qint64 id;
        size_t row;
        bool operator<(const Key& o) const {
            return std::tie(cls, id, row) < std::tie(o.cls, o.id, o.row);
        }
    };
    std::vector<Key> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        qsizetype rank = 0;
        while (rows[i].cls.compare(classes[rank], Qt::CaseInsensitive) != 0)
            ++rank;
        keys.push_back({rank, rows[i].id.toLongLong(), i});
        sink.stillWorking();
    }
    std::sort(keys.begin(), keys.end());
    std::vector<ReportRow> sorted;
    sorted.reserve(rows.size());
    for (const Key& key : keys)
        sorted.push_back(std::move(rows[key.row]));
    return sorted;
}

void reportSection(MessageSink& sink, std::vector<ReportRow> rows, const QString& countLine,
                   bool items) {
    if (rows.empty())
        return;
    rows = byClassAndId(std::move(rows), sink);
    sink.addMessage(sprintf(countLine, qlonglong(rows.size())));
    if (!items)
        return;
    for (const ReportRow& row : rows)
        sink.addMessage(sprintf(QStringLiteral("         {*} {*} ({*}) \\{{*}}"),
                                symbolPrefix(row.cls), row.name, row.id, row.fupId));
}

void report(MessageSink& sink, const ScanRows& scan, const std::vector<OldRow>& old) {
    const auto scanned = [&](int code) {
        std::vector<ReportRow> rows;
        for (const ScanRow& r : scan.rows()) {
            if (r.upDate == code && isSymbolClass(r.cls))
                rows.push_back({r.cls, r.name, r.id, r.fupId});
            sink.stillWorking();
        }
        return rows;
    };
    const std::vector<ReportRow> added = scanned(upDateNew);
    reportSection(sink, added, QStringLiteral("      {*} new items scanned"), true);
    if (!added.empty())
        sink.addMessage(QStringLiteral("      !!!!!! Please fill in attributes !!!!!!"));
    reportSection(sink, scanned(upDateRenamed), QStringLiteral("      {*} items renamed"), true);
    reportSection(sink, scanned(upDateNotUsed), QStringLiteral("      {*} items set to 'not used'"),
                  true);
    reportSection(sink, scanned(upDateValueChanged),
                  QStringLiteral("      Enums of {*} items has changed"), false);
    std::vector<ReportRow> deleted;
    for (const OldRow& r : old) {
        if (r.upDate == upDateDeleted)
            deleted.push_back({r.cls, r.name, r.id, r.fupId});
    }
    reportSection(sink, deleted, QStringLiteral("      {*} items has been deleted"), true);
}

// The parameters classed by their "PAR_" prefix, PARA_FIRST_ENUM and PARA_LAST_ENUM moved
// so that PARA_FIRST_ENUM lands on 1024 less PARAMETER_OFFSET_1024; PARA_LAST_ENUM becomes
// a constant. Nothing happens unless both names were scanned.
void renumberParameters(ScanRows& scan) {
    const ScanRow* offsetRow = scan.findName(QStringLiteral("PARAMETER_OFFSET_1024"));
    const ScanRow* firstEnum = scan.findName(QStringLiteral("PARA_FIRST_ENUM"));
    if (!offsetRow || !firstEnum)
        return;
    const qint64 offset = 1024 - offsetRow->id - firstEnum->id;
    if (offset < -32768 || offset > 32767)
        failJob(QStringLiteral("PARAMETER_OFFSET_1024 (%1) and PARA_FIRST_ENUM (%2) move the "
                               "parameters by %3, more than 16 bits hold")
                    .arg(headerLocation(*offsetRow), headerLocation(*firstEnum))
                    .arg(offset));
    for (ScanRow& row : scan.rows()) {
        const bool first =
            row.name.compare(QLatin1String("PARA_FIRST_ENUM"), Qt::CaseInsensitive) == 0;
        const bool last =
            row.name.compare(QLatin1String("PARA_LAST_ENUM"), Qt::CaseInsensitive) == 0;
        row.id += offset *
                  ((sameClass(row.cls, cls::parameter) ? 1 : 0) + (first ? 1 : 0) + (last ? 1 : 0));
        if (last)
            row.cls = cls::constant;
    }
}

} // namespace

QString symbolPrefix(const QString& cls) {
    if (cls == cls::alarm)
        return QStringLiteral("LOG:");
    if (cls == cls::variable)
        return QStringLiteral("VAR:");
    if (cls == cls::parameter)
        return QStringLiteral("PAR:");
    return {};
}

void g_scanHeaderFiles(DcJob& job, MessageSink& sink, const QString& table) {
    const QString backup = table + kBackupSuffix;
    job.dropTable(backup);
    job.copyTable(table, backup);
    job.execute(QStringLiteral("DELETE FROM %1").arg(tableId(table)));

    ScanRows scan;
    HeaderParser parser(scan, sink);
    const QString folder = QFileInfo(job.path()).absolutePath();
    for (const HeaderFile& file : kHeaderFiles) {
        const QString found = existingIgnoringCase(folder, file.name);
        const QString path = g_fullName(folder, found.isEmpty() ? QString(file.name) : found);
        int lineCounter = file.linePreset;
        if (!parser.scanSource(path, lineCounter)) {
            sink.addMessage(sprintf(QStringLiteral("      {*} not found"), path));
            failJob(sprintf(QStringLiteral("{*} not found"), path));
        }
    }
    renumberParameters(scan);
    sink.stillWorking();
    buildGroup(scan);
    sink.stillWorking();
    failOnSharedIds(scan);

    sink.addMessage(QStringLiteral("   Compare scan with previous scanned symbols"));
    sink.updateProgress(0);
    std::vector<OldRow> old = readOldRows(job, backup, scan.rows().size(), sink);
    compare(scan, old, sink);
    writeRows(job, table, scan, sink);
    markOldRows(job, backup, old, sink);
    report(sink, scan, old);
    if (!g_debugMode)
        job.dropTable(backup);
}

} // namespace pxu::dc
