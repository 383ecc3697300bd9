#pragma once

#include <QString>
#include <QVariant>

// The stored encodings that the table editor's grids turn typed entries into and show as
// readable texts: the Modbus address and the producer mask.
namespace pxu::dc {

// The two grids of the table editor: parameters and variables, or alarms.
enum class EditGrid { dcEnums, alarmEnums };

// Registers are numbered from this base: 30000 for dcEnums, 10000 for alarmEnums.
int modbusBase(EditGrid grid);
// Bit 15 of a Modbus address: the address is absolute, not relative to the module.
constexpr qint64 kModbusAbsolute = 32768;
// The largest offset a Modbus address holds beside bit 15.
constexpr qint64 kModbusMaxOffset = 32767;
// Bit 15 of a producer mask: the producers are combined with an OR function.
constexpr int kProducerOrBit = 15;

// What an entry typed into a cell becomes.
struct CellEntry {
    enum Outcome {
        Store,      // value is stored
        Refuse,     // the grid refuses the entry without a word
        OutOfRange, // the entry's offset lies outside 0 to 32767: refused with a message
    };
    Outcome outcome = Refuse;
    QVariant value;
};

// A Modbus-address entry: an offset or a full register number (above the base), which
// is stored absolute; "Cyl+" and either, stored relative; dcEnums keeps 0 as "none",
// alarmEnums stores an empty entry as "none".
CellEntry modbusEntry(EditGrid grid, const QString& entry);
// The stored address as the grid shows it: "---", the register, or "Cyl+" and the
// register of module 0.
QString modbusText(EditGrid grid, const QVariant& stored);

// An entry in the producer column of bit (0 to 14 the modules, 15 the OR): empty or 0
// clears the bit, "X" or 1 sets it, a number up to 32767 is the whole mask, a negative one
// clears it; anything else is refused.
CellEntry producerEntry(const QString& entry, int bit, qint64 oldMask);
bool producerBitSet(const QVariant& mask, int bit);

// The tip over the Modbus-address column.
QString modbusTip(EditGrid grid);
// The tip over the producer column of bit: the module's register when it produces the
// signal and the row has an address.
QString producerTip(EditGrid grid, int bit, const QVariant& modbusAddr, const QVariant& mask);

} // namespace pxu::dc
