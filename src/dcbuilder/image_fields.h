#pragma once

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>
#include <optional>

// The fields of the data-container image: numbers of 1, 2 or 4 bytes, most significant
// byte first; packed BCD; fixed-width texts of one byte a character.
namespace pxu::dc {

// Whether the width holds a number field (1, 2 or 4 bytes); any other width is a text.
constexpr bool isNumberWidth(int width) {
    return width == 1 || width == 2 || width == 4;
}

// The low width bytes of the value, most significant first: 300 in one byte is 2C, -1 is FF.
QByteArray numberField(qint32 value, int width);
// Whether the value lies where its field keeps it as the number it is: one byte holds -256
// to 255 (the negative ones as their two's complement), two bytes -32768 to 65535, four
// bytes every 32-bit value. Anything else is cut to the field's low bytes.
bool fitsField(qint32 value, int width);

// A number's decimal digits as packed BCD, one digit a nibble: 123 in four bytes is
// 00 00 01 23. Nothing for a text that is not all digits (a sign included) or for more
// digits than the field holds.
std::optional<QByteArray> packedBcd(const QString& digits, int width);
// The number a packed-BCD field holds (00 00 01 23 gives 123); nothing when a nibble is no
// decimal digit.
std::optional<qint64> numberFromPackedBcd(const QByteArray& field);

// The first width characters of the text, one byte each. Nothing when the text is shorter
// or one of them has no one-byte code.
std::optional<QByteArray> textField(const QString& text, int width);

// The numbers a number field's bytes can stand for, the usual reading first: one byte
// unsigned, two and four bytes signed. With the top bit set, one and two bytes have a second
// reading (FF: 255 or -1; 80 00: -32768 or 32768); four bytes hold every 32-bit number in one
// way only.
using FieldReadings = QVarLengthArray<qint64, 2>;
FieldReadings fieldReadings(const QByteArray& field);
// A field as the step log shows it: "&H" and the upper-case hexadecimal digits of its bytes
// without leading zeros (FF FE gives &HFFFE); a text field as its characters.
QString fieldText(const QByteArray& field);

} // namespace pxu::dc
