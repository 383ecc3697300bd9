#include "edit_dc_range.h"

#include "core/sprintf.h"
#include "dc_schema.h"
#include "platform/text/number_text.h"

#include <limits>

namespace pxu::dc {

namespace {

std::optional<double> numberOf(const QVariant& value) {
    bool number = false;
    const double v = value.toDouble(&number);
    if (value.isNull() || !number)
        return std::nullopt;
    return v;
}

std::optional<double> boundOf(const QString& field, const QVariant& value) {
    return isNoLimit(field, value) ? std::nullopt : numberOf(value);
}

QString rangeText(std::optional<double> min, std::optional<double> max) {
    if (min && max)
        return sprintf(QStringLiteral("from {*} to {*}"), numberText(*min), numberText(*max));
    if (min)
        return QStringLiteral("of at least ") + numberText(*min);
    return QStringLiteral("of at most ") + numberText(*max);
}

} // namespace

bool isNoLimit(const QString& field, const QVariant& value) {
    if (value.isNull())
        return false;
    const qint64 v = value.toLongLong();
    return (field == col::minValue && v == std::numeric_limits<qint32>::min()) ||
           (field == col::maxValue && v == std::numeric_limits<qint32>::max());
}

std::optional<QString> rangeRefusal(const ParameterRange& row, const QString& symbol,
                                    const QString& field, const QString& caption,
                                    const QVariant& entry) {
    ParameterRange edited = row;
    if (field == col::value)
        edited.value = entry;
    else if (field == col::minValue)
        edited.minValue = entry;
    else if (field == col::maxValue)
        edited.maxValue = entry;
    else
        return std::nullopt;
    const auto value = numberOf(edited.value);
    const auto min = boundOf(col::minValue, edited.minValue);
    const auto max = boundOf(col::maxValue, edited.maxValue);
    if (!value)
        return std::nullopt;
    const bool below = min && *value < *min;
    const bool above = max && *value > *max;
    if (field == col::value) {
        if (!below && !above)
            return std::nullopt;
        return sprintf(QStringLiteral("\"{*}\" of {*} takes values {*}, not \"{*}\".\r\nNothing "
                                      "was stored."),
                       caption, symbol, rangeText(min, max), numberText(*value));
    }
    // A bound is refused only when the value falls outside it: a value already outside
    // the other bound does not block this edit.
    const bool minEdit = field == col::minValue;
    if (minEdit ? !below : !above)
        return std::nullopt;
    return sprintf(QStringLiteral("\"{*}\" {*} would leave the value {*} of {*} outside its "
                                  "range {*}.\r\nNothing was stored."),
                   caption, numberText(minEdit ? *min : *max), numberText(*value), symbol,
                   rangeText(min, max));
}

} // namespace pxu::dc
