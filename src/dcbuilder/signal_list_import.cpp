#include "signal_list_import.h"

#include "core/error.h"
#include "core/sprintf.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/field_rules.h"
#include "dcdatabase/forward_query.h"
#include "dcdatabase/message_sink.h"
#include "mod_excel.h"
#include "platform/db/database.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <utility>
#include <vector>

namespace pxu {

namespace {

constexpr int kFirstDataRow = 2;
constexpr int kLastDataRow = 10000;
constexpr int kMaxColumns = 100;
constexpr int kProbeStep = 10;
constexpr int kNoDelayInstance = 255;
const QLatin1String kNameHeader{"name"};
const QLatin1String kIdHeader{"id"};

QString cellText(int column, int row) {
    return modExcel::readCell(QString(), qint16(column), qint16(row));
}

// The symbols of a sheet end before the first row without a name or named "0".
bool endsData(const QString& name) {
    return name.isEmpty() || name == u'0';
}

// One sheet into its table, within the sheet's job.
class SheetImport {
public:
    SheetImport(dc::DcJob& job, const QString& table, dc::MessageSink& sink)
        : m_job(job)
        , m_table(table)
        , m_sink(sink) {}

    // False when the sheet is refused (missing, or not headed "name"); a line says why.
    bool run();

private:
    void matchColumns();
    void reportColumnsMissingFromSheet();
    int progressRange() const;
    void loadRowKeys();
    void importRows();
    void storeRow(qint64 key, const QString& name, int row);
    bool runUpdate(const std::vector<std::pair<QString, QVariant>>& values, qint64 key,
                   QString& error);
    void reportSymbols();
    void log(const QString& format, const QVariantList& args = {}) {
        m_sink.addMessage(sprintf(format, args));
    }

