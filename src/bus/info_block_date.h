#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace pxu {

// A load file's date as the info blocks and the load-file boxes show it, "mmm dd yyyy"
// ("Jan 05 2026"): English month names whatever the user's locale, as the modules and
// the overview expect them.
QString fileDateText(const QDateTime& date);

// The production date of a hardware info block: week at 16 and year at 18, two bytes each.
struct ProductionDate {
    int week = 0;
    int year = 0;
};

// Week 1 to 52, year 1980 to 2079.
bool validProductionDate(qint64 week, qint64 year);
// The two ASCII digits of each, as the repair window writes them (the year's last two:
// below 80 in this century); nothing when they give no valid date.
std::optional<ProductionDate> productionDateFromDigits(const QByteArray& block);
// The two 16-bit numbers of older blocks; nothing when they give no valid date.
std::optional<ProductionDate> productionDateFromNumbers(const QByteArray& block);
// As the module overview shows it: "05 / 2026" when the digits give a valid date, else
// the two numbers ("5 / 2010").
QString productionDateText(const QByteArray& block);

} // namespace pxu
