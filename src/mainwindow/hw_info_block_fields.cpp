#include "hw_info_block_fields.h"

#include "bus/hardware_info_block.h"
#include "bus/info_block_date.h"
#include "core/byte_conversions.h"

#include <limits>

namespace pxu {

namespace {

constexpr int kSerialOffset = 20;
constexpr int kVersionOffset = 12;

} // namespace

std::optional<qint64> wholeNumber(const QString& text, qint64 min, qint64 max) {
    const QString t = text.trimmed();
    const qsizetype digitsFrom = t.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype digits = t.size() - digitsFrom;
    if (digits < 1 || digits > 18)
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < t.size(); ++i) {
        if (t[i] < QLatin1Char('0') || t[i] > QLatin1Char('9'))
            return std::nullopt;
    }
    const qint64 value = t.toLongLong();
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<qint64> serialNumber(const QString& text) {
    return wholeNumber(text, std::numeric_limits<qint32>::min(),
                       std::numeric_limits<quint32>::max());
}

bool validateProductionDate(const QString& week, const QString& year) {
    constexpr qint64 kAny = std::numeric_limits<qint64>::max();
    const auto w = wholeNumber(week, -kAny, kAny);
    const auto y = wholeNumber(year, -kAny, kAny);
    return w && y && validProductionDate(*w, *y);
}

QString twoDigits(qint64 value) {
    const QString digits = QString::number(value < 0 ? -value : value).rightJustified(2, u'0');
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

HwInfoBlockFields readHwInfoBlockFields(const QByteArray& block) {
    HwInfoBlockFields fields;
    fields.serial = g_byteToDezValStr(4, kSerialOffset, block, false);
    fields.serialPresent = fields.serial.trimmed() != QLatin1String("-1");

    std::optional<ProductionDate> date = productionDateFromDigits(block);
    if (!date)
        date = productionDateFromNumbers(block);
    if (date) {
        fields.dateRead = true;
        fields.week = twoDigits(date->week);
        fields.year = QString::number(date->year);
    }

    fields.version = twoDigits(g_byteToDezValStr(4, kVersionOffset, block, false).toLongLong());
    return fields;
}

QByteArray paddedHwInfoBlock(QByteArray block) {
    block = block.left(HardwareInfoBlock::kSize);
    block.append(QByteArray(HardwareInfoBlock::kSize - block.size(), '\0'));
    return block;
}

QByteArray repairedHwInfoBlock(const QByteArray& templateBlock, qint32 hardwareVersion,
                               qint64 serial, int week, int year) {
    const QByteArray base = paddedHwInfoBlock(templateBlock);
    HardwareInfoBlock block = HardwareInfoBlock::decode(base);
    block.hardwareVersion = hardwareVersion;
    block.serial = qint32(quint32(serial));
    block.week = twoDigits(week).toLatin1();
    block.year = QString::number(year).right(2).toLatin1();
    return block.encode(base);
}

} // namespace pxu
