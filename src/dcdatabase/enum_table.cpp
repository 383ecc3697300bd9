#include "enum_table.h"

#include "core/globals.h"
#include "core/sprintf.h"
#include "dc_schema.h"
#include "forward_query.h"
#include "job_failure.h"
#include "scan_rows.h"

#include <QSqlRecord>
#include <optional>
#include <unordered_map>
#include <vector>

namespace pxu::dc {

namespace {

// The columns a rebuild always takes from the scan.
constexpr std::array<QLatin1String, 7> kScanColumns{
    col::name, col::id, col::fupId, col::comment, col::cls, col::varGroup, col::upDate};
constexpr int kScanUpDate = 6;

// What a rebuild looks at of a scanned row; the database copies its columns.
struct ScannedRow {
    qint64 rowid = 0;
    QString name;
    QVariant id;
    QString cls;
    int upDate = 0;
};

std::vector<ScannedRow> readScannedRows(DcJob& job, const QString& sql, MessageSink& sink) {
    std::vector<ScannedRow> rows;
    QSqlQuery query = forwardQuery(job, sql);
    while (query.next()) {
        rows.push_back({query.value(0).toLongLong(), query.value(1).toString(), query.value(2),
                        query.value(3).toString(), query.value(4).toInt()});
        sink.stillWorking();
    }
    return rows;
}

std::vector<QVariantList> readRows(DcJob& job, const QString& sql) {
    std::vector<QVariantList> rows;
    QSqlQuery query = forwardQuery(job, sql);
    const int fields = query.record().count();
    while (query.next()) {
        QVariantList row;
        row.reserve(fields);
        for (int i = 0; i < fields; ++i)
            row << query.value(i);
        rows.push_back(std::move(row));
    }
    return rows;
}

qint16 developerNumber(DcJob& job, const QString& sourceTable) {
    const QVariant id = job.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE class='CONSTANT' AND "
                                                  "name='APPL_DEVELOPER_NO' ORDER BY rowid")
                                       .arg(columnId(col::id), tableId(sourceTable)));
    return id.isValid() ? qint16(id.toLongLong() % 1000) : qint16(1);
}

QString shown(const QVariant& value) {
    return sprintf(QStringLiteral("{*}"), value);
}

// An insert of a symbol row whose scan columns come from the scanned row and whose other
// columns come from a row of the backup (the row as it was, or a default row) or are bound,
// both rows by rowid: the database copies every value as it is. The upDate of an unchanged
// symbol stays 1, any other becomes 0.
class RowCopy {
public:
    // bound: the columns (by index) whose values each insert binds; attributes: the table
    // whose row gives all other columns, or empty for none.
    RowCopy(DcJob& job, const QString& table, const QStringList& columns,
            const std::vector<int>& scanIndex, const QString& scanned,
            const std::vector<int>& bound, const QString& attributes) {
        QStringList targets;
        QStringList values;
        for (size_t i = 0; i < scanIndex.size(); ++i) {
            targets << columnId(columns[scanIndex[i]]);
            values << (int(i) == kScanUpDate
                           ? QStringLiteral("CASE WHEN s.%1 = %2 THEN %2 ELSE %3 END")
                                 .arg(columnId(kScanColumns[i]))
                                 .arg(int(upDateUnchanged))
                                 .arg(int(upDateNew))
                           : QStringLiteral("s.") + columnId(kScanColumns[i]));
        }
        for (int c : bound) {
            targets << columnId(columns[c]);
            values << QStringLiteral("?");
        }
        QString from = tableId(scanned) + QStringLiteral(" s");
        QString where = QStringLiteral("s.rowid = ?");
        if (!attributes.isEmpty()) {
            for (int c = 0; c < int(columns.size()); ++c) {
                if (std::find(bound.begin(), bound.end(), c) != bound.end() ||
                    std::find(scanIndex.begin(), scanIndex.end(), c) != scanIndex.end())
                    continue;
                targets << columnId(columns[c]);
                values << QStringLiteral("a.") + columnId(columns[c]);
            }
            from += QStringLiteral(", ") + tableId(attributes) + QStringLiteral(" a");
            where += QStringLiteral(" AND a.rowid = ?");
        }
        m_insert =
            preparedStatement(job, QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4 "
                                                  "WHERE %5")
                                       .arg(tableId(table), targets.join(QLatin1String(", ")),
                                            values.join(QLatin1String(", ")), from, where));
    }

    // The bound values, the scanned row's rowid and that of the row with the attributes.
    void insert(QVariantList values, qint64 scanned, std::optional<qint64> attributes = {}) {
        values << scanned;
        if (attributes)
            values << *attributes;
        runPrepared(m_insert, values);
        if (m_insert.numRowsAffected() != 1)
            failJob(QStringLiteral("The scanned symbol of row %1 was not copied.").arg(scanned));
    }

