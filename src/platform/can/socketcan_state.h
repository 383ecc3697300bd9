#pragma once

#include <QString>

namespace pxu::can {

// What a SocketCAN interface's flags say about its channel. A socketcan device stays
// "connected" when its interface goes down or away; only the interface tells.
struct InterfaceFlags {
    bool exists = false;
    bool up = false;
    bool running = false; // carrier: a controller in bus-off has none
};

// Why no frame passes on the interface; empty while frames can.
QString socketcanLossReason(const InterfaceFlags& flags);
// The flags of the named interface now.
InterfaceFlags socketcanInterfaceFlags(const QString& interfaceName);

} // namespace pxu::can
