#pragma once

#include "dcdatabase/dc_schema.h"
#include "image_fields.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

// Which of the two numbers a field of one or two bytes can hold was built, told by what the
// database knows. Every rule keeps the usual reading (one byte unsigned, two bytes signed)
// unless it rules that one out.
namespace pxu::dc {

// What a symbol column's meaning allows: its range (ids, masks and hystereses are never
// negative, ...), and for a column that names a symbol by its id, -1 for none or the id of a
// symbol the database holds.
class ColumnRule {
public:
    explicit ColumnRule(const QString& column);

    bool namesSymbol() const { return m_namesSymbol; }
    // The readings the column allows, the usual one first; all of them when it allows none.
    // isSymbolId tells whether a number is the id of a symbol; asked only where it decides.
    FieldReadings allowed(const FieldReadings& readings,
                          const std::function<bool(qint64)>& isSymbolId) const;

private:
    std::optional<ColumnRange> m_range;
    bool m_namesSymbol = false;
};

// A parameter's or variable's Min, Max and values, which lie between them.
enum BoundSlot { minSlot, maxSlot, valueSlot, onlineValueSlot, kBoundSlots };
// The slot of a column of the symbol table; nothing for a column that no bounds tie.
std::optional<BoundSlot> boundSlot(const QString& table, const QString& column);

// The readings of one symbol's slots (none: the slot is not known) → the number each known
// slot reads as: the usual readings where they keep Min <= Max and the values between them;
// else the one way to keep that with the fewest other readings; where there is no such way,
// or several, the usual readings.
using BoundReadings = std::array<FieldReadings, kBoundSlots>;
std::array<qint64, kBoundSlots> chooseBounded(const BoundReadings& bounds);

} // namespace pxu::dc