private:
    QSqlQuery m_insert;
};

// One rebuild of one table.
class Rebuild {
public:
    Rebuild(DcJob& job, MessageSink& sink, const QString& table)
        : m_job(job)
        , m_sink(sink)
        , m_table(table)
        , m_alarmMode(table.contains(QLatin1String("alarm")))
        , m_columns(job.columnNames(table)) {
        for (QLatin1String scanColumn : kScanColumns) {
            m_scanIndex.push_back(column(scanColumn));
            if (m_scanIndex.back() < 0)
                failJob(QStringLiteral("The table %1 has no column %2.").arg(table, scanColumn));
        }
        m_introduced = column(col::introduced);
    }

    void run(const QString& sourceTable) {
        m_sourceTable = sourceTable;
        const QString backup = m_table + kBackupSuffix;
        m_job.dropTable(backup);
        m_job.copyTable(m_table, backup);
        m_job.execute(QStringLiteral("DELETE FROM %1 WHERE id>=0").arg(tableId(m_table)));
        m_developerNo = developerNumber(m_job, sourceTable);

        const std::vector<ScannedRow> source = readScannedRows(
            m_job,
            QStringLiteral("SELECT rowid, %1, %2, %3, %4 FROM %5 WHERE %6 ORDER BY id, rowid")
                .arg(columnId(col::name), columnId(col::id), columnId(col::cls),
                     columnId(col::upDate), tableId(sourceTable),
                     m_alarmMode ? QStringLiteral("class='ALARM'")
                                 : QStringLiteral("(class='VARIABLE') OR (class='PARAMETER')")),
            m_sink);
        // The default rows in a fixed order, so that two rebuilds choose alike. They are read
        // from the backup, which holds them alike, as an insert that reads the table it
        // writes would have the database copy what it reads first.
        for (QVariantList& row : readRows(m_job, QStringLiteral("SELECT rowid, * FROM %1 WHERE "
                                                                "id<0 ORDER BY id DESC, rowid")
                                                     .arg(tableId(backup)))) {
            m_defaultRowids.push_back(row.takeFirst().toLongLong());
            m_defaults.push_back(std::move(row));
        }
        indexPrevious(backup);
        std::vector<int> introduced;
        if (m_introduced >= 0)
            introduced.push_back(m_introduced);
        m_copyPrevious.emplace(m_job, m_table, m_columns, m_scanIndex, sourceTable,
                               std::vector<int>{}, backup);
        m_copyDefaults.emplace(m_job, m_table, m_columns, m_scanIndex, sourceTable, introduced,
                               backup);

        m_sink.updateProgress(0);
        if (source.empty())
            m_sink.addMessage(
                sprintf(QStringLiteral("      No scanned symbols for {*}: it keeps its "
                                       "default rows only"),
                        m_table));
        const double step = source.empty() ? 0 : 1.0 / double(source.size());
        for (const ScannedRow& scanned : source) {
            addRow(scanned);
            m_sink.updateProgress(step, true);
        }
        m_sink.updateProgress(0);
        if (!g_debugMode)
            m_job.dropTable(backup);
    }

private:
    int column(QLatin1String name) const {
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        }
        return -1;
    }

    bool isScanColumn(int index) const {
        return std::find(m_scanIndex.begin(), m_scanIndex.end(), index) != m_scanIndex.end();
    }

    // The rows as they were, by name and by id; the first row wins where several share one.
    // Only what finds them is read: their attributes are copied by the database.
    void indexPrevious(const QString& backup) {
        QSqlQuery rows =
            forwardQuery(m_job, QStringLiteral("SELECT rowid, %1, %2 FROM %3 ORDER "
                                               "BY rowid")
                                    .arg(columnId(col::name), columnId(col::id), tableId(backup)));
        while (rows.next()) {
            const qint64 rowid = rows.value(0).toLongLong();
            m_previousByName.emplace(rows.value(1).toString().toLower(), rowid);
            if (!rows.value(2).isNull())
                m_previousById.emplace(rows.value(2).toLongLong(), rowid);
            m_sink.stillWorking();
        }
    }

    // The backup's rowid of the row as it was: by name for an unchanged symbol, by id for a
    // renamed one.
    std::optional<qint64> previousRow(const ScannedRow& scanned) const {
        if (scanned.upDate == upDateUnchanged) {
            const auto it = m_previousByName.find(scanned.name.toLower());
            if (it != m_previousByName.end())
                return it->second;
        } else if (scanned.upDate == upDateRenamed && !scanned.id.isNull()) {
            const auto it = m_previousById.find(scanned.id.toLongLong());
            if (it != m_previousById.end())
                return it->second;
        }
        return std::nullopt;
    }

    // The index of the first default row whose name begins with the prefix, else 0.
    size_t defaultRow(QLatin1String prefix) const {
        const int name = column(col::name);
        for (size_t i = 0; i < m_defaults.size(); ++i) {
            if (m_defaults[i][name].toString().left(3).compare(prefix, Qt::CaseInsensitive) == 0)
                return i;
        }
        return 0;
    }

    size_t defaultRowFor(const QString& cls) const {
        if (m_alarmMode)
            return 0;
        return defaultRow(sameClass(cls, cls::variable) ? QLatin1String("GLB")
                                                        : QLatin1String("PAR"));
    }

    void addRow(const ScannedRow& scanned) {
        if (const auto previous = previousRow(scanned)) {
            m_copyPrevious->insert({}, scanned.rowid, *previous);
            return;
        }
        if (m_defaults.empty()) {
            insertWithoutDefaults(scanned);
            return;
        }
        const size_t defaults = defaultRowFor(scanned.cls);
        logDefaults(m_defaults[defaults]);
        QVariantList bound;
        if (m_introduced >= 0)
            bound << m_developerNo;
        m_copyDefaults->insert(bound, scanned.rowid, m_defaultRowids[defaults]);
    }

    // values: the default row whose attributes a new symbol takes.
    void logDefaults(const QVariantList& values) {
        if (!m_firstNewSymbol)
            return;
        m_firstNewSymbol = false;
        m_sink.addMessage(
            QStringLiteral("      For new scanned symbols default-attributes are available"));
        m_sink.addMessage(QStringLiteral("      Following default-attributes are used:") +
                          (m_alarmMode ? QString() : QStringLiteral("  for PAR  /  for GLB")));
        for (qsizetype c = 0; c < values.size(); ++c) {
            if (isScanColumn(int(c)) || c == m_introduced)
                continue;
            QString line =
                QStringLiteral("         ") + (m_columns[c] + u':').leftJustified(18, u' ', true);
            if (m_alarmMode)
                line += shown(values[c]);
            else
                line += shown(m_defaults[defaultRow(QLatin1String("PAR"))][c]) +
                        QStringLiteral("  /  ") +
                        shown(m_defaults[defaultRow(QLatin1String("GLB"))][c]);
            m_sink.addMessage(line);
        }
    }

    // No default rows: the fixed values of a new symbol, and the table's own defaults for
    // the other attributes.
    void insertWithoutDefaults(const ScannedRow& scanned) {
        if (m_firstNewSymbol) {
            m_firstNewSymbol = false;
            m_sink.addMessage(QStringLiteral(
                "      There are no default-attributes available for new scanned symbols!"));
            m_sink.addMessage(QStringLiteral("      Please fill in manually!!!"));
        }
        if (!m_copyWithoutDefaults) {
            if (m_introduced >= 0) {
                m_fixedColumns.push_back(m_introduced);
                m_fixedValues << m_developerNo;
            }
            const auto fixed = [&](QLatin1String name, int value) {
                if (const int index = column(name); index >= 0) {
                    m_fixedColumns.push_back(index);
                    m_fixedValues << value;
                }
            };
            if (!m_alarmMode) {
                fixed(col::syncCmd, -1);
                fixed(col::readAccessLevel, 7);
                fixed(col::writeAccessLevel, 7);
            }
            fixed(col::producerMask, 0);
            m_copyWithoutDefaults.emplace(m_job, m_table, m_columns, m_scanIndex, m_sourceTable,
                                          m_fixedColumns, QString());
        }
        m_copyWithoutDefaults->insert(m_fixedValues, scanned.rowid);
    }

    DcJob& m_job;
    MessageSink& m_sink;
    QString m_table;
    bool m_alarmMode;
    QStringList m_columns;
    std::vector<int> m_scanIndex; // per scan column, its index in the table
    int m_introduced = -1;
    qint16 m_developerNo = 1;
    std::vector<QVariantList> m_defaults;
    std::vector<qint64> m_defaultRowids;
    std::unordered_map<QString, qint64> m_previousByName; // to the backup's rowid
    std::unordered_map<qint64, qint64> m_previousById;
    bool m_firstNewSymbol = true;
    QString m_sourceTable;
    std::optional<RowCopy> m_copyPrevious; // the attributes from the row as it was
    std::optional<RowCopy> m_copyDefaults; // from a default row, with introduced
    std::optional<RowCopy> m_copyWithoutDefaults;
    std::vector<int> m_fixedColumns; // without default rows: the columns given fixed values
    QVariantList m_fixedValues;
};

} // namespace

void g_buildEnumTable(DcJob& job, MessageSink& sink, const QString& table,
                      const QString& sourceTable) {
    sink.addMessage(
        sprintf(QStringLiteral("   Update attributes of scanned symbols in {*}"), table));
    sink.addMessage(QStringLiteral("      Update attribute 'fupId', 'comment', 'class' and "
                                   "'varGroup' from datacontainer.h"));
    Rebuild(job, sink, table).run(sourceTable);
}

} // namespace pxu::dc
