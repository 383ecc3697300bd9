#include "number_text.h"

#include "core/vb_val.h"
#include "platform/text/number_text.h"

#include <QRegularExpression>
#include <cmath>

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
    return number ? roundedLong(*number) : std::nullopt;
}

QString formatNumber(double value, const QString& format) {
    if (format.isEmpty())
        return numberText(value);
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
