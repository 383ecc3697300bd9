#include "sprintf.h"

#include "error.h"

#include <QDateTime>
#include <optional>

namespace pxu {

namespace {

bool isIntegerType(int type) {
    switch (type) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatType(int type) {
    return type == QMetaType::Double || type == QMetaType::Float;
}

QString plainText(const QVariant& value) {
    const int type = value.typeId();
    if (type == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (isFloatType(type))
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

// The value as a whole number, when it is one or a text that reads as one.
std::optional<qint64> integerOf(const QVariant& value) {
    const int type = value.typeId();
    if (isIntegerType(type))
        return value.toLongLong();
    double d = 0;
    bool ok = false;
    if (isFloatType(type)) {
        d = value.toDouble();
        ok = true;
    } else if (type == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        const qint64 n = text.toLongLong(&ok);
        if (ok)
            return n;
        d = text.toDouble(&ok);
    }
    if (!ok || !(d > -9.2e18 && d < 9.2e18))
        return std::nullopt;
    return qRound64(d);
}

std::optional<bool> truthOf(const QVariant& value) {
    const int type = value.typeId();
    if (type == QMetaType::Bool)
        return value.toBool();
    if (isIntegerType(type) || isFloatType(type))
        return value.toDouble() != 0.0;
    if (type != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString().trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double d = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return d != 0.0;
}

bool isZeroMask(const QString& format) {
    for (QChar c : format) {
        if (c != QLatin1Char('0'))
            return false;
    }
    return !format.isEmpty();
}

QString formatted(const QVariant& value, const QString& format) {
    if (isZeroMask(format)) {
        const auto n = integerOf(value);
        if (!n)
            return plainText(value);
        const QString digits = QString::number(*n < 0 ? -quint64(*n) : quint64(*n));
        return (*n < 0 ? QStringLiteral("-") : QString()) +
               digits.rightJustified(format.size(), QLatin1Char('0'));
    }
    if (format.compare(QLatin1String("yes/no"), Qt::CaseInsensitive) == 0) {
        const auto truth = truthOf(value);
        if (!truth)
            return plainText(value);
        return *truth ? QStringLiteral("Yes") : QStringLiteral("No");
    }
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(format);
    case QMetaType::QDate:
        return value.toDate().toString(format);
    case QMetaType::QTime:
        return value.toTime().toString(format);
    default:
        return plainText(value);
    }
}

[[noreturn]] void missingValue(const QString& inner) {
    raise(kErrMissingValue, QStringLiteral("printf"),
          QStringLiteral("Missing value in printf-call for format string '{") + inner +
              QStringLiteral("}'!"));
}

} // namespace

QString sprintf(const QString& format, const QVariantList& args) {
    QString text = format;
    // A doubled backslash becomes a placeholder first, so its second half starts no escape.
    text.replace(QLatin1String("\\\\"), QLatin1String("{\\}"));
    text.replace(QLatin1String("\\t"), QLatin1String("\t"));
    text.replace(QLatin1String("\\r"), QLatin1String("\r"));
    text.replace(QLatin1String("\\n"), QLatin1String("\r\n"));
    text.replace(QLatin1String("\\{"), QLatin1String("{(}"));

    qsizetype from = 0;
    qsizetype running = 0;
    for (;;) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), from);
        if (open < 0)
            return text;
        const qsizetype close = text.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0)
            raise(kErrMissingBrace, QStringLiteral("printf"),
                  QStringLiteral("Missing '}' after '{' at position ") + QString::number(open + 1) +
                      QStringLiteral("!"));
        QString inner = text.mid(open + 1, close - open - 1);

        qsizetype index = running;
        const bool explicitIndex = inner.size() >= 2 && inner[0] >= QLatin1Char('1') &&
                                   inner[0] <= QLatin1Char('9') && inner[1] == QLatin1Char(':');
        if (explicitIndex) {
            inner = inner.mid(2);
            if (args.isEmpty())
                missingValue(inner);
            index = std::min<qsizetype>(text[open + 1].digitValue() - 1, args.size() - 1);
        }
        if (inner.startsWith(QLatin1Char('=')))
            raise(kErrScriptCode, QStringLiteral("sprintf"),
                  QStringLiteral("No script code allowed in placeholder string. ") +
                      QStringLiteral("Use the sprintf COM-component instead."));

        QString inserted;
        bool usesArgument = true;
        if (inner == QLatin1String("(")) {
            inserted = QStringLiteral("{");
            usesArgument = false;
        } else if (inner == QLatin1String("\\")) {
            inserted = QStringLiteral("\\");
            usesArgument = false;
        } else if (!inner.isEmpty()) {
            if (index >= args.size())
                missingValue(inner);
            inserted = inner == QLatin1String("*") ? plainText(args[index])
                                                   : formatted(args[index], inner);
        }

        text.replace(open, close - open + 1, inserted);
        from = open + inserted.size();
        if (!explicitIndex && usesArgument)
            ++running;
    }
}

} // namespace pxu
