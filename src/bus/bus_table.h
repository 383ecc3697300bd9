#pragma once

#include <QString>

namespace pxu {

// Bit rate and node-id bases of a bus, from the configuration items or their defaults.
struct BusSettings {
    bool mBus = false;
    int bitRateKbit = 0;
    int cobIdBootloader = 0;
    int cobIdApplication = 0;
    // The S-Bus bootloader base, kept on the M-Bus (where the cylinder bootloaders answer
    // on it); else 0.
    int cobIdBootloaderSbus = 0;
};

// The settings for the bus text ("M..." is the M-Bus, any letter case) and the LORIN mode;
// the KEV and TOQ module types have their own bases and are never on the M-Bus.
BusSettings busSettings(const QString& bus, bool lorinMode);

} // namespace pxu
