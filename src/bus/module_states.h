#pragma once

#include "core/globals.h"

#include <QtGlobal>
#include <array>

namespace pxu {

// What runs on a module, as the heartbeat and auto-download tables keep it.
enum ModuleStatus : qint32 {
    moduleNotConnected = 0,
    moduleApplicationRunning = 1,
    moduleBootloaderRunning = 2,
};

// One state per module number 0 to 14.
using ModuleStates = std::array<qint32, kModuleCount>;

} // namespace pxu
