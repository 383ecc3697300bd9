#include "number_text.h"

#include <cmath>
#include <limits>

namespace pxu {

QString numberText(double value) {
    if (!std::isfinite(value))
        return {};
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'G', 15);
}

std::optional<qint32> roundedLong(double value) {
    const double rounded = std::nearbyint(value); // the default rounding mode: halves to even
    if (!(rounded >= std::numeric_limits<qint32>::min() &&
          rounded <= std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(rounded);
}

} // namespace pxu
