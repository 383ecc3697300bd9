#include "grid_encodings.h"

#include "core/sprintf.h"
#include "core/vb_val.h"
#include "number_text.h"

namespace pxu::dc {

namespace {

CellEntry store(double value) {
    return {CellEntry::Store, value};
}

// An offset beside bit 15 of the address, or nothing outside its range.
bool offsetInRange(double offset) {
    return offset >= 0 && offset <= double(kModbusMaxOffset);
}

} // namespace

int modbusBase(EditGrid grid) {
    return grid == EditGrid::dcEnums ? 30000 : 10000;
}

CellEntry modbusEntry(EditGrid grid, const QString& entry) {
    const double base = modbusBase(grid);
    const auto number = numberFromText(entry);
    if (!number) {
        if (entry.left(4).toUpper() == QLatin1String("CYL+")) {
            double value = vbVal(entry.mid(4));
            if (value > base)
                value -= base;
            return offsetInRange(value) ? store(value) : CellEntry{CellEntry::OutOfRange, {}};
        }
        if (grid == EditGrid::alarmEnums && entry.isEmpty())
            return store(0);
        return {CellEntry::Refuse, {}};
    }
    double value = *number;
    if (value > base)
        value -= base;
    if (!offsetInRange(value))
        return {CellEntry::OutOfRange, {}};
    if (grid == EditGrid::alarmEnums || value != 0)
        value += double(kModbusAbsolute);
    return store(value);
}

QString modbusText(EditGrid grid, const QVariant& stored) {
    const qint64 value = stored.toLongLong();
    if (value == 0)
        return QStringLiteral("---");
    if (value >= kModbusAbsolute)
        return QString::number(value - kModbusAbsolute + modbusBase(grid));
    return QStringLiteral("Cyl+") + QString::number(value + modbusBase(grid));
}

CellEntry producerEntry(const QString& entry, int bit, qint64 oldMask) {
    const qint64 mask = qint64(1) << bit;
    const auto number = numberFromText(entry);
    if (entry.isEmpty() || (number && *number == 0))
        return store(double(oldMask & ~mask));
    if (entry.compare(QLatin1String("X"), Qt::CaseInsensitive) == 0 || (number && *number == 1))
        return store(double(oldMask | mask));
    if (number && *number > 1 && *number <= double(kModbusMaxOffset))
        return store(*number);
    if (number && *number < 0)
        return store(0);
    return {CellEntry::Refuse, {}};
}

bool producerBitSet(const QVariant& mask, int bit) {
    return (mask.toLongLong() >> bit) & 1;
}

QString modbusTip(EditGrid grid) {
    return grid == EditGrid::dcEnums ? QStringLiteral("30xxx or Cyl+30xxx")
                                     : QStringLiteral("10xxx or Cyl+10xxx");
}

QString producerTip(EditGrid grid, int bit, const QVariant& modbusAddr, const QVariant& mask) {
    if (bit == kProducerOrBit)
        return QStringLiteral("If set all producers are combined with an or-function");
    const qint64 address = modbusAddr.toLongLong();
    if (address == 0 || !producerBitSet(mask, bit))
        return sprintf(QStringLiteral("Modul {*}"), bit);
    qint64 reg = address + bit;
    if (address >= kModbusAbsolute)
        reg = address - kModbusAbsolute;
    else if (grid == EditGrid::alarmEnums && mask.toLongLong() >= qint64(1) << kProducerOrBit)
        reg = address + kProducerOrBit;
    return sprintf(QStringLiteral("Modul {*}: Modbus-Addr. = {*}"), bit, reg + modbusBase(grid));
}

} // namespace pxu::dc
