#pragma once

#include "main_window_services.h"

// Switching modules between their application and their bootloader: by SDO on the S-Bus
// (and for the spare on the M-Bus), by an auto-download command for the M-Bus cylinders.
// Success is judged by the module states that follow (modConnectionStatus).
namespace pxu::modModeChange {

// Starts the application on the selected modules that do not run it yet; without all,
// only where the download of this run succeeded. True unless a module did not start, the
// run was aborted or the CAN interface is too old.
bool g_startApplication(const ModuleSelection& selection, bool all);
// Starts the bootloader on the selected modules, once the engine stands still and the
// user agreed; ask allows the question about the spare on the M-Bus. True when every
// module reached its bootloader.
bool g_startBootloader(const ModuleSelection& selection, bool ask);

// Gives the application back to the selected modules that an operation switched to their
// bootloader, where they do not run it: an earlier download's red lamp must not keep such
// a module in its bootloader, so the start does not depend on the download status.
void restartSwitched(const ModuleSelection& switched);

// Once started, the spare's application takes this long before it serves the auto
// download, by which the M-Bus cylinders are switched.
inline constexpr qint64 kSpareServesAutoDownloadMs = 2505;

// One module; waits up to rounds x 10 + 1 passes of 20 ms for its application unless
// noWait (then False).
bool startApplication(int module, bool noWait, int rounds);
// One module, up to three attempts; with bootloaderRunning the bootloader restarts
// itself. skipCommand only waits; noWait returns after the first poll.
bool startBootloader(int module, bool bootloaderRunning, bool noWait, bool skipCommand);

// At least g_numRequiredCylinders cylinder modules run their application.
bool g_enoughCylindersToRunEngine();
// The standstill gate before a bootloader start on the M-Bus.
bool engineStandStill();
ModuleSelection g_singeTargetSelection(int module);

} // namespace pxu::modModeChange
