#pragma once

#include <QByteArray>
#include <QString>

namespace pxu {

// Conversions between numbers, texts and byte arrays. Indexes are 0-based; lsbFirst False
// puts the most significant byte at the lowest index (module blocks), True the least
// significant (CAN variable values). Texts and bytes map one to one (ISO 8859-1).
//
// Writers throw PxuError when the range does not fit the array or the value does not
// convert; readers use the part of the range that lies inside the array.

// Numbers handed over as decimal text (empty counts as 0), read as at most 32 bits.
qint16 g_swapInt(const QString& value);
qint32 g_swapLong(const QString& value);
// Writes the low count (1 to 4) bytes of value at start .. start + count - 1.
void g_dezValStrToByte(const QString& value, int count, int start, QByteArray& bytes,
                       bool lsbFirst);
// Writes length bytes at start: the text's character codes, zero-filled.
void g_strToByte(const QString& text, int length, int start, QByteArray& bytes);

// "0x" and the low four hexadecimal digits: 26 gives 0x001A.
QString g_toHex(qint64 value);

// Two upper-case digits per byte, most significant first.
QString g_byteToHexValStr(int count, int start, const QByteArray& bytes, bool lsbFirst,
                          const QString& prefix = {});
// The range as one number in decimal; four bytes read as signed 32 bits, fewer unsigned.
// Empty when no byte of the range lies in the array.
QString g_byteToDezValStr(int count, int start, const QByteArray& bytes, bool lsbFirst);
// The characters of the range's non-zero bytes.
QString g_byteToStr(int count, int start, const QByteArray& bytes);

// Up to four 7-bit characters from the value's bytes, lowest first, ending at a zero.
QString g_lngToAscii(qint32 value);
// The first four character codes as the bytes of a value, the first one lowest.
qint32 g_asciiTolng(const QString& text);

} // namespace pxu
