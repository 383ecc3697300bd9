#include "number_text.h"

#include "core/vb_val.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace pxu::dc {

std::optional<double> numberFromText(const QString& text) {
    static const QRegularExpression decimal(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    static const QRegularExpression hex(QStringLiteral(R"(^\s*&[hH][0-9A-Fa-f]{1,8}\s*$)"));
    if (hex.match(text).hasMatch())
        return vbVal(text);
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint32> longFromText(const QString& text) {
    const auto number = numberFromText(text);
    if (!number)
        return std::nullopt;
    const double rounded = std::nearbyint(*number); // the default rounding: halves to even
    if (rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(rounded);
}

QString formatNumber(double value, const QString& format) {
    if (format.isEmpty()) {
        if (value == std::trunc(value) && std::abs(value) < 1e15)
            return QString::number(qint64(value));
        return QString::number(value, 'g', 15);
    }
    const qsizetype point = format.indexOf(u'.');
    const int decimals = point < 0 ? 0 : int(format.size() - point - 1);
    const int places = int(point < 0 ? format.size() : point);
    QString digits = QString::number(std::abs(value), 'f', decimals);
    const qsizetype wholeDigits = digits.indexOf(u'.') < 0 ? digits.size() : digits.indexOf(u'.');
    if (wholeDigits < places)
        digits.prepend(QString(places - wholeDigits, u'0'));
    const bool negative = value < 0 && digits.contains(QRegularExpression(QStringLiteral("[1-9]")));
    return negative ? u'-' + digits : digits;
}

} // namespace pxu::dc
