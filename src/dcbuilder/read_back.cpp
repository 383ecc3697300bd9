#include "read_back.h"

#include "core/sprintf.h"

namespace pxu::dc {

QStringList ReadBack::boundColumns(const QString& table, const QStringList& layoutColumns,
                                   const QStringList& tableColumns) {
    QStringList extra;
    const bool carriesBound =
        std::any_of(layoutColumns.begin(), layoutColumns.end(),
                    [&](const QString& column) { return boundSlot(table, column).has_value(); });
    if (!carriesBound)
        return extra;
    for (QLatin1String bound : {col::minValue, col::maxValue}) {
        if (layoutColumns.contains(bound, Qt::CaseInsensitive))
            continue;
        for (const QString& column : tableColumns) {
            if (column.compare(bound, Qt::CaseInsensitive) == 0)
                extra << column;
        }
    }
    return extra;
}

ReadBack::ReadBack(DcJob& job, const QString& table, const QStringList& columns, SymbolRows& rows,
                   Write write, Warn warn)
    : m_job(job)
    , m_columns(columns)
    , m_rows(rows)
    , m_write(std::move(write))
    , m_warn(std::move(warn)) {
    m_slotColumns.fill(-1);
    for (int c = 0; c < int(columns.size()); ++c) {
        m_rules.emplace_back(columns[c]);
        m_slots.push_back(boundSlot(table, columns[c]));
        if (m_slots.back())
            m_slotColumns[size_t(*m_slots.back())] = c;
    }
    if (std::any_of(m_slots.begin(), m_slots.end(), [](const auto& s) { return s.has_value(); }))
        m_carried.assign(size_t(rows.count()), 0);
}

bool ReadBack::isSymbolId(qint64 id) {
    const auto known = m_symbolIds.constFind(id);
    if (known != m_symbolIds.cend())
        return *known;
    const bool found = m_job
                           .scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE id = ?")
                                       .arg(tableId(QStringLiteral("dcEnums"))),
                                   {id})
                           .toLongLong() > 0;
    m_symbolIds.insert(id, found);
    return found;
}

void ReadBack::field(int row, int column, const QByteArray& bytes, qint64 step,
                     std::optional<qint64> built) {
    const FieldReadings readings = m_rules[size_t(column)].allowed(
        fieldReadings(bytes), [this](qint64 id) { return isSymbolId(id); });
    const auto slot = m_slots[size_t(column)];
    const Waiting field{readings, built, step};
    if (!slot) {
        decide(row, column, readings.front(), field);
        return;
    }
    m_carried[size_t(row)] |= quint8(1u << *slot);
    const auto waiting = m_waiting.find(row);
    if (readings.size() > 1) {
        m_waiting[row][size_t(*slot)] = field;
        return;
    }
    // A later field of the column is the one the row keeps.
    if (waiting != m_waiting.end())
        waiting->second[size_t(*slot)].readings.clear();
    if (m_write)
        m_rows.setValue(row, column, readings.front());
    decide(row, column, readings.front(), field);
}

void ReadBack::decide(int row, int column, qint64 number, const Waiting& field) {
    if (m_write) {
        m_write(row, column, number);
        return;
    }
    if (field.built && *field.built != number)
        m_warn(sprintf(QStringLiteral("step {*}: {*} {*} = {*} will read back as {*}."), field.step,
                       m_rows.name(row), m_columns[column], *field.built, number));
}

void ReadBack::finish() {
    for (const auto& [row, waiting] : m_waiting) {
        BoundReadings bounds;
        for (int slot = 0; slot < kBoundSlots; ++slot) {
            const int column = m_slotColumns[size_t(slot)];
            if (!waiting[size_t(slot)].readings.isEmpty()) {
                bounds[size_t(slot)] = waiting[size_t(slot)].readings;
                continue;
            }
            // Values count where the image gives them; Min and Max also as the row holds them.
            const bool known =
                slot == minSlot || slot == maxSlot || (m_carried[size_t(row)] & (1u << slot)) != 0;
            if (column < 0 || !known)
                continue;
            const QVariant v = m_rows.value(row, column);
            if (v.typeId() == QMetaType::LongLong)
                bounds[size_t(slot)] = {v.toLongLong()};
        }
        const auto chosen = chooseBounded(bounds);
        for (int slot = 0; slot < kBoundSlots; ++slot) {
            if (!waiting[size_t(slot)].readings.isEmpty())
                decide(row, m_slotColumns[size_t(slot)], chosen[size_t(slot)],
                       waiting[size_t(slot)]);
        }
    }
    m_waiting.clear();
}

} // namespace pxu::dc
