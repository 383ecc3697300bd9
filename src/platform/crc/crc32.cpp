#include "crc.h"

#include <zlib.h>

namespace pxu {

qint32 CrcCalculation32(const void* data, qint32 length, qint32 start) {
    if (length <= 0 || !data)
        return start;
    const uLong crc = crc32(quint32(start), static_cast<const Bytef*>(data), uInt(length));
    return qint32(quint32(crc));
}

} // namespace pxu
