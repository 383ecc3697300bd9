#include "mode_change.h"

#include "auto_download.h"
#include "can_open_error.h"
#include "can_open_master.h"
#include "connection_status.h"
#include "core/config_items.h"
#include "core/error_boundary.h"
#include "core/message_window.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "core/vb_val.h"
#include "heart_beat_control.h"
#include "platform/clock/clock.h"

namespace pxu::modModeChange {

namespace {

constexpr const char* kObject = "modModeChange";
constexpr qint32 kProgramControl = 0x1F51;
constexpr int kFirstBudget = 150;
constexpr int kLaterBudget = 15;
constexpr int kBootloaderAttempts = 3;
constexpr int kBootloaderPolls = 41;
constexpr int kStandStillWaitMs = 20000;

qint32 stateOf(int module) {
    return modConnectionStatus::g_getModuleStatus(module);
}

void log(const QString& text) {
    mainWindowServices().addMessage(text);
}

QString moduleLine(const char* format, int module) {
    return sprintf(QString::fromLatin1(format), g_moduleType, module);
}

bool writeProgramControl(int node, quint8 sub, quint8 value, qint32 timeoutMs) {
    return frmCANopen().g_writeSDO(quint8(node), kProgramControl, sub, 1,
                                   QByteArray(1, char(value)), true, timeoutMs);
}

// After a fatal log-off or with the channel lost nothing answers any more: a wait would
// only spend its time, each network start raise a box.
bool busGone() {
    return mainWindowServices().programEnding() || frmCANopen().channelLost();
}

bool searchNode(int module, int base) {
    qint32 lastResult = 0;
    return frmCANopen().g_searchNode(module, quint8(base), true, lastResult);
}

// The connection display stays still while an application start waits.
class DisplayRefreshOff {
public:
    DisplayRefreshOff() { modHeartBeatControl::setHbUpdateDisplay(false); }
    ~DisplayRefreshOff() { modHeartBeatControl::setHbUpdateDisplay(true); }
};

// The network starts of the bootloader polls. Only the first failure of a bootloader start
// shows its box; a closed interface would otherwise raise one for every poll. The rest are
// counted and told once in the log when the outermost start ends.
class NetworkStarts {
public:
    NetworkStarts() {
        if (s_depth++ == 0)
            s_failures = 0;
    }
    ~NetworkStarts() {
        if (--s_depth == 0 && s_failures > 1)
            log(sprintf(QStringLiteral("      Set operational: {*} ({*} more times, not shown)"),
                        getErrorText(s_lastResult), s_failures - 1));
    }
    NetworkStarts(const NetworkStarts&) = delete;
    NetworkStarts& operator=(const NetworkStarts&) = delete;

