#include "checksums.h"

#include <zlib.h>

namespace pxu::sim {

quint32 crc32(const char* data, qsizetype length, quint32 start) {
    uLong crc = start;
    // zlib takes the length as uInt, so long buffers go in pieces.
    while (length > 0) {
        const auto piece = static_cast<uInt>(std::min<qsizetype>(length, 1 << 30));
        crc = ::crc32(crc, reinterpret_cast<const Bytef*>(data), piece);
        data += piece;
        length -= piece;
    }
    return static_cast<quint32>(crc);
}

quint32 crc32(const QByteArray& data, quint32 start) {
    return crc32(data.constData(), data.size(), start);
}

quint16 sdoBlockCrc(const QByteArray& data) {
    quint16 crc = 0;
    for (const char c : data) {
        crc ^= quint16(quint8(c)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

} // namespace pxu::sim
