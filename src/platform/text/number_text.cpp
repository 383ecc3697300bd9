#include "number_text.h"

#include <cmath>

namespace pxu {

QString numberText(double value) {
    if (!std::isfinite(value))
        return {};
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'G', 15);
}

} // namespace pxu
