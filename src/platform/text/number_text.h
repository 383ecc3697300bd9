#pragma once

#include <QString>
#include <optional>

namespace pxu {

// A number as the platform's automation turned numbers into text, which the databases and
// logs hold: a whole number below 1E15 plainly ("-32768"), any other with at most 15
// significant digits and no trailing zeros ("0.3", "1.5E-05", "1.12589990684262E+15").
// A value that is no finite number gives the empty text.
QString numberText(double value);

// The number rounded to a whole one as the automation rounded, halves to even (2.5 gives
// 2, 3.5 gives 4); nothing outside the 32-bit signed range.
std::optional<qint32> roundedLong(double value);

} // namespace pxu
