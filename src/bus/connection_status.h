#pragma once

#include "module_states.h"

// The one place the program asks for module states: the heartbeat table, and on the M-Bus
// the auto-download table for the cylinder modules.
namespace pxu::modConnectionStatus {

// The states the program shows and decides on. On the M-Bus it also logs in to the auto
// download once the spare module runs its application, and resets the auto-download state
// while the spare is absent or in its bootloader; a failed log-in is logged once, not shown.
ModuleStates g_getConnectionStatus();
// One module's state, without side effect.
qint32 g_getModuleStatus(int module);

// Forgets the log-in (tests).
void resetAutoLogin();
bool autoLoginDone();

} // namespace pxu::modConnectionStatus
