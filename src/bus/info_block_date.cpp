#include "info_block_date.h"

#include "big_endian.h"
#include "core/byte_conversions.h"

#include <QLocale>

namespace pxu {

namespace {

constexpr int kWeekOffset = 16;
constexpr int kYearOffset = 18;

// A text of decimal digits only, as a number.
std::optional<int> digitsOf(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<ProductionDate> validOnly(int week, int year) {
    if (!validProductionDate(week, year))
        return std::nullopt;
    return ProductionDate{week, year};
}

} // namespace

QString fileDateText(const QDateTime& date) {
    return QLocale::c().toString(date.date(), QStringLiteral("MMM dd yyyy"));
}

bool validProductionDate(qint64 week, qint64 year) {
    return week >= 1 && week <= 52 && year >= 1980 && year <= 2079;
}

std::optional<ProductionDate> productionDateFromDigits(const QByteArray& block) {
    // A zero byte is no character: "5" and a zero byte is week 5.
    const std::optional<int> week = digitsOf(g_byteToStr(2, kWeekOffset, block).trimmed());
    const QString yearText = g_byteToStr(2, kYearOffset, block);
    const std::optional<int> year = yearText.size() == 2 ? digitsOf(yearText) : std::nullopt;
    if (!week || !year)
        return std::nullopt;
    return validOnly(*week, *year < 80 ? 2000 + *year : 1900 + *year);
}

std::optional<ProductionDate> productionDateFromNumbers(const QByteArray& block) {
    return validOnly(readBe16(block, kWeekOffset), readBe16(block, kYearOffset));
}

QString productionDateText(const QByteArray& block) {
    if (const std::optional<ProductionDate> date = productionDateFromDigits(block))
        return QString::number(date->week).rightJustified(2, u'0') + QStringLiteral(" / ") +
               QString::number(date->year);
    return QStringLiteral("%1 / %2")
        .arg(readBe16(block, kWeekOffset))
        .arg(readBe16(block, kYearOffset));
}

} // namespace pxu
