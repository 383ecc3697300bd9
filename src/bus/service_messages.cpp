#include "service_messages.h"

namespace pxu {

namespace {

QByteArray idMessage(quint32 id, quint8 command) {
    QByteArray bytes(8, '\0');
    bytes[0] = char(id & 0xFF);
    bytes[1] = char((id & 0xFF00) >> 8);
    bytes[3] = char(command);
    return bytes;
}

} // namespace

std::optional<QByteArray> serviceBitMessage(qint32 variableId, quint8 onOff) {
    if (variableId < 0 || variableId > 0xFFFF)
        return std::nullopt;
    QByteArray bytes = idMessage(quint32(variableId), kServiceBitCommand);
    bytes[4] = char(onOff);
    return bytes;
}

std::optional<QByteArray> writeSymbolMessage(qint32 variableId, int module,
                                             const QByteArray& value) {
    if (variableId < 0 || module < 0 || value.size() != 4)
        return std::nullopt;
    // Unsigned: modules 8 and up do not fit a signed 16-bit product.
    const quint32 id = quint32(variableId) + 4096u * quint32(module);
    if (id > 0xFFFF)
        return std::nullopt;
    QByteArray bytes = idMessage(id, kWriteSymbolCommand);
    bytes.replace(4, 4, value);
    return bytes;
}

QByteArray userLevelMessage(quint8 level) {
    QByteArray bytes(8, '\0');
    bytes[0] = char(level | 0x80);
    return bytes;
}

} // namespace pxu
