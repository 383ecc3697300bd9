#pragma once

#include "core/globals.h"

#include <QtGlobal>

namespace pxu {

// The bootloader node that reads a module's info blocks and loading status. On the M-Bus
// the cylinder bootloaders answer at the S-Bus bootloader base.
inline quint8 bootloaderReadNode(int module) {
    if (g_mBusMode && module > 0)
        return quint8(g_cobIdBootloaderSbus + module);
    return quint8(g_cobIdBootloader + module);
}

} // namespace pxu
