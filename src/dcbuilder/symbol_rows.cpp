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
    const QString rows = QStringLiteral("FROM %1 WHERE id >= 0").arg(tableId(table));
    const size_t expected = job.scalar(QStringLiteral("SELECT count(*) ") + rows).toULongLong();
    m_columnCount = int(columns.size());
    m_keys.reserve(expected);
    m_names.reserve(qsizetype(expected) * 16);
    m_nameEnds.reserve(expected);
    m_classes.reserve(expected);
    m_groups.reserve(expected);
    m_cells.reserve(expected * size_t(m_columnCount));
    m_cellIsOther.reserve(expected * size_t(m_columnCount));

    QSqlQuery query = forwardQuery(
        job,
        QStringLiteral("SELECT %1 %2 ORDER BY id").arg(selected.join(QStringLiteral(", ")), rows));
    while (query.next()) {
        m_keys.push_back(query.value(0).toLongLong());
        m_names += query.value(1).toString();
        m_nameEnds.push_back(m_names.size());
        m_classes.push_back(textIndex(query.value(2).toString()));
        m_groups.push_back(textIndex(query.value(3).toString()));
        for (int c = 0; c < m_columnCount; ++c) {
            QVariant v = query.value(4 + c);
            const bool other = v.typeId() != QMetaType::LongLong;
            m_cellIsOther.push_back(other);
            m_cells.push_back(other ? otherIndex(std::move(v)) : v.toLongLong());
        }
    }
}

int SymbolRows::textIndex(const QString& text) {
    const auto found = m_textIndexes.constFind(text);
    if (found != m_textIndexes.cend())
        return *found;
    m_texts << text;
    return *m_textIndexes.insert(text, int(m_texts.size()) - 1);
}

qint64 SymbolRows::otherIndex(QVariant value) {
    // Nulls, as in the columns that a class does not use, are many and all alike.
    if (value.isNull()) {
        const auto found = m_nullIndexes.constFind(value.typeId());
        if (found != m_nullIndexes.cend())
            return *found;
        m_nullIndexes.insert(value.typeId(), qint64(m_others.size()));
    }
    m_others.push_back(std::move(value));
    return qint64(m_others.size()) - 1;
}

QString SymbolRows::name(int row) const {
    const qsizetype start = row == 0 ? 0 : m_nameEnds[size_t(row) - 1];
    return m_names.mid(start, m_nameEnds[size_t(row)] - start);
}

QVariant SymbolRows::value(int row, int column) const {
    const size_t cell = size_t(row) * size_t(m_columnCount) + size_t(column);
    if (m_cellIsOther[cell])
        return m_others[size_t(m_cells[cell])];
    return QVariant(m_cells[cell]);
}

void SymbolRows::setValue(int row, int column, qint64 number) {
    const size_t cell = size_t(row) * size_t(m_columnCount) + size_t(column);
    m_cellIsOther[cell] = false;
    m_cells[cell] = number;
}

const std::vector<int>& SymbolRows::matching(const QString& cls, const QString& varGroup) {
    const bool byGroup = cls.compare(QLatin1String("PARAMETER"), Qt::CaseInsensitive) == 0;
    const QString criterion = cls.toLower() + u'\n' + (byGroup ? varGroup.toLower() : QString());
    auto found = m_byCriterion.find(criterion);
    if (found == m_byCriterion.end()) {
        std::vector<bool> isClass;
        std::vector<bool> isGroup;
        for (const QString& text : std::as_const(m_texts)) {
            isClass.push_back(text.compare(cls, Qt::CaseInsensitive) == 0);
            isGroup.push_back(!byGroup || text.compare(varGroup, Qt::CaseInsensitive) == 0);
        }
        std::vector<int> rows;
        for (int row = 0; row < count(); ++row) {
            if (isClass[size_t(m_classes[size_t(row)])] && isGroup[size_t(m_groups[size_t(row)])])
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
