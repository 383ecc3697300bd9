#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// The service channel's messages to the modules (8 data bytes, little-endian numbers).
namespace pxu {

inline constexpr qint32 kServiceChannelCobId = 0x382;
inline constexpr qint32 kUserLevelCobId = 0x482;
inline constexpr qint32 kVariableValueCobId = 0x411;

inline constexpr quint8 kServiceBitCommand = 0x85;
inline constexpr quint8 kWriteSymbolCommand = 0x80;

// Switches a variable's reporting on (1) or off (0); the id may carry a module number in
// bits 12 to 15. Nothing for an id beyond 16 bits.
std::optional<QByteArray> serviceBitMessage(qint32 variableId, quint8 onOff);
// Writes the four value bytes to the module's copy of the variable (id + 4096 x module).
// Nothing when that id does not fit 16 bits or the value is not four bytes.
std::optional<QByteArray> writeSymbolMessage(qint32 variableId, int module,
                                             const QByteArray& value);
QByteArray userLevelMessage(quint8 level);

} // namespace pxu
