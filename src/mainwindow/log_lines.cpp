#include "log_lines.h"

#include "platform/clock/clock.h"

#include <QLocale>

namespace pxu {

namespace {
constexpr int kRuleWidth = 82;
}

QString generalDateTime(const QDateTime& when) {
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           when.time().toString(QStringLiteral("HH:mm:ss"));
}

QString logOpeningLine(const QString& title) {
    const qsizetype dashes = std::max<qsizetype>(0, kRuleWidth - title.size());
    return title + QString(dashes, QLatin1Char('-')) + QLatin1Char(' ') +
           generalDateTime(clock().currentDateTime());
}

QString logClosingLine() {
    return QString(kRuleWidth, QLatin1Char('-')) + QLatin1Char(' ') +
           generalDateTime(clock().currentDateTime());
}

} // namespace pxu
