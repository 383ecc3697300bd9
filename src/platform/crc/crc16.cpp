#include "crc.h"

#include <array>
#include <cstdint>

namespace pxu {

namespace {

struct Crc16Variant {
    std::uint16_t polynomial;
    bool reflected; // least significant bit first (input and output)
    std::uint16_t finalXor;
};

// The modules' variant. Another one is a change of this line only.
constexpr Crc16Variant kModuleCrc16{0x1021, false, 0x0000};

constexpr std::uint16_t reflect16(std::uint16_t v) {
    std::uint16_t r = 0;
    for (int i = 0; i < 16; ++i)
        r = std::uint16_t(r | (((v >> i) & 1u) << (15 - i)));
    return r;
}

constexpr std::array<std::uint16_t, 256> makeTable(Crc16Variant v) {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::uint16_t crc;
        if (v.reflected) {
            const std::uint16_t poly = reflect16(v.polynomial);
            crc = std::uint16_t(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = std::uint16_t((crc & 1u) ? (crc >> 1) ^ poly : crc >> 1);
        } else {
            crc = std::uint16_t(byte << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = std::uint16_t((crc & 0x8000u) ? (crc << 1) ^ v.polynomial : crc << 1);
        }
        table[byte] = crc;
    }
    return table;
}

constexpr auto kTable = makeTable(kModuleCrc16);

} // namespace

qint16 CrcCalculation(const void* data, qint32 length, qint32 start) {
    std::uint16_t crc = std::uint16_t(start);
    if (length > 0 && data) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        const auto* end = p + length;
        if (kModuleCrc16.reflected) {
            while (p != end)
                crc = std::uint16_t((crc >> 8) ^ kTable[(crc ^ *p++) & 0xFFu]);
        } else {
            while (p != end)
                crc = std::uint16_t((crc << 8) ^ kTable[((crc >> 8) ^ *p++) & 0xFFu]);
        }
    }
    return qint16(std::uint16_t(crc ^ kModuleCrc16.finalXor));
}

} // namespace pxu
