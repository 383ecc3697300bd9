#include "symbol_rows.h"

#include "dcdatabase/dc_schema.h"
#include "dcdatabase/forward_query.h"

#include <algorithm>

namespace pxu::dc {

void SymbolRows::load(DcJob& job, const QString& table, const QStringList& columns) {
    QStringList selected{QStringLiteral("rowid"), columnId(col::name), columnId(col::cls),
                         columnId(col::varGroup)};
    const QStringList tableColumns = job.columnNames(table);
    for (const QString& column : columns)
        selected << ownColumnId(tableColumns, column);
    QSqlQuery query =
        forwardQuery(job, QStringLiteral("SELECT %1 FROM %2 WHERE id >= 0 ORDER BY id")
                              .arg(selected.join(QStringLiteral(", ")), tableId(table)));
    m_columnCount = int(columns.size());
    while (query.next()) {
        m_keys.push_back(query.value(0).toLongLong());
        m_names << query.value(1).toString();
        m_classes << query.value(2).toString();
        m_groups << query.value(3).toString();
        for (int c = 0; c < m_columnCount; ++c)
            m_values.push_back(query.value(4 + c));
    }
}

const std::vector<int>& SymbolRows::matching(const QString& cls, const QString& varGroup) {
    const bool byGroup = cls.compare(QLatin1String("PARAMETER"), Qt::CaseInsensitive) == 0;
    const QString criterion = cls.toLower() + u'\n' + (byGroup ? varGroup.toLower() : QString());
    auto found = m_byCriterion.find(criterion);
    if (found == m_byCriterion.end()) {
        std::vector<int> rows;
        for (int row = 0; row < count(); ++row) {
            if (m_classes[row].compare(cls, Qt::CaseInsensitive) == 0 &&
                (!byGroup || m_groups[row].compare(varGroup, Qt::CaseInsensitive) == 0))
                rows.push_back(row);
        }
        found = m_byCriterion.insert(criterion, std::move(rows));
    }
    return *found;
}

int SymbolRows::next(const QString& cls, const QString& varGroup, int after) {
    const std::vector<int>& rows = matching(cls, varGroup);
    const auto it = std::upper_bound(rows.begin(), rows.end(), after);
    return it == rows.end() ? -1 : *it;
}

} // namespace pxu::dc