    dc::DcJob& m_job;
    const QString m_table;
    dc::MessageSink& m_sink;
    QStringList m_fields;  // the table's columns in their order
    QStringList m_headers; // of sheet columns 1 to n
    QStringList m_columns; // the table column of each sheet column, or empty
    QHash<QString, dc::FieldRule> m_rules;
    QHash<QString, qint64> m_rowKeys; // by name in lower case: the first row in name order
    QHash<QString, QSqlQuery> m_updates;
    QStringList m_unknownNames;
    int m_found = 0;
};

bool SheetImport::run() {
    const QString table = dc::tableId(m_table);
    m_fields = m_job.columnNames(m_table);
    m_job.execute(
        sprintf(QStringLiteral("UPDATE {*} SET {*}=?"), table, dc::columnId(dc::col::upDate)),
        {int(dc::upDateDeleted)});
    if (!modExcel::openExcelSheet(m_table)) {
        log(QStringLiteral("   Sheet {*} could not be opened"), {m_table});
        m_sink.updateProgress(0);
        return false;
    }
    if (modExcel::readCell(QStringLiteral("A1"), 0, 0) != kNameHeader) {
        log(QStringLiteral("      First column of excel-sheet is not 'name'!"));
        return false;
    }
    m_rules = dc::fieldRules(*m_job.database(), m_table);
    matchColumns();
    reportColumnsMissingFromSheet();

    log(QStringLiteral("      Copy signal-list values into datacontainer"));
    m_sink.updateProgress(0);
    loadRowKeys();
    importRows();
    reportSymbols();
    m_sink.updateProgress(0);
    return true;
}

void SheetImport::matchColumns() {
    log(QStringLiteral(
        "      Check for signal-list-fields that are not existing in datacontainer"));
    bool allFound = true;
    for (int c = 1; c <= kMaxColumns; ++c) {
        const QString header = cellText(c, 1);
        if (header.isEmpty())
            break;
        m_headers << header;
        // Headers name columns exactly, letter case counting.
        if (m_fields.contains(header, Qt::CaseSensitive)) {
            m_columns << header;
        } else {
            m_columns << QString();
            log(QStringLiteral("         {*} is not in datacontainer."), {header});
            allFound = false;
        }
    }
    if (allFound)
        log(QStringLiteral("         All fields are existing in datacontainer"));
}

void SheetImport::reportColumnsMissingFromSheet() {
    log(QStringLiteral(
        "      Check for datacontainer-fields that are not existing in signal-list"));
    bool allFound = true;
    for (const QString& field : std::as_const(m_fields)) {
        if (!m_columns.contains(field, Qt::CaseSensitive)) {
            log(QStringLiteral("         {*} is not in signal-list"), {field});
            allFound = false;
        }
    }
    if (allFound)
        log(QStringLiteral("         All fields are existing in signal-list"));
}

// Estimated from every tenth row: the first probed row that ends the data.
int SheetImport::progressRange() const {
    for (int row = kFirstDataRow; row <= kLastDataRow; row += kProbeStep) {
        if (endsData(cellText(1, row)))
            return row;
    }
    return kLastDataRow + kFirstDataRow; // 10002
}

void SheetImport::loadRowKeys() {
    QSqlQuery rows = dc::forwardQuery(
        m_job,
        sprintf(QStringLiteral("SELECT rowid, {*} FROM {*} ORDER BY {*}, rowid"),
                dc::columnId(dc::col::name), dc::tableId(m_table), dc::columnId(dc::col::name)));
    while (rows.next()) {
        const QString key = rows.value(1).toString().toLower();
        if (!rows.value(1).isNull() && !m_rowKeys.contains(key))
            m_rowKeys.insert(key, rows.value(0).toLongLong());
    }
}

void SheetImport::importRows() {
    const double step = 1.0 / progressRange();
    for (int row = kFirstDataRow; row <= kLastDataRow; ++row) {
        const QString name = cellText(1, row);
        if (endsData(name))
            break;
        const auto key = m_rowKeys.constFind(name.toLower());
        if (key == m_rowKeys.constEnd()) {
            m_unknownNames << name;
        } else {
            // A row the database refuses is told in its line, and still counts as found.
            storeRow(*key, name, row);
            ++m_found;
        }
        m_sink.updateProgress(step, true);
    }
}

// Stores the row's cells into the symbol's row. A cell that does not fit its column is
// left out and named in the row's line; the rest of the row is stored with upDate 1.
void SheetImport::storeRow(qint64 key, const QString& name, int row) {
    std::vector<std::pair<QString, QVariant>> values;
    const auto set = [&values](const QString& column, const QVariant& value) {
        for (auto& [c, v] : values) {
            if (c == column) {
                v = value;
                return;
            }
        }
        values.emplace_back(column, value);
    };
    QStringList failed;
    for (int c = 2; c <= m_headers.size(); ++c) {
        const QString& column = m_columns[c - 1];
        if (m_headers[c - 1] == kIdHeader || column.isEmpty())
            continue;
        // An empty cell is an empty text, not a missing value.
        const QString text = cellText(c, row);
        const dc::CheckedValue checked = dc::checkField(
            m_rules.value(column.toLower()), text.isNull() ? QStringLiteral("") : text, column);
        if (checked.value)
            set(column, *checked.value);
        else
            failed << column;
        // The index step finds the delay's id again from the name.
        if (column == dc::col::onOffDelayIdName && m_fields.contains(dc::col::onOffDelayId))
            set(dc::col::onOffDelayId, kNoDelayInstance);
    }
    set(dc::col::upDate, int(dc::upDateUnchanged));

    QString error;
    if (!runUpdate(values, key, error)) {
        // A database that cannot be written is no fault of the row: the import fails.
        if (db::isWriteFailure(error))
            dc::failJob(error);
        log(QStringLiteral("         {*}: Update-Error {*}"), {name, error});
    } else if (!failed.isEmpty())
        log(QStringLiteral("         {*}: Update-Error in {*}"),
            {name, failed.join(QStringLiteral(", "))});
}

bool SheetImport::runUpdate(const std::vector<std::pair<QString, QVariant>>& values, qint64 key,
                            QString& error) {
    // The column names are the table's own (the headers only select among them); the
    // values are bound.
    QStringList assignments;
    for (const auto& value : values)
        assignments << dc::ownColumnId(m_fields, value.first) + QStringLiteral("=?");
    const QString sql = sprintf(QStringLiteral("UPDATE {*} SET {*} WHERE rowid=?"),
                                dc::tableId(m_table), assignments.join(QStringLiteral(", ")));
    auto statement = m_updates.find(sql);
    if (statement == m_updates.end())
        statement = m_updates.insert(sql, dc::preparedStatement(m_job, sql));
    int i = 0;
    for (const auto& value : values)
        statement->bindValue(i++, value.second);
    statement->bindValue(i, key);
    if (statement->exec())
        return true;
    error = statement->lastError().text();
    return false;
}

void SheetImport::reportSymbols() {
    log(QStringLiteral("      Number of scanned signals: {*}"), {m_found});
    log(QStringLiteral("      Check for signals in datacontainer that are not in signal-list"));
    QSqlQuery missing =
        dc::forwardQuery(m_job,
                         sprintf(QStringLiteral("SELECT {*} FROM {*} WHERE {*}=? ORDER BY {*}"),
                                 dc::columnId(dc::col::name), dc::tableId(m_table),
                                 dc::columnId(dc::col::upDate), dc::columnId(dc::col::name)),
                         {int(dc::upDateDeleted)});
    bool allListed = true;
    while (missing.next()) {
        log(QStringLiteral("         {*} is not in signal-list"), {missing.value(0).toString()});
        allListed = false;
    }
    if (allListed)
        log(QStringLiteral("         All signals are in signal-list"));

    log(QStringLiteral("      Check for signals in signal-list that are not in datacontainer"));
    for (const QString& name : std::as_const(m_unknownNames))
        log(QStringLiteral("         {*} is not in DC"), {name});
    if (m_unknownNames.isEmpty())
        log(QStringLiteral("         All signals are in datacontainer"));
    log(QStringLiteral(" "));
}

} // namespace

bool readExcelSheet(dc::DcJob& job, const QString& sheet, dc::MessageSink& sink) {
    sink.addMessage(sprintf(QStringLiteral("   Scan Sheet {*}"), sheet));
    job.execute(QStringLiteral("SAVEPOINT sheet"));
    bool imported = false;
    try {
        imported = SheetImport(job, sheet, sink).run();
    } catch (const dc::JobFailure& failure) {
        // A database that cannot be written fails every sheet: the job goes.
        if (db::isWriteFailure(failure.text()))
            throw;
        sink.addMessage(
            sprintf(QStringLiteral("      Sheet {*} failed: {*}"), sheet, failure.text()));
    } catch (const PxuError& error) {
        sink.addMessage(sprintf(QStringLiteral("      Sheet {*} failed: {*}"), sheet,
                                error.failure().description));
    }
    if (!imported) {
        job.execute(QStringLiteral("ROLLBACK TO sheet"));
        sink.addMessage(sprintf(QStringLiteral("      Table {*} left as it was"), sheet));
    }
    job.execute(QStringLiteral("RELEASE sheet"));
    return imported;
}

bool readExcelSheet(const QString& database, const QString& sheet, dc::MessageSink& sink) {
    bool imported = false;
    const auto failure = dc::DcJob::run(
        database, [&](dc::DcJob& job) { imported = readExcelSheet(job, sheet, sink); });
    if (failure) {
        sink.addMessage(sprintf(QStringLiteral("      Sheet {*} failed: {*}"), sheet, *failure));
        sink.addMessage(sprintf(QStringLiteral("      Table {*} left as it was"), sheet));
    }
    return imported && !failure;
}

} // namespace pxu
