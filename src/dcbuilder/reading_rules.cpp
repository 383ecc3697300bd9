#include "reading_rules.h"

#include <limits>

namespace pxu::dc {

namespace {

bool namesSymbol(const QString& column) {
    for (QLatin1String c : {col::signalIndex, col::onDelayIndex, col::offDelayIndex}) {
        if (column.compare(c, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

constexpr qint64 kNoSymbol = -1;

} // namespace

ColumnRule::ColumnRule(const QString& column)
    : m_range(columnRange(column))
    , m_namesSymbol(dc::namesSymbol(column)) {}

FieldReadings ColumnRule::allowed(const FieldReadings& readings,
                                  const std::function<bool(qint64)>& isSymbolId) const {
    if (readings.size() < 2)
        return readings;
    FieldReadings kept;
    for (const qint64 r : readings) {
        if (m_range && !m_range->contains(r))
            continue;
        kept.append(r);
    }
    if (m_namesSymbol && kept.size() > 1) {
        FieldReadings named;
        for (const qint64 r : std::as_const(kept)) {
            if (r == kNoSymbol || isSymbolId(r))
                named.append(r);
        }
        kept = named;
    }
    return kept.isEmpty() ? readings : kept;
}

std::optional<BoundSlot> boundSlot(const QString& table, const QString& column) {
    if (table.compare(QLatin1String("dcEnums"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const std::array<QLatin1String, kBoundSlots> columns{col::minValue, col::maxValue, col::value,
                                                         col::onlineValue};
    for (int slot = 0; slot < kBoundSlots; ++slot) {
        if (column.compare(columns[size_t(slot)], Qt::CaseInsensitive) == 0)
            return BoundSlot(slot);
    }
    return std::nullopt;
}

namespace {

bool keepsBounds(const std::array<qint64, kBoundSlots>& n, const BoundReadings& bounds) {
    const qint64 lowest =
        bounds[minSlot].isEmpty() ? std::numeric_limits<qint64>::min() : n[minSlot];
    const qint64 highest =
        bounds[maxSlot].isEmpty() ? std::numeric_limits<qint64>::max() : n[maxSlot];
    if (lowest > highest)
        return false;
    for (const int slot : {valueSlot, onlineValueSlot}) {
        if (!bounds[size_t(slot)].isEmpty() &&
            (n[size_t(slot)] < lowest || n[size_t(slot)] > highest))
            return false;
    }
    return true;
}

} // namespace

std::array<qint64, kBoundSlots> chooseBounded(const BoundReadings& bounds) {
    std::array<qint64, kBoundSlots> usual{};
    int ways = 1;
    for (int slot = 0; slot < kBoundSlots; ++slot) {
        if (!bounds[size_t(slot)].isEmpty()) {
            usual[size_t(slot)] = bounds[size_t(slot)].front();
            ways *= int(bounds[size_t(slot)].size());
        }
    }
    if (keepsBounds(usual, bounds))
        return usual;

    std::optional<std::array<qint64, kBoundSlots>> best;
    int bestOthers = kBoundSlots + 1;
    bool tie = false;
    for (int way = 1; way < ways; ++way) {
        std::array<qint64, kBoundSlots> n = usual;
        int others = 0;
        int rest = way;
        for (int slot = 0; slot < kBoundSlots; ++slot) {
            const FieldReadings& r = bounds[size_t(slot)];
            if (r.size() < 2)
                continue;
            const int pick = rest % int(r.size());
            rest /= int(r.size());
            n[size_t(slot)] = r[pick];
            others += pick == 0 ? 0 : 1;
        }
        if (!keepsBounds(n, bounds) || others > bestOthers)
            continue;
        tie = others == bestOthers;
        if (!tie) {
            best = n;
            bestOthers = others;
        }
    }
    return best && !tie ? *best : usual;
}

} // namespace pxu::dc
