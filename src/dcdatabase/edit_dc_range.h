#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// A parameter's own range in the table editor: its value must lie within the minValue and
// maxValue of its row, which the module checks it against.
namespace pxu::dc {

// The extreme of 32 bits that a minValue or maxValue holds for "no limit" (shown "---").
bool isNoLimit(const QString& field, const QVariant& value);

// A parameter's value, minValue and maxValue as its row holds them.
struct ParameterRange {
    QVariant value;
    QVariant minValue;
    QVariant maxValue;
};

// Checks the edit of one of the three (field "value", "minValue" or "maxValue", shown under
// caption) to entry: a value must lie within the row's bounds, and a bound must not leave
// the value outside. A bound that is empty or "no limit" is none. The refusal, which names
// the range, or nothing when the edit may be stored.
std::optional<QString> rangeRefusal(const ParameterRange& row, const QString& symbol,
                                    const QString& field, const QString& caption,
                                    const QVariant& entry);

} // namespace pxu::dc
