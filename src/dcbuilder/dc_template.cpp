#include "dc_template.h"

#include "core/file_names.h"
#include "core/file_write_failure.h"
#include "core/folder_lock.h"
#include "core/globals.h"
#include "core/message_window.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dcdatabase/dc_database_check.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/special_symbols.h"
#include "mainwindow/log_lines.h"
#include "scratch_copy.h"

#include <QDir>
#include <QFileInfo>

namespace pxu {

namespace {

constexpr int kUnknown = -32768;
constexpr int kUnknownMinimum = 32767;
const QString kFailed = QStringLiteral("DC Template creation failed: ");

// The table's spelling of a column name, empty when the table has no such column.
QString columnOf(const QStringList& columns, const QString& name) {
    for (const QString& column : columns) {
        if (column.compare(name, Qt::CaseInsensitive) == 0)
            return column;
    }
    return {};
}

// The reading of an image walks the symbol rows by id, class and group, and finds the
// plant information by name: those keep their values, or no row would take the image.
bool walksTheRows(const QString& column) {
    for (const QLatin1String key : {dc::col::id, dc::col::name, dc::col::cls, dc::col::varGroup}) {
        if (column.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool hasRows(dc::DcJob& job, const QString& sql) {
    const auto rows = job.trySelect(sql);
    return rows && !rows->eof();
}

// The symbol columns that the layout's rows carry in the image (a value other than "0").
QStringList carriedColumns(dc::DcJob& job, const QString& layoutSql, const QString& symbolTable) {
    const QStringList columns = job.columnNames(symbolTable);
    QStringList carried;
    const auto layout = job.select(layoutSql);
    for (layout->moveFirst(); !layout->eof(); layout->moveNext()) {
        const QVariant value = layout->value(dc::col::value);
        if (value.isNull() || value.toString() == QLatin1String("0"))
            continue;
        const QString column = columnOf(columns, layout->text(dc::col::content));
        if (!column.isEmpty() && !walksTheRows(column) && !carried.contains(column))
            carried << column;
    }
    return carried;
}

void setColumn(dc::DcJob& job, const QString& table, const QString& column, const QVariant& value,
               const QString& rows) {
    job.execute(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3")
                    .arg(dc::tableId(table), dc::ownColumnId(job.columnNames(table), column), rows),
                {value});
}

void markUnknown(dc::DcJob& job, const QString& table, const QStringList& columns,
                 const QString& rows) {
    for (const QString& column : columns)
        setColumn(job, table, column,
                  column.compare(dc::col::minValue, Qt::CaseInsensitive) == 0 ? kUnknownMinimum
                                                                              : kUnknown,
                  rows);
}

void setIfPresent(dc::DcJob& job, const QString& table, const QString& name, int value,
                  const QString& rows) {
    const QString column = columnOf(job.columnNames(table), name);
    if (!column.isEmpty())
        setColumn(job, table, column, value, rows);
}

// Marks every value an image carries as not yet known: -32768, and 32767 for a minimum;
// the default-attribute rows (id below 0) keep theirs.
void markTemplate(dc::DcJob& job) {
    const QString parameters = QStringLiteral("id >= 0 AND id < %1").arg(dc::kFirstVariableId);
    const QString variables = QStringLiteral("id >= %1").arg(dc::kFirstVariableId);
    const QString symbols = QStringLiteral("id >= 0");
    const QString dcEnums = dc::table::dcEnums;
    const QString alarmEnums = dc::table::alarmEnums;
    markUnknown(job, dcEnums,
                carriedColumns(job,
                               QStringLiteral("SELECT * FROM dcBinFile WHERE class = 'PARAMETER'"),
                               dcEnums),
                parameters);
    markUnknown(job, dcEnums,
                carriedColumns(job,
                               QStringLiteral("SELECT * FROM dcBinFile WHERE class = 'VARIABLE'"),
                               dcEnums),
                variables);
    setIfPresent(job, dcEnums, dc::col::onlineValue, 0, symbols);
    setIfPresent(job, dcEnums, dc::col::upDate, dc::upDateUnchanged, symbols);
    markUnknown(job, alarmEnums,
                carriedColumns(job, QStringLiteral("SELECT * FROM alarmBinFile"), alarmEnums),
                symbols);
    setIfPresent(job, alarmEnums, dc::col::upDate, dc::upDateUnchanged, symbols);
}

bool isDigits(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QString dcTemplateName(qint64 build) {
    return sprintf(QStringLiteral("DC_Template_Build_{000}.mdb"), build);
}

QString newestDcDatabase(const QString& folder) {
    const QDir dir(folder);
    const QDir::SortFlags byName = QDir::Name | QDir::IgnoreCase;
    QString newest;
    int highest = -1;
    for (const QString& name :
         dir.entryList({g_projectName + QStringLiteral("*-PXU-DC-???.mdb")}, QDir::Files, byName)) {
        const QString digits = name.chopped(4).right(3);
        if (isDigits(digits) && digits.toInt() > highest) {
            highest = digits.toInt();
            newest = name;
        }
    }
    if (newest.isEmpty()) {
        const QStringList others =
            dir.entryList({g_projectName + QStringLiteral("-PXU-DC*.mdb")}, QDir::Files, byName);
        if (!others.isEmpty())
            newest = others.last();
    }
    return newest.isEmpty() ? QString() : dir.filePath(newest);
}

bool g_createDCTemplate(const QString& folder, dc::MessageSink& log) {
    log.addMessage(logOpeningLine(QStringLiteral("CREATE DC TEMPLATE ")));
    const auto end = [&](const QString& line) {
        log.addMessage(line);
        log.addMessage(logClosingLine());
        return false;
    };

    // Another session in the folder may be saving the version the template is made from.
    FolderLock lock;
    if (const auto refusal = lock.acquire(folder)) {
        end(kFailed + *refusal);
        g_errorMsgBox(kFailed + *refusal);
        return false;
    }
    const QString source = newestDcDatabase(folder);
    if (source.isEmpty()) {
        end(kFailed + QStringLiteral("no Data Container file in current project."));
        frmMessage2().errorMsgBox(
            QStringLiteral("DC Template creation failed because there is no DataContainer file "
                           "in current project ") +
            g_projectName + QStringLiteral("."));
        return false;
    }
    log.addMessage(QStringLiteral("Creating DataContainer Template from File: \r") + source);

    // A file the creation cannot write ends it with one box that says which and why.
    const auto unwritable = [&](const FileWriteFailure& failure) {
        end(kFailed + failure.text());
        g_errorMsgBox(failure.text());
        return false;
    };
    const QString templates = templateFolder();
    if (!QDir().mkpath(templates)) {
        if (const QString why = whyNotWritable(templates); !why.isEmpty())
            return unwritable(FileWriteFailure(templates, why));
        return end(kFailed + QStringLiteral("the template directory cannot be made: ") + templates);
    }
    // Until the build number is read, the file to be made is known by its folder alone.
    dc::ScratchCopy scratch(source, templates, templates);
    if (const auto& failure = scratch.writeFailure())
        return unwritable(*failure);
    if (!scratch.isValid())
        return end(kFailed + QStringLiteral("could not copy the Data Container file: ") +
                   scratch.error());
    // The scratch copy is the version byte for byte: what is damaged is the version.
    if (const auto why = dc::whyNoDcDatabase(scratch.path()))
        return end(kFailed + dc::noDcDatabase(source, *why));

    QString build;
    std::optional<FileWriteFailure> cannotWrite;
    const auto failure = dc::DcJob::run(
        scratch.path(),
        [&](dc::DcJob& job) {
            const bool opens =
                hasRows(job, QStringLiteral("SELECT 1 FROM dcBinFile WHERE class = 'PARAMETER'")) &&
                hasRows(job, QStringLiteral("SELECT 1 FROM dcBinFile WHERE class = 'VARIABLE'")) &&
                hasRows(job, QStringLiteral("SELECT 1 FROM alarmBinFile")) &&
                hasRows(job, QStringLiteral("SELECT 1 FROM dcEnums WHERE id>=0")) &&
                hasRows(job, QStringLiteral("SELECT 1 FROM alarmEnums WHERE id>=0"));
            if (!opens)
                dc::failJob(QStringLiteral("could not open source Database"));
            build = dc::SpecialSymbols(job, log).getLong(dc::alias::build, QStringLiteral("000"));
            if (build.isEmpty())
                dc::failJob(QStringLiteral("the Data Container file holds no build number."));
            if (!isDigits(build))
                dc::failJob(sprintf(QStringLiteral("{*} is no build number."), build));
            markTemplate(job);
        },
        &cannotWrite);
    const QString target =
        isDigits(build) ? QDir(templates).filePath(dcTemplateName(build.toLongLong())) : templates;
    if (cannotWrite)
        return unwritable(FileWriteFailure(target, cannotWrite->reason()));
    if (failure)
        return end(kFailed + *failure);
    if (QFileInfo::exists(target) &&
        !frmMessage2().questionMsgBox(QStringLiteral("The DataContainer template for build ") +
                                          build +
                                          QStringLiteral(" already exists. Do you want to "
                                                         "replace it? "),
                                      {}, QStringLiteral("Yes"), QStringLiteral("No")))
        return end(QStringLiteral("DataContainer Template creation cancelled."));
    if (!scratch.placeAs(target)) {
        if (const QString why = whyNotWritable(target); !why.isEmpty())
            return unwritable(FileWriteFailure(target, why));
        return end(kFailed + QStringLiteral("could not write the template: ") + scratch.error());
    }
    log.addMessage(QStringLiteral("DataContainer Template created for Build No: ") + build);
    log.addMessage(QStringLiteral("DataContainer Template written to ") + target);
    log.addMessage(logClosingLine());
    return true;
}

} // namespace pxu
