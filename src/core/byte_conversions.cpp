#include "byte_conversions.h"

#include "error.h"

#include <algorithm>
#include <limits>

namespace pxu {

namespace {

const QString kSource = QStringLiteral("modStringFct");

[[noreturn]] void overflow() {
    raise(6, kSource, QStringLiteral("Overflow"));
}

[[noreturn]] void subscriptOutOfRange() {
    raise(9, kSource, QStringLiteral("Subscript out of range"));
}

// The 32 bits of a decimal value text; negative values in two's complement.
quint32 valueBits(const QString& value) {
    const QString text = value.trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const qint64 n = text.toLongLong(&ok, 10);
    if (!ok)
        raise(13, kSource, QStringLiteral("Type mismatch"));
    if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<quint32>::max())
        overflow();
    return quint32(n);
}

void checkRange(qint64 start, qint64 count, const QByteArray& bytes) {
    if (start < 0 || start + count > bytes.size())
        subscriptOutOfRange();
}

struct Range {
    qsizetype first = 0;
    qsizetype end = 0; // exclusive
    qsizetype size() const { return end - first; }
};

Range clipped(int count, int start, const QByteArray& bytes) {
    const qint64 first = std::max<qint64>(start, 0);
    const qint64 end = std::min<qint64>(qint64(start) + std::max(count, 0), bytes.size());
    return end > first ? Range{qsizetype(first), qsizetype(end)} : Range{};
}

// The range's bytes, most significant first.
QByteArray ordered(const Range& range, const QByteArray& bytes, bool lsbFirst) {
    QByteArray result = bytes.mid(range.first, range.size());
    if (lsbFirst)
        std::reverse(result.begin(), result.end());
    return result;
}

} // namespace

qint16 g_swapInt(const QString& value) {
    const quint32 low = valueBits(value) & 0xFFFF;
    return qint16(quint16((low << 8) | (low >> 8)));
}

qint32 g_swapLong(const QString& value) {
    const quint32 v = valueBits(value);
    return qint32((v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24));
}

void g_dezValStrToByte(const QString& value, int count, int start, QByteArray& bytes,
                       bool lsbFirst) {
    if (count < 1 || count > 4)
        raise(5, kSource, QStringLiteral("Invalid procedure call or argument"));
    const quint32 v = valueBits(value);
    checkRange(start, count, bytes);
    for (int k = 0; k < count; ++k) {
        const char byte = char((v >> (8 * (count - 1 - k))) & 0xFF);
        bytes[start + (lsbFirst ? count - 1 - k : k)] = byte;
    }
}

void g_strToByte(const QString& text, int length, int start, QByteArray& bytes) {
    if (length <= 0)
        return;
    checkRange(start, length, bytes);
    const qsizetype used = std::min<qsizetype>(text.size(), length);
    for (qsizetype i = 0; i < used; ++i) {
        if (text[i].unicode() > 0xFF)
            overflow();
    }
    for (qsizetype i = 0; i < length; ++i)
        bytes[start + i] = i < used ? char(text[i].unicode()) : '\0';
}

QString g_toHex(qint64 value) {
    return QStringLiteral("0x") + QString::number(quint64(value) & 0xFFFF, 16)
                                      .toUpper()
                                      .rightJustified(4, QLatin1Char('0'));
}

QString g_byteToHexValStr(int count, int start, const QByteArray& bytes, bool lsbFirst,
                          const QString& prefix) {
    return prefix + QString::fromLatin1(
                        ordered(clipped(count, start, bytes), bytes, lsbFirst).toHex().toUpper());
}

QString g_byteToDezValStr(int count, int start, const QByteArray& bytes, bool lsbFirst) {
    const QByteArray digits = ordered(clipped(count, start, bytes), bytes, lsbFirst);
    if (digits.isEmpty())
        return {};
    if (digits.size() > 4)
        overflow();
    quint32 v = 0;
    for (char byte : digits)
        v = (v << 8) | quint8(byte);
    return digits.size() == 4 ? QString::number(qint32(v)) : QString::number(v);
}

QString g_byteToStr(int count, int start, const QByteArray& bytes) {
    const Range range = clipped(count, start, bytes);
    QString result;
    for (qsizetype i = range.first; i < range.end; ++i) {
        if (bytes[i] != '\0')
            result += QChar(quint8(bytes[i]));
    }
    return result;
}

QString g_lngToAscii(qint32 value) {
    QString result;
    for (int i = 0; i < 4; ++i) {
        const char16_t c = char16_t((quint32(value) >> (8 * i)) & 0x7F);
        if (c == 0)
            break;
        result += QChar(c);
    }
    return result;
}

qint32 g_asciiTolng(const QString& text) {
    quint32 v = 0;
    const qsizetype used = std::min<qsizetype>(text.size(), 4);
    for (qsizetype i = 0; i < used; ++i) {
        const char16_t code = text[i].unicode();
        if (code > 0xFF || (i == 3 && code >= 0x80))
            overflow();
        v |= quint32(code) << (8 * i);
    }
    return qint32(v);
}

} // namespace pxu
