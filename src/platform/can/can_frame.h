#pragma once

#include <QtGlobal>
#include <array>

namespace pxu::can {

// One standard (11-bit) CAN data frame.
struct CanFrame {
    quint32 id = 0;
    quint8 length = 0;
    std::array<quint8, 8> data{};

    bool operator==(const CanFrame&) const = default;
};

} // namespace pxu::can
