#include "vb_val.h"

#include <cmath>

namespace pxu {

namespace {

QString withoutBlanks(const QString& text) {
    QString s;
    for (QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            s += c;
    }
    return s;
}

double radixPrefix(const QString& s, int radix) {
    qint64 value = 0;
    int digits = 0;
    for (qsizetype i = 2; i < s.size() && digits < 16; ++i) {
        const int d = QString(s[i]).toInt(nullptr, radix);
        const bool isDigit =
            s[i].isDigit() || (radix == 16 && QStringLiteral("abcdefABCDEF").contains(s[i]));
        if (!isDigit || (radix == 8 && s[i] > u'7'))
            break;
        value = value * radix + d;
        ++digits;
    }
    // Up to four hex digits read as a signed 16-bit value, up to eight as 32-bit.
    if (radix == 16 && digits <= 4)
        return double(qint16(quint16(value)));
    if (radix == 16 && digits <= 8)
        return double(qint32(quint32(value)));
    return double(value);
}

} // namespace

double vbVal(const QString& text) {
    const QString s = withoutBlanks(text);
    if (s.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive))
        return radixPrefix(s, 16);
    if (s.startsWith(QStringLiteral("&O"), Qt::CaseInsensitive))
        return radixPrefix(s, 8);
    qsizetype i = 0;
    QString number;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        number += s[i++];
    bool digits = false, point = false;
    while (i < s.size()) {
        if (s[i].isDigit() && s[i].unicode() < 128) {
            digits = true;
        } else if (s[i] == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        number += s[i++];
    }
    if (!digits)
        return 0;
    if (i + 1 < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
        QString exponent;
        qsizetype j = i + 1;
        if (j < s.size() && (s[j] == u'-' || s[j] == u'+'))
            exponent += s[j++];
        while (j < s.size() && s[j].isDigit() && s[j].unicode() < 128)
            exponent += s[j++];
        if (!exponent.isEmpty() && exponent.back().isDigit())
            number += u'e' + exponent;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

std::optional<qint64> parseHexText(const QString& text) {
    QString s = text.trimmed();
    if (s.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive) ||
        s.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
        s = s.mid(2);
    if (s.isEmpty() || s.size() > 8)
        return std::nullopt;
    bool ok = false;
    const qint64 value = s.toLongLong(&ok, 16);
    if (!ok || s.startsWith(u'-') || s.startsWith(u'+'))
        return std::nullopt;
    return value;
}

} // namespace pxu
