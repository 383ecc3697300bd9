// The full loader's module overview: every connected module's info blocks, read in its
// bootloader.
#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "bus/info_block_upload.h"
#include "bus/mode_change.h"
#include "core/dialog_service.h"
#include "core/error_boundary.h"
#include "core/msg_box.h"
#include "main_window.h"
#include "module_overview.h"
#include "platform/clock/clock.h"

namespace pxu {

namespace {

qint32 stateOf(int module) {
    return modConnectionStatus::g_getModuleStatus(module);
}

void overviewError(int module) {
    BoxRequest box;
    box.title = QStringLiteral("Overview Error");
    box.text = QStringLiteral("Overview cancelled because module ") + QString::number(module) +
               QStringLiteral(" is not in Bootloader state.\rPlease set all modules into "
                              "bootloader state using the menu item\rModule Control - Start "
                              "Bootloader.");
    dialogs().messageBox(box);
}

} // namespace

void MainWindow::cmdModuleState_Click() {
    ShutDown::Operation operation(m_shutDown);
    guarded("frmMain", "cmdModuleState_Click", [&] {
        updateProgress(0);
        if (stateOf(0) != moduleApplicationRunning && g_mBusMode)
            g_warningMsgBox(QStringLiteral("PXU Loader is connected to the M-Bus and application "
                                           "is not \rrunning on module 0. Therefore overview "
                                           "information is only \ravailable of module 0."),
                            QStringLiteral("Warning"), true);

        ModuleSelection running{};
        ModuleMask mask{};
        int connected = 0;
        for (int m = 0; m < kModuleCount; ++m) {
            const qint32 state = stateOf(m);
            running[m] = state == moduleApplicationRunning;
            if (state != moduleNotConnected) {
                mask[m] = true;
                ++connected;
            }
        }
        if (connected == 0) {
            g_errorMsgBox(QStringLiteral("No Modules Connected."), {}, true);
            return;
        }

        // What a lost channel did not read is no overview, and nothing restarts into it.
        const auto lost = [this] {
            if (!frmCANopen().channelLost())
                return false;
            addMessage(channelLostLine(QStringLiteral("Overview")));
            return true;
        };
        // Locked from the first switch on: its waits pass window events.
        disableOtherControls(lockModuleOverview);
        if (std::any_of(running.begin(), running.end(), [](bool r) { return r; }) &&
            !modModeChange::g_startBootloader(running, false)) {
            addMessage(QStringLiteral("Error: Could not start Bootloader."));
            if (!lost())
                modModeChange::restartSwitched(running);
            enableAllControls();
            return;
        }
        addMessage(QStringLiteral("Reading InfoBlocks of all Modules "));

        ModuleInfoValues values{};
        bool readOne = false;
        bool cancelled = false;
        for (int m = 0; m < kModuleCount && !programEnding(); ++m) {
            if (mask[m] && stateOf(m) != moduleBootloaderRunning) {
                overviewError(m);
                cancelled = true;
                break;
            }
            if (mask[m]) {
                modUpload::ModuleInfoTable table;
                if (modUpload::g_uploadInfoBlocks(m, table)) {
                    values[m] = moduleInfoRows(table);
                    readOne = true;
                } else if (lost()) {
                    cancelled = true;
                    break;
                } else {
                    addMessage(QStringLiteral("Error: Could not read info block. Module: ") +
                               QString::number(m));
                }
            }
            updateProgress(double(m) / connected);
            // On the M-Bus the cylinders are reached through the spare's application.
            if (g_mBusMode && m == 0 && running[0]) {
                modModeChange::restartSwitched(modModeChange::g_singeTargetSelection(0));
                waitWithEvents(8 * 200, 200);
            }
        }

        if (programEnding())
            return;
        updateProgress(0);
        if (readOne && !cancelled) {
            addMessage(QStringLiteral("Reading InfoBlocks finished."));
            frmModuleOverview().g_show(mask, values);
        }
        if (!frmCANopen().channelLost())
            modModeChange::restartSwitched(running);
        enableAllControls();
    });
}

} // namespace pxu
