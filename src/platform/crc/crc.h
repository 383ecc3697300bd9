#pragma once

#include <QtGlobal>

namespace pxu {

// The checksums the modules check themselves: the tool writes them into info blocks and
// compares them with the values stored there, so both sides must use the same algorithm.
// The results are used as bit patterns; callers keep them as signed numbers.
//
// CRC-32 (IEEE 802.3, as zlib's crc32): start is the value to continue from, 0 for a new
// checksum. CRC-16: polynomial 0x1021, most significant bit first, start is the initial
// register value (its low 16 bits), no final XOR.
qint32 CrcCalculation32(const void* data, qint32 length, qint32 start);
qint16 CrcCalculation(const void* data, qint32 length, qint32 start);

} // namespace pxu