    static void send() {
        CanOpenMaster& master = frmCANopen();
        if (master.g_setOperational(0, s_failures > 0))
            return;
        ++s_failures;
        s_lastResult = master.lastResult();
    }

private:
    static inline int s_depth = 0;
    static inline int s_failures = 0;
    static inline qint32 s_lastResult = 0;
};

std::array<int, kModuleCount> switchOrder() {
    std::array<int, kModuleCount> order{};
    for (int i = 0; i < kModuleCount; ++i)
        order[i] = g_mBusMode ? kModuleCount - 1 - i : i; // the spare last on the M-Bus
    return order;
}

} // namespace

bool startApplication(int module, bool noWait, int rounds) {
    bool found = false;
    guarded(kObject, "startApplication", [&] {
        const DisplayRefreshOff refreshOff;
        MainWindowServices& window = mainWindowServices();
        window.setAbortRequested(false);
        if (!(g_mBusMode && module > 0))
            writeProgramControl(g_cobIdBootloader + module, kevOrToq() ? 2 : 6, 1,
                                kevOrToq() ? 2000 : 0);
        if (noWait)
            return;
        for (int r = 0; r <= rounds * 10; ++r) {
            clock().sleep(20);
            clock().doEvents();
            if (window.g_abortRequested() || busGone())
                break;
            if (searchNode(module, g_cobIdApplication)) {
                found = true;
                break;
            }
        }
    });
    return found;
}

bool g_startApplication(const ModuleSelection& selection, bool all) {
    bool result = false;
    guarded(kObject, "g_startApplication", [&] {
        MainWindowServices& window = mainWindowServices();
        std::array<bool, kModuleCount> alreadyRunning{};
        for (int n = 0; n < kModuleCount; ++n)
            alreadyRunning[n] = stateOf(n) == moduleApplicationRunning;
        const ModuleSelection saved = window.g_getUserSelection();
        result = true;
        quint16 cylinderMask = 0;
        log(QStringLiteral("   Start application"));

        if (vbVal(g_canInterfaceVersion) < 1.1) {
            if (!g_debugMode) {
                log(QStringLiteral("   Start application cancelled, because CANInterface DLL "
                                   "version is less than 1.1"));
                g_warningMsgBox(QStringLiteral("Please restart application manually by "
                                               "exiting\\rloader and resetting power (off-on) "
                                               "of all PXU-20 modules."),
                                QStringLiteral("Start Application"));
                result = false;
                return;
            }
            log(QStringLiteral(" Start application is executed with old DLL because debug mode "
                               "is active"));
        }

        for (int n = 0; n < kModuleCount && !frmCANopen().channelLost(); ++n) {
            if (!selection[n] || !(window.g_downloadStatusOk(n) || all) ||
                stateOf(n) == moduleApplicationRunning)
                continue;
            if (!g_mBusMode) {
                startApplication(n, true, kFirstBudget);
            } else if (n == 0) {
                if (startApplication(0, false, kFirstBudget))
                    modAutoDownload::g_login();
            } else {
                cylinderMask |= quint16(1u << n);
            }
        }
        if (g_mBusMode && !frmCANopen().channelLost())
            modAutoDownload::g_sendCommand(modAutoDownload::adlStartApplication, cylinderMask, 0);

        int budget = kFirstBudget;
        for (int n = 0; n < kModuleCount; ++n) {
            if (!selection[n] || alreadyRunning[n] || !(window.g_downloadStatusOk(n) || all))
                continue;
            bool started = stateOf(n) == moduleApplicationRunning;
            if (!started && !window.g_abortRequested() && !busGone()) {
                started = startApplication(n, false, budget);
                budget = kLaterBudget;
            }
            // Whether the rest would start is not known: the caller tells why it stopped.
            if (!started && frmCANopen().channelLost()) {
                result = false;
                break;
            }
            if (started) {
                log(moduleLine("      {*} {*}: ok", n));
            } else {
                result = false;
                log(moduleLine("      {*} {*}: not started!", n));
            }
        }
        window.g_restoreUserSelection(saved);
    });
    return result;
}

void restartSwitched(const ModuleSelection& switched) {
    ModuleSelection waiting{};
    bool any = false;
    for (int m = 0; m < kModuleCount; ++m) {
        waiting[m] = switched[m] && stateOf(m) != moduleApplicationRunning;
        any = any || waiting[m];
    }
    if (any)
        g_startApplication(waiting, true);
}

bool startBootloader(int module, bool bootloaderRunning, bool noWait, bool skipCommand) {
    bool found = false;
    const NetworkStarts networkStarts;
    guarded(kObject, "startBootloader", [&] {
        CanOpenMaster& master = frmCANopen();
        MainWindowServices& window = mainWindowServices();
        const quint8 sub = kevOrToq() ? 1 : 3;
        for (int attempt = 0; attempt < kBootloaderAttempts && !found; ++attempt) {
            const quint8 value = bootloaderRunning ? 2 : 1;
            const int node = module + (bootloaderRunning ? g_cobIdBootloader : g_cobIdApplication);
            if (!(g_mBusMode && module > 0) && !skipCommand)
                writeProgramControl(node, sub, value, 0);
            for (int poll = 0; poll < kBootloaderPolls; ++poll) {
                clock().sleep(25);
                clock().doEvents();
                if (busGone())
                    return;
                // Nobody answers node 0: this only spends the 100 ms time-out, which gives
                // the module time to boot between the network starts.
                master.g_writeSDO(0, 0, 0, 1, QByteArray(1, '\0'), true, 100);
                NetworkStarts::send();
                found = searchNode(module, g_cobIdBootloader);
                if (noWait)
                    return;
                if (found)
                    break;
            }
        }
        if (found && window.g_getBootloaderVersionChange(module)) {
            master.g_resetSDOTransferMode(module);
            window.g_resetBootloaderVersionChange(module);
        }
    });
    return found;
}

bool g_enoughCylindersToRunEngine() {
    bool enough = false;
    guarded(kObject, "g_enoughCylindersToRunEngine", [&] {
        int running = 0;
        for (int n = 1; n < kModuleCount; ++n) {
            if (stateOf(n) == moduleApplicationRunning)
                ++running;
        }
        enough = running >= g_numRequiredCylinders;
    });
    return enough;
}

bool engineStandStill() {
    bool standStill = false;
    guarded(kObject, "engineStandStill", [&] {
        if (!g_mBusMode || !g_enoughCylindersToRunEngine()) {
            standStill = true;
            return;
        }
        using namespace modAutoDownload;
        qint64 elapsed = 0;
        if (g_getEngineStandStillStatus() == engineNoSignal) {
            log(QStringLiteral("Waiting for Engine StandStill signal."));
            do {
                clock().sleep(30);
                elapsed += 30;
                clock().doEvents();
            } while (g_getEngineStandStillStatus() == engineNoSignal &&
                     elapsed < kStandStillWaitMs && !busGone());
        }
        if (busGone())
            return;
        if (elapsed >= kStandStillWaitMs) {
            g_errorMsgBox(QStringLiteral("Engine standstill signal was not received."));
            return;
        }
        standStill = g_getEngineStandStillStatus() == engineStandingStill;
    });
    return standStill;
}

bool g_startBootloader(const ModuleSelection& selection, bool ask) {
    bool result = false;
    const NetworkStarts networkStarts;
    guarded(kObject, "g_startBootloader", [&] {
        MainWindowServices& window = mainWindowServices();
        const ModuleSelection saved = window.g_getUserSelection();
        std::array<bool, kModuleCount> alreadyInBootloader{};
        bool allThere = true;
        for (int n = 0; n < kModuleCount; ++n) {
            alreadyInBootloader[n] = stateOf(n) == moduleBootloaderRunning;
            if (selection[n] && !alreadyInBootloader[n])
                allThere = false;
        }
        log(QStringLiteral("   Start bootloader"));
        if (allThere) {
            log(QStringLiteral("      All selected modules are already in bootloader"));
            result = true;
            return;
        }

        if (busGone())
            return;
        if (!kevOrToq()) {
            bool go = engineStandStill();
            if (busGone())
                return;
            if (go && !g_applUpdate)
                go = frmMessage2().questionMsgBox(
                    g_getUserMessage(7), QStringLiteral("Start Bootloader"),
                    QStringLiteral("Continue"), QStringLiteral("Abort"));
            if (!go) {
                log(QStringLiteral("   Bootloader cannot be started because engine is running."));
                return;
            }
        }

        if (g_mBusMode) {
            const bool spareWanted = selection[0] && stateOf(0) != moduleBootloaderRunning;
            quint16 cylinderMask = 0;
            bool cylinderConnected = false;
            for (int n = 1; n < kModuleCount; ++n) {
                if (selection[n])
                    cylinderMask |= quint16(1u << n);
                if (stateOf(n) != moduleNotConnected)
                    cylinderConnected = true;
            }
            if (ask && spareWanted && cylinderConnected &&
                !g_questionMsgBox(QStringLiteral("PXU-Loader is connected to M-Bus (auto-download "
                                                 "mode). The connection ") +
                                  QStringLiteral("to all other modules will be lost if bootloader "
                                                 "is started on PXU#0. Do you still ") +
                                  QStringLiteral("want to start bootloader on PXU#0?")))
                return;
            if (cylinderMask != 0 && !modAutoDownload::g_sendCommand(
                                         modAutoDownload::adlStartBootloader, cylinderMask, 0)) {
                if (busGone())
                    return;
                g_errMsgBox(
                    QStringLiteral("Error: could not start bootloader on autodownload modules."));
                return;
            }
        }

        const auto order = switchOrder();
        if (!g_mBusMode) {
            for (const int n : order) {
                if (selection[n] && !alreadyInBootloader[n])
                    startBootloader(n, false, true, false);
            }
        }
        int failures = 0;
        for (const int n : order) {
            if (!selection[n] || alreadyInBootloader[n]) {
                if (g_debugMode) {
                    log(sprintf(QStringLiteral("      DEBUG: not starting Bootloader on PXU#{00}"),
                                n));
                    log(sprintf(QStringLiteral("      DEBUG: selected: {*} alreadyRunning: {*}"),
                                selection[n], alreadyInBootloader[n]));
                }
                continue;
            }
            if (startBootloader(n, false, false, !g_mBusMode)) {
                log(moduleLine("      {*} {*}: ok", n));
                continue;
            }
            ++failures;
            if (busGone())
                break;
            if (stateOf(n) == moduleNotConnected)
                window.downloadFailure(
                    QStringLiteral("      failed! Could not start Bootloader  because heartbeat "
                                   "was not received. \r      Please check the connection to "
                                   "the PXU and try again."),
                    n);
            else
                window.downloadFailure(QStringLiteral("      failed!"), n);
            break;
        }
        result = failures == 0;
        window.g_restoreUserSelection(saved);
        clock().sleep(200);
    });
    return result;
}

ModuleSelection g_singeTargetSelection(int module) {
    ModuleSelection selection{};
    if (module >= 0 && module < kModuleCount)
        selection[module] = true;
    return selection;
}

} // namespace pxu::modModeChange
