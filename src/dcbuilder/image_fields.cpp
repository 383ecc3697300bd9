#include "image_fields.h"

#include <QRegularExpression>

namespace pxu::dc {

QByteArray numberField(qint32 value, int width) {
    QByteArray bytes(width, '\0');
    const quint32 bits = quint32(value);
    for (int k = 0; k < width; ++k)
        bytes[k] = char((bits >> (8 * (width - 1 - k))) & 0xFF);
    return bytes;
}

bool fitsField(qint32 value, int width) {
    switch (width) {
    case 1:
        return value >= -256 && value <= 255;
    case 2:
        return value >= -32768 && value <= 65535;
    default:
        return true;
    }
}

std::optional<QByteArray> packedBcd(const QString& digits, int width) {
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+$"));
    if (!decimal.match(digits).hasMatch())
        return std::nullopt;
    QString significant = digits;
    while (significant.size() > 1 && significant.front() == u'0')
        significant.remove(0, 1);
    if (significant.size() > 2 * width)
        return std::nullopt;
    const QString padded = significant.rightJustified(2 * width, u'0');
    return QByteArray::fromHex(padded.toLatin1());
}

std::optional<qint64> numberFromPackedBcd(const QByteArray& field) {
    qint64 number = 0;
    for (const char digit : field.toHex()) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        number = number * 10 + (digit - '0');
    }
    return number;
}

std::optional<QByteArray> textField(const QString& text, int width) {
    if (text.size() < width)
        return std::nullopt;
    QByteArray bytes(width, '\0');
    for (int k = 0; k < width; ++k) {
        const char16_t c = text[k].unicode();
        if (c > 0xFF)
            return std::nullopt;
        bytes[k] = char(c);
    }
    return bytes;
}

FieldReadings fieldReadings(const QByteArray& field) {
    const int width = int(field.size());
    quint32 bits = 0;
    for (const char byte : field)
        bits = bits << 8 | quint8(byte);
    const qint64 unsignedValue = bits;
    const qint64 signedBit = qint64(1) << (8 * width - 1);
    if (unsignedValue < signedBit)
        return {unsignedValue};
    const qint64 signedValue = unsignedValue - 2 * signedBit;
    if (width == 4)
        return {signedValue};
    if (width == 1)
        return {unsignedValue, signedValue};
    return {signedValue, unsignedValue};
}

QString fieldText(const QByteArray& field) {
    if (!isNumberWidth(int(field.size())))
        return QString::fromLatin1(field);
    QString digits = QString::fromLatin1(field.toHex().toUpper());
    while (digits.size() > 1 && digits.front() == u'0')
        digits.remove(0, 1);
    return QStringLiteral("&H") + digits;
}

} // namespace pxu::dc
