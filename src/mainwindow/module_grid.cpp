#include "bus/auto_download.h"
#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "bus/heart_beat_control.h"
#include "bus/mode_change.h"
#include "core/config_items.h"
#include "core/error_boundary.h"
#include "core/msg_box.h"
#include "core/vb_val.h"
#include "main_window.h"

namespace pxu {

namespace {

constexpr int kLastDornModule = 2;
constexpr double kFirstBigMemHardware = 7;

const QString kLorinModuleText =
    QStringLiteral("Only module 0 may be connected in LORIN mode.\rHigher cylinder number has "
                   "been detected. The Loader will terminate!");

} // namespace

bool MainWindow::endFatally(const QString& text) {
    // The box's own event loop lets the next refresh in: it must not show the box again.
    m_fatalConnectionSeen = true;
    g_errorMsgBox(text, {}, true);
    g_logOffApplication(true);
    return true;
}

bool MainWindow::checkModuleNumberRules(int module, bool bootloader) {
    if (g_applType == applTypeDorn && module > kLastDornModule)
        return endFatally(bootloader ? g_getUserMessage(3)
                                     : QStringLiteral("There are PXU's with higher ID then 2 in "
                                                      "this system.\r\nPlease check ID-plugs."));
    if (g_applType == applTypeLorx && module > 0)
        return endFatally(kLorinModuleText);
    return false;
}

void MainWindow::showModuleState(int module, qint32 state) {
    const bool bootloader = state == moduleBootloaderRunning;
    const int shownBefore =
        bootloader ? m_selection.bootLoaderRunning(module) : m_selection.applicationRunning(module);
    if (shownBefore == 0) {
        // The module entered this state since the last refresh.
        if (module == 0 && g_mBusMode)
            modAutoDownload::g_checkMBusModuleID(bootloader);
        if (vbVal(row(module).hwCaption) == 0) {
            QString caption;
            frmCANopen().g_getHardwareVersion(module, bootloader, caption);
            setHwCaption(module, caption);
        }
    }
    m_selection.setBootLoaderRunning(module, bootloader ? 1 : 0);
    m_selection.setApplicationRunning(module, bootloader ? 0 : 1);
    m_selection.setProgramEnabled(module, true);
}

void MainWindow::showEngineState() {
    if (!g_mBusMode) {
        setEngineDisplay(false, m_view.imgEngineRunningVisible, m_view.imgEngineStStillVisible);
        return;
    }
    const qint32 status = modModeChange::g_enoughCylindersToRunEngine()
                              ? modAutoDownload::g_getEngineStandStillStatus()
                              : qint32(modAutoDownload::engineNoSignal);
    if (status == modAutoDownload::engineRunning) {
        setEngineDisplay(true, true, false);
        m_lock.setEngineRunningLock(true);
        return;
    }
    if (status == modAutoDownload::engineStandingStill)
        setEngineDisplay(true, false, true);
    else
        setEngineDisplay(false, m_view.imgEngineRunningVisible, m_view.imgEngineStStillVisible);
    m_lock.setEngineRunningLock(false);
}

void MainWindow::g_updateConnectionStatus() {
    // A box or an SDO read inside lets the next tick in; that one has nothing to add.
    if (m_fatalConnectionSeen || m_updatingConnection)
        return;
    m_updatingConnection = true;
    guarded("frmMain", "g_updateConnectionStatus", [&] {
        if (modHeartBeatControl::g_oldBootloaderDetectedOnMBus()) {
            endFatally(QStringLiteral("Wrong Bootloader version detected. Please connect to the "
                                      "S-Bus. The Loader will terminate."));
            return;
        }
        const ModuleStates states = modConnectionStatus::g_getConnectionStatus();
        for (int m = 0; m < kModuleCount; ++m) {
            switch (states[m]) {
            case moduleNotConnected:
                m_selection.setBootLoaderRunning(m, 0);
                m_selection.setApplicationRunning(m, 0);
                m_selection.setProgramEnabled(m, false);
                setHwCaption(m, QString());
                break;
            case moduleApplicationRunning:
            case moduleBootloaderRunning:
                showModuleState(m, states[m]);
                if (checkModuleNumberRules(m, states[m] == moduleBootloaderRunning))
                    return;
                break;
            default:
                break;
            }
            if (g_applType == applTypeZent) {
                const double hardware = vbVal(row(m).hwCaption);
                const bool tooOld = hardware > 0 && hardware < kFirstBigMemHardware && g_bigMem;
                setHwBackColour(m, tooOld ? kColourRed : kColourButtonFace);
            }
        }
        showEngineState();
    });
    m_updatingConnection = false;
}

} // namespace pxu
