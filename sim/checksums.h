#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu::sim {

// The module firmware's CRC-32 (IEEE 802.3, as zlib's crc32) continuing from `start`.
quint32 crc32(const QByteArray& data, quint32 start = 0);
quint32 crc32(const char* data, qsizetype length, quint32 start = 0);

// CRC-16 of SDO block transfers: polynomial 0x1021, MSB first, starting value 0, no final XOR.
quint16 sdoBlockCrc(const QByteArray& data);

} // namespace pxu::sim
