#include "eval_result.h"

#include <cmath>

namespace pxu::script {

std::optional<qint32> EvalResult::id() const {
    if (kind != Kind::Number)
        return std::nullopt;
    double whole = std::floor(number);
    const double fraction = number - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
        whole += 1;
    if (whole < -2147483648.0 || whole > 2147483647.0)
        return std::nullopt;
    return qint32(whole);
}

} // namespace pxu::script
