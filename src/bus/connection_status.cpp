#include "connection_status.h"

#include "auto_download.h"
#include "bus_hooks.h"
#include "core/error_boundary.h"
#include "heart_beat_control.h"

namespace pxu::modConnectionStatus {

namespace {
bool m_autoLoginDone = false;
}

ModuleStates g_getConnectionStatus() {
    ModuleStates result{};
    guarded("modConnectionStatus", "g_getConnectionStatus", [&] {
        if (!g_mBusMode) {
            result = modHeartBeatControl::g_getHeartBeatStatus();
            return;
        }
        const qint32 s0 = modHeartBeatControl::g_getModuleStatusHB(0);
        if (s0 == moduleNotConnected || s0 == moduleBootloaderRunning) {
            m_autoLoginDone = false;
            modAutoDownload::g_resetConnectionStatus();
        } else if (s0 == moduleApplicationRunning && !m_autoLoginDone) {
            m_autoLoginDone = true;
            // Runs from the grid refresh of every tick: a failure is logged, not boxed.
            modAutoDownload::g_login([](const QString& text) {
                logBusFailureOnce(BusFailure::AutoDownloadLogin, text);
            });
        }
        result = modAutoDownload::g_getAutoDwnlConnStatus();
        result[0] = s0;
    });
    return result;
}

qint32 g_getModuleStatus(int module) {
    if (g_mBusMode && module > 0)
        return modAutoDownload::g_getModuleStatusADL(module);
    return modHeartBeatControl::g_getModuleStatusHB(module);
}

void resetAutoLogin() {
    m_autoLoginDone = false;
}

bool autoLoginDone() {
    return m_autoLoginDone;
}

} // namespace pxu::modConnectionStatus
