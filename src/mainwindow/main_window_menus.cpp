#include "bus/auto_download.h"
#include "bus/can_open_master.h"
#include "bus/mode_change.h"
#include "core/about_box.h"
#include "core/config_items.h"
#include "core/desktop.h"
#include "core/error_boundary.h"
#include "core/file_names.h"
#include "core/msg_box.h"
#include "core/program_info.h"
#include "core/select_dir.h"
#include "dc_tools_services.h"
#include "hw_info_block_repair.h"
#include "log_lines.h"
#include "main_window.h"
#include "main_window_form.h"
#include "updater_services.h"

namespace pxu {

void MainWindow::mnuSelectFileDir_Click() {
    guarded("frmMain", "mnuSelectFileDir_Click", [&] {
        frmSelectDir chooser;
        chooser.g_initialDir = m_loadFiles.directory();
        if (chooser.showSelect() != 1)
            return;
        m_loadFiles.setDirectory(chooser.g_selectedDir);
        g_setMiscItem(QStringLiteral("programFilePath"), m_loadFiles.directory());
        g_checkFileExist(g_moduleType, false);
    });
}

void MainWindow::mnuExit_Click() {
    m_shutDown.request();
}

bool MainWindow::Form_QueryUnload() {
    // Once the window was locked it keeps no close command: only Exit ends the run.
    if (m_lock.closeRemoved())
        return false;
    mnuExit_Click();
    return false;
}

void MainWindow::shutDownProcedure() {
    guarded("frmMain", "mnuExit_Click", [&] { emit shutDownBegins(); });
    guarded("frmMain", "mnuExit_Click", [&] { g_logOffApplication(false); });
    guarded("frmMain", "mnuExit_Click", [&] { unloadCanOpen(); });
    for (const auto& unload : m_unloaders) {
        if (unload)
            guarded("frmMain", "mnuExit_Click", [&] { unload(); });
    }
    guarded("frmMain", "mnuExit_Click", [&] {
        m_view.visible = false;
        if (m_form)
            m_form->hide();
        emit changed();
    });
}

void MainWindow::g_logOffApplication(bool endProgram) {
    guarded("frmMain", "g_logOffApplication", [&] {
        modAutoDownload::g_logoff();
        frmCANopen().g_releaseCanOpen(true);
        if (endProgram)
            m_shutDown.endFatal(1);
    });
}

void MainWindow::setUnloader(UnloadSlot slot, std::function<void()> unload) {
    m_unloaders.at(int(slot)) = std::move(unload);
}

void MainWindow::mnuStartApplication_Click() {
    ShutDown::Operation operation(m_shutDown);
    guarded("frmMain", "mnuStartApplication_Click", [&] {
        resetStatus(false);
        addMessage(logClosingLine());
        addMessage(QStringLiteral("Start application on all PXU's"));
        disableOtherControls(lockStartModules);
        m_lock.setEnabled(Control::cmdAbort, true);
        modModeChange::g_startApplication(g_getUserSelection(), false);
        if (frmCANopen().channelLost())
            addMessage(channelLostLine(QStringLiteral("Start application")));
        enableAllControls();
        addMessage(logClosingLine());
    });
}

void MainWindow::mnuStartBootloader_Click() {
    ShutDown::Operation operation(m_shutDown);
    guarded("frmMain", "mnuStartBootloader_Click", [&] {
        resetStatus(false);
        addMessage(logClosingLine());
        addMessage(QStringLiteral("Start bootloader on all PXU's"));
        disableOtherControls(lockStartModules);
        modModeChange::g_startBootloader(g_getUserSelection(), !g_applUpdate);
        if (frmCANopen().channelLost())
            addMessage(channelLostLine(QStringLiteral("Start bootloader")));
        enableAllControls();
        addMessage(logClosingLine());
    });
}

void MainWindow::cmdOpenReport_Click() {
    guarded("frmMain", "cmdOpenReport_Click", [&] {
        QString file;
        if (!m_updater || m_updater->openReportCaption() == QLatin1String("Open Report")) {
            if (m_updater) {
                m_updater->writeReport();
                file = m_updater->reportFile();
            }
        } else {
            file = g_fullName(programFolder(), QStringLiteral("Instruction.txt"));
        }
        openFileOrTell(file);
    });
}

void MainWindow::mnuUploadFromSpare_Click() {
    ShutDown::Operation operation(m_shutDown);
    guarded("frmMain", "mnuUploadFromSpare_Click", [&] { m_upload.uploadFromSpare(); });
    // An unexpected failure that left the upload half way must not leave the window locked.
    if (m_lock.operationMode() || !m_lock.enabled(Control::mnuUploadFromSpare))
        enableAllControls();
}

void MainWindow::mnuShowCanOpen_Click() {
    guarded("frmMain", "mnuShowCanOpen_Click", [&] { frmCANopen().show(); });
}

void MainWindow::mnuBuildDC_Click() {
    guarded("frmMain", "mnuBuildDC_Click", [&] {
        if (m_dcTools)
            m_dcTools->showBuilder(m_loadFiles.directory());
    });
}

void MainWindow::mnuCreateTemplate_Click() {
    guarded("frmMain", "mnuCreateTemplate_Click", [&] {
        if (m_dcTools)
            m_dcTools->createTemplate(m_loadFiles.directory());
    });
}

void MainWindow::mnuReconstructDC_Click() {
    guarded("frmMain", "mnuReconstructDC_Click", [&] {
        if (m_dcTools)
            m_dcTools->showReconstruction();
    });
}

void MainWindow::mnuRepairHWInfoBlock_Click() {
    guarded("frmMain", "mnuRepairHWInfoBlock_Click", [&] { frmHWInfoBlockRepair().g_show(); });
}

void MainWindow::mnuAbout_Click() {
    guarded("frmMain", "mnuAbout_Click", [&] { frmAbout().g_showAbout(false); });
}

void MainWindow::cmdDownload_Click() {
    m_downloadSequence.cmdDownload_Click();
}

void MainWindow::writeSection(int module, int section, const QByteArray& image, bool& ok) {
    ok = m_sectionDownload.writeSection(module, section, image);
}

} // namespace pxu
