#include "heart_beat_control.h"

#include "bus_hooks.h"
#include "can_open_master.h"
#include "core/error_boundary.h"

namespace pxu::modHeartBeatControl {

namespace {
struct Tables {
    std::array<bool, kModuleCount> appAlive{};
    std::array<bool, kModuleCount> bootAlive{};
    std::array<qint32, kModuleCount> appAge{};
    std::array<qint32, kModuleCount> bootAge{};
    ModuleStates status{};
    bool updateDisplay = true;
    bool oldBootloaderOnMBus = false;
};
Tables& tables() {
    static Tables t;
    return t;
}
bool isModule(int m) {
    return m >= 0 && m < kModuleCount;
}
} // namespace

void g_initialise() {
    tables() = Tables{};
}

void g_receiveHeartBeat(qint32 cobId) {
    guarded("modHeartBeatControl", "g_receiveHeartBeat", [&] {
        Tables& t = tables();
        const int node = cobId - 0x700;
        if (g_mBusMode && node == kOldBootloaderNode)
            t.oldBootloaderOnMBus = true;
        int m = node - g_cobIdApplication;
        if (!isModule(m))
            m = node - g_cobIdBootloader;
        if (!isModule(m))
            return;
        if (node - m == g_cobIdBootloader) {
            t.bootAge[m] = 0;
            t.bootAlive[m] = true;
            t.appAlive[m] = false;
        }
        if (node - m == g_cobIdApplication) {
            t.appAge[m] = 0;
            t.appAlive[m] = true;
            t.bootAlive[m] = false;
        }
    });
}

void g_heartBeatControl_Update() {
    guarded("modHeartBeatControl", "g_heartBeatControl_Update", [&] {
        frmCANopen().g_forceHeartBeatCheck();
        Tables& t = tables();
        for (int m = 0; m < kModuleCount; ++m) {
            ++t.bootAge[m];
            ++t.appAge[m];
            if (t.bootAge[m] > kMaxAge)
                t.bootAlive[m] = false;
            if (t.appAge[m] > kMaxAge)
                t.appAlive[m] = false;
            qint32 state = moduleNotConnected;
            if (t.appAlive[m])
                state = moduleApplicationRunning;
            if (t.bootAlive[m])
                state = moduleBootloaderRunning;
            t.status[m] = state;
        }
        if (t.updateDisplay)
            refreshConnectionDisplay();
    });
}

ModuleStates g_getHeartBeatStatus() {
    return tables().status;
}

qint32 g_getModuleStatusHB(int module) {
    return isModule(module) ? tables().status[module] : moduleNotConnected;
}

bool g_oldBootloaderDetectedOnMBus() {
    return tables().oldBootloaderOnMBus;
}

bool hbUpdateDisplay() {
    return tables().updateDisplay;
}

void setHbUpdateDisplay(bool on) {
    tables().updateDisplay = on;
}

} // namespace pxu::modHeartBeatControl
