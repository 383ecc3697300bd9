#pragma once

#include <QString>
#include <optional>

namespace pxu::dc {

// A number written as the database's texts hold them: decimal with sign, fraction and
// exponent ("-12", "3.5", "1.5E3"), or hexadecimal after "&H" (up to four digits a signed
// 16-bit value, up to eight a signed 32-bit one: "&HFFFF" is -1). Blanks around it are
// allowed; any other text is no number.
std::optional<double> numberFromText(const QString& text);
// The same rounded to a whole number (halves to even) that fits 32 signed bits.
std::optional<qint32> longFromText(const QString& text);

// A number shown through a pattern in which each 0 is a digit place filled with a leading
// zero and a point is the decimal point: "000" shows 7 as 007, "0.00" shows 3.1 as 3.10.
// An empty pattern shows the plain decimal number.
QString formatNumber(double value, const QString& format);

} // namespace pxu::dc
