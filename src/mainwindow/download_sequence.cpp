#include "download_sequence.h"

#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "bus/info_block_upload.h"
#include "bus/mode_change.h"
#include "bus/section_numbers.h"
#include "core/config_items.h"
#include "core/error.h"
#include "core/error_boundary.h"
#include "core/form_support.h"
#include "core/message_window.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "core/vb_val.h"
#include "log_lines.h"
#include "main_window.h"
#include "platform/clock/clock.h"
#include "section_download.h"
#include "updater_services.h"

#include <QApplication>
#include <QLocale>

namespace pxu {

namespace {

constexpr int kFlashProgrammingPolls = 150;
const QString kMissingFile = QStringLiteral("---");

bool channelLost() {
    return frmCANopen().channelLost();
}

bool oldCanInterface() {
    return vbVal(g_canInterfaceVersion) <= 1.0;
}

// A version text as a number; a text that is none is an unexpected failure.
double versionOf(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        raise(13, QStringLiteral("frmMain"),
              QStringLiteral("Type mismatch: the bootloader 2 version \"") + text +
                  QStringLiteral("\" is no number"));
    return value;
}

void beep() {
    if (widgetsAvailable())
        QApplication::beep();
}

} // namespace

DownloadSequence::DownloadSequence(MainWindow& window, SectionDownload& sections)
    : m_window(window)
    , m_sections(sections) {
    m_sections.setAbortQuestion([this] { return confirmAbort(true); });
}

void DownloadSequence::log(const QString& text) {
    m_window.addMessage(text);
}

void DownloadSequence::unlockUnless(bool spareStep) {
    if (!spareStep)
        m_window.enableAllControls();
}

bool DownloadSequence::ticked(int module) const {
    return m_window.selection().program(module).value == pxu::ticked;
}

bool DownloadSequence::sectionTicked(int box) const {
    return m_window.selection().section(box).value == pxu::ticked;
}

bool DownloadSequence::fileMissing(int box) const {
    const LoadFileBoxes& files = m_window.loadFiles().boxes(box);
    return files.emhText == kMissingFile || files.emhPath.isEmpty();
}

void DownloadSequence::cmdDownload_Click() {
    ShutDown::Operation operation(m_window.shutDown());
    guarded("frmMain", "cmdDownload_Click", [&] { run(); });
    guarded("frmMain", "cmdDownload_Click", [&] {
        // Into a channel that takes no frames nothing is restarted.
        if (!m_finished && !m_window.programEnding() && !canWriteFailed())
            restartUntouched();
        m_sections.forgetImages();
        if (m_window.updater())
            m_window.updater()->downloadFinished();
        m_window.enableAllControls();
    });
}

void DownloadSequence::refuse(const QString& line) {
    log(line);
    log(logClosingLine());
    m_window.enableAllControls();
}

void DownloadSequence::run() {
    const Selection& selection = m_window.selection();
    m_window.lock().setEnabled(Control::cmdDownload, false);
    m_window.lock().setHourglass(true);
    m_window.resetStatus(false);
    m_window.disableOtherControls(lockDownload);
    m_abortConfirmed = false;
    m_finished = false;
    m_stopped = false;
    m_sentSection = {};
    for (int m = 0; m < kModuleCount; ++m)
        m_ranApplication[m] = modConnectionStatus::g_getModuleStatus(m) == moduleApplicationRunning;
    m_sections.forgetImages();

    log(logOpeningLine(QStringLiteral("DOWNLOAD ")));
    log(sprintf(QStringLiteral("Programming {*}'s"), g_moduleType));

    bool anyModule = false;
    bool allSuitable = true;
    for (int m = 0; m < kModuleCount; ++m) {
        if (!ticked(m))
            continue;
        anyModule = true;
        if (m_window.row(m).hwBackColour != kColourButtonFace)
            allSuitable = false;
    }
    if (!anyModule)
        return refuse(QStringLiteral("   no module selected!"));
    if (!allSuitable)
        return refuse(QStringLiteral("   Not all modules are compatible with SW-version!"));

    int sections = 0;
    for (int k = 0; k < kSectionBoxCount; ++k) {
        if (!sectionTicked(k))
            continue;
        if (fileMissing(k))
            return refuse(sprintf(QStringLiteral("   S19 file for section {*} not found!"),
                                  selection.section(k).caption));
        ++sections;
    }
    if (sections == 0)
        return refuse(QStringLiteral("   no section selected!"));
    // A file that cannot be read or does not fit its section refuses the run here, before any
    // module is switched, not module by module later.
    if (QString failure; !prepareTickedSections(failure))
        return refuse(failure);

    if (sectionTicked(sectionBoxBL2) &&
        !g_warningMsgBox(
            QStringLiteral("Downloading of the bootloader will remove the application from the "
                           "PXU!\r\nAter bootloader-downloading you must also download the "
                           "application."),
            {}, true, int(BoxButtons::OkCancel)))
        return refuse(QStringLiteral("   BL-download canceled!"));

    if (channelLost())
        return refuse(channelLostLine(QStringLiteral("Download")));
    frmCANopen().g_setOperational(0, false);

    if (ticked(0) && g_applType != applTypeLorx) {
        bool cylinderLeftOut = false;
        for (int m = 1; m < kModuleCount; ++m) {
            if (selection.program(m).enabled && !ticked(m))
                cylinderLeftOut = true;
        }
        if (cylinderLeftOut &&
            !frmMessage2().questionMsgBox(g_getUserMessage(4), {}, QStringLiteral("Yes"),
                                          QStringLiteral("No"), false)) {
            log(QStringLiteral("Download to spare only aborted."));
            m_window.enableAllControls();
            return;
        }
    }

    if (ticked(0) && g_mBusMode)
        spareFirst();
    else
        downloadSelectedModules(false);
}

void DownloadSequence::spareFirst() {
    ModuleSelection bootloaders{};
    bootloaders[0] = true;
    std::array<bool, kModuleCount> cylinders{};
    bool anyCylinder = false;
    for (int m = 1; m < kModuleCount; ++m) {
        bootloaders[m] = modConnectionStatus::g_getModuleStatus(m) != moduleNotConnected;
        cylinders[m] = ticked(m);
        anyCylinder = anyCylinder || cylinders[m];
    }
    if (!anyCylinder) {
        downloadSelectedModules(false);
        return;
    }
    if (oldCanInterface()) {
        g_warningMsgBox(g_getUserMessage(5), QStringLiteral("Error"), false, int(BoxButtons::Ok));
        return;
    }
    if (!modModeChange::g_startBootloader(bootloaders, false)) {
        log(QStringLiteral("M-Bus Download aborted because bootloader could not be started."));
        stoppedByBus(false);
        return;
    }
    Selection& selection = m_window.selection();
    for (int m = 1; m < kModuleCount; ++m)
        selection.setProgram(m, unticked);

    log(QStringLiteral("M-Bus download: starting download to spare."));
    if (!downloadSelectedModules(true)) {
        if (!m_stopped)
            log(QStringLiteral("M-Bus Download aborted because download to spare has failed."));
        return;
    }
    if (stoppedByBus(false))
        return;
    const auto tickCylinders = [&] {
        for (int m = 1; m < kModuleCount; ++m) {
            if (cylinders[m])
                selection.setProgram(m, pxu::ticked);
        }
    };
    if (modConnectionStatus::g_getModuleStatus(0) != moduleApplicationRunning) {
        // Bootloader 2 went in and the spare stays in its bootloader: the cylinders, reached
        // only through its application, wait for the application's download.
        log(QStringLiteral(
            "M-Bus download: no download to cylinders while the spare runs its bootloader."));
        tickCylinders();
        m_finished = true;
        return;
    }
    log(QStringLiteral("M-Bus download: starting download to cylinders."));
    waitWithEvents(modModeChange::kSpareServesAutoDownloadMs, 5, channelLost);
    if (stoppedByLoss(false))
        return;
    selection.setProgram(0, unticked);
    tickCylinders();
    downloadSelectedModules(false);
    // The spare's lamp keeps the result of its own phase.
    selection.setProgram(0, pxu::ticked);
    m_window.setLamp(0, true, m_window.row(0).lampColour);
}

bool DownloadSequence::downloadSelectedModules(bool spareStep) {
    bool downloadOk = false;
    guarded("frmMain", "downloadSelectedModules",
            [&] { downloadOk = downloadSelected(spareStep); });
    return downloadOk;
}

bool DownloadSequence::prepareTickedSections(QString& failure) {
    for (int k = 0; k < kSectionBoxCount; ++k) {
        if (sectionTicked(k) && !m_sections.prepare(k, failure))
            return false;
    }
    return true;
}

bool DownloadSequence::downloadSelected(bool spareStep) {
    Selection& selection = m_window.selection();
    m_window.lock().setEnabled(Control::cmdDownload, false);
    m_window.lock().setHourglass(true);

    log(QStringLiteral("   Starting bootloader on all modules"));
    ModuleSelection bootloaders{};
    for (int m = 0; m < kModuleCount; ++m)
        bootloaders[m] =
            ticked(m) || modConnectionStatus::g_getModuleStatus(m) == moduleApplicationRunning;
    if (g_mBusMode)
        bootloaders[0] = ticked(0);
    if (!modModeChange::g_startBootloader(bootloaders, false)) {
        log(QStringLiteral("   Download aborted!"));
        if (!stoppedByBus(spareStep))
            unlockUnless(spareStep);
        return false;
    }

    // The checks read what the modules tell of themselves: after a loss nothing is told.
    if (stoppedByLoss(spareStep))
        return false;
    const bool checked = checkModules(bootloaders, spareStep);
    if (stoppedByLoss(spareStep) || !checked)
        return false;
    const bool bootloader2 = sectionTicked(sectionBoxBL2);

    if (sectionTicked(sectionBoxDC) && !m_window.checkS19FileDate()) {
        log(QStringLiteral("   DC-S19-File not up to date --> Download aborted!"));
        unlockUnless(spareStep);
        return false;
    }
    // Sections ticked by the checks above are read and checked now, still before any is sent.
    if (QString failure; !prepareTickedSections(failure)) {
        log(failure);
        log(QStringLiteral("   Download aborted!"));
        unlockUnless(spareStep);
        return false;
    }

    for (int k = 0; k < kSectionBoxCount; ++k) {
        if (!sectionTicked(k))
            continue;
        const int section = selection.section(k).tag;
        log(QStringLiteral("   Download ") + selection.section(k).caption);
        m_window.resetStatus(true);
        std::array<bool, kModuleCount> accepted{};

        for (int m = 0; m < kModuleCount; ++m) {
            const bool viaSpare = m >= 1 && g_mBusMode;
            clock().doEvents();
            if (m_window.programEnding() || stoppedByLoss(spareStep))
                return false;
            if (m_window.g_abortRequested() && confirmAbort(viaSpare)) {
                endAborted(spareStep);
                return false;
            }
            if (!ticked(m) || !m_window.g_downloadStatusOk(m))
                continue;
            UpdaterServices* updater = g_applUpdate ? m_window.updater() : nullptr;
            if (updater) {
                bool okButton = false;
                bool exitButton = false;
                updater->setUserInfo(sprintf(g_getUserMessage(83), m), 0, okButton, exitButton);
            }
            const auto tellUpdater = [&] {
                if (!updater)
                    return;
                QString line = sprintf(QStringLiteral("   PXU-#{00} is updated"), m);
                updater->addMessageUpdater(line, -1);
            };

            m_sentSection[m] = true;
            if (viaSpare) {
                const bool ok = m_sections.autoDownloadSingleModule(m, section);
                if (!ok)
                    m_window.downloadFailure(
                        QStringLiteral("      autodownload of program/data has failed!"), m);
                if (m_abortConfirmed) {
                    endAborted(spareStep);
                    return false;
                }
                if (ok) {
                    log(sprintf(QStringLiteral("      PXU {*}: ok"), m));
                    m_window.setLamp(m, true, kColourGreen);
                    m_window.m_moduleUpdated.at(m) = true;
                    tellUpdater();
                } else if (stoppedByBus(spareStep)) {
                    return false;
                }
                continue;
            }
            if (m == 0 && g_mBusMode && selection.applicationRunning(0) == pxu::ticked) {
                log(QStringLiteral(
                    "      starting bootloader on targetNo 0 for download of next section"));
                modModeChange::g_startBootloader(modModeChange::g_singeTargetSelection(0), false);
            }
            // Only a section the module accepted counts as an update.
            accepted[m] = m_sections.downloadSection(m, section);
            if (accepted[m])
                tellUpdater();
            else if (stoppedByBus(spareStep))
                return false;
        }

        if (ticked(0) || !g_mBusMode) {
            for (int m = 0; m < kModuleCount; ++m)
                m_sections.checkLoadingStatus(m, kFlashProgrammingPolls);
        }
        // A module counts as updated once its flash programming has finished as well.
        for (int m = 0; m < kModuleCount; ++m) {
            if (accepted[m] && m_window.g_downloadStatusOk(m))
                m_window.m_moduleUpdated.at(m) = true;
        }
        if (stoppedByLoss(spareStep))
            return false;
    }
    return finish(spareStep, bootloader2, bootloaders);
}

bool DownloadSequence::checkModules(const ModuleSelection& selected, bool spareStep) {
    if (kevOrToq())
        return true;
    if (g_bigMem && !checkHardwareVersions(selected)) {
        if (channelLost())
            return false;
        log(QStringLiteral("   Download aborted!"));
        unlockUnless(spareStep);
        return false;
    }
    if (g_bigMem && !sectionTicked(sectionBoxBL2) && !checkBootloader2Versions(selected, spareStep))
        return false;
    if (!sectionTicked(sectionBoxBL2) && !g_applUpdate)
        checkStartAddresses(selected);
    return true;
}

bool DownloadSequence::checkHardwareVersions(const ModuleSelection& selected) {
    bool allFit = true;
    for (int m = 0; m < kModuleCount; ++m) {
        if (!selected[m])
            continue;
        const QString version = modUpload::g_uploadVersionInfo(m, sectionHardware);
        if (channelLost())
            return false;
        if (vbVal(version) >= 7)
            continue;
        if (allFit)
            log(QStringLiteral("   All PXU-HW-Versions must be 7 or higher!"));
        allFit = false;
        log(sprintf(QStringLiteral("      PXU#{00} is version {*}"), m, version));
    }
    return allFit;
}

bool DownloadSequence::checkBootloader2Versions(const ModuleSelection& selected, bool spareStep) {
    Selection& selection = m_window.selection();
    for (int m = 0; m < kModuleCount; ++m) {
        if (!selected[m])
            continue;
        const QString version = modUpload::g_uploadVersionInfo(m, sectionBootloader2);
        if (channelLost())
            return false;
        if (versionOf(version) >= 3.12)
            continue;
        if (!sectionTicked(sectionBoxBL2))
            log(QStringLiteral("   Bootloader 2 - version must be 4.00 or higher."));
        if (fileMissing(sectionBoxBL2)) {
            log(QStringLiteral("      There is no bootloader 2 available --> Download aborted!"));
            unlockUnless(spareStep);
            return false;
        }
        selection.setSection(sectionBoxBL2, pxu::ticked);
        log(sprintf(QStringLiteral("      Download of BL2 to PXU#{00} selected!"), m));
        selection.setProgram(m, pxu::ticked);
    }
    return true;
}

void DownloadSequence::checkStartAddresses(const ModuleSelection& selected) {
    Selection& selection = m_window.selection();
    const auto anyElsewhere = [&](int section, qint32 base) {
        for (int m = 0; m < kModuleCount; ++m) {
            // An address not read is no wrong address.
            if (selected[m] && modUpload::g_uploadStartAdr(m, section) != base && !channelLost())
                return true;
        }
        return false;
    };
    if (!sectionTicked(sectionBoxAppl) && anyElsewhere(sectionApplication, g_baseAdrAppl)) {
        log(QStringLiteral("   Application is at wrong start-address!"));
        log(QStringLiteral("      Download of appication is selected!"));
        selection.setSection(sectionBoxAppl, pxu::ticked);
    }
    const SectionBoxState& fpga = selection.section(sectionBoxFPGA);
    if (fpga.visible && fpga.enabled && fpga.value != pxu::ticked &&
        m_window.loadFiles().sectionNew() != pxu::ticked &&
        anyElsewhere(sectionFpga, g_baseAdrFPGA)) {
        log(QStringLiteral("   FPGA-Code is at wrong start-address!"));
        log(QStringLiteral("      Download of FPGA-Code is selected!"));
        selection.setSection(sectionBoxFPGA, pxu::ticked);
    }
    if (!sectionTicked(sectionBoxDC) && anyElsewhere(sectionDataContainer, g_baseAdrDC)) {
        log(QStringLiteral("   DC is at wrong start-address!"));
        log(QStringLiteral("      Download of DC is selected!"));
        selection.setSection(sectionBoxDC, pxu::ticked);
    }
}

bool DownloadSequence::confirmAbort(bool autoDownloadModule) {
    if (!g_questionMsgBox(QStringLiteral("Do you want to abort the download?"), {}, true)) {
        m_window.setAbortRequested(false);
        return false;
    }
    if (autoDownloadModule)
        m_sections.abortAutoDownload();
    m_abortConfirmed = true;
    return true;
}

void DownloadSequence::endAborted(bool spareStep) {
    log(QStringLiteral("Abort of the download!"));
    m_window.updateProgress(0);
    unlockUnless(spareStep);
}

bool DownloadSequence::stoppedByLoss(bool spareStep) {
    return m_stopped || (channelLost() && stoppedByBus(spareStep));
}

bool DownloadSequence::stoppedByBus(bool spareStep) {
    if (m_stopped)
        return true;
    if (!canWriteFailed())
        return false;
    m_stopped = true;
    CanOpenMaster& master = frmCANopen();
    if (master.channelLost())
        log(channelLostLine(QStringLiteral("Download")));
    else
        log(QStringLiteral("   Download stopped: the CAN channel takes no frames (") +
            master.canInterface().lastErrorText() + QStringLiteral(")."));
    m_window.updateProgress(0);
    log(logClosingLine());
    unlockUnless(spareStep);
    return true;
}

bool DownloadSequence::finish(bool spareStep, bool bootloader2, ModuleSelection bootloaders) {
    Selection& selection = m_window.selection();
    for (int i = 0; i < 3; ++i) {
        beep();
        clock().sleep(200);
    }
    if (bootloader2) {
        for (int m = 0; m < kModuleCount; ++m) {
            if (ticked(m) && m_window.g_downloadStatusOk(m))
                modModeChange::startBootloader(m, true, false, false);
        }
    }
    // No question and no restart into a lost channel.
    if (stoppedByLoss(spareStep))
        return false;

    bool downloadOk = false;
    if (oldCanInterface()) {
        downloadOk = true;
        g_warningMsgBox(QStringLiteral("Please restart application manually by exiting\rloader "
                                       "and resetting power (off-on) of all PXU-20 modules."),
                        QStringLiteral("Start Application"), false, int(BoxButtons::Ok));
    } else if (bootloader2) {
        // The spare's phase succeeded when the spare took every section.
        downloadOk = spareStep && m_window.g_downloadStatusOk(0);
        g_informationMsgBox(QStringLiteral("Download of Bootloader finished.\r\nAs next you need "
                                           "to download the application."),
                            {}, true);
        selection.setSection(sectionBoxBL2, unticked);
        selection.setSection(sectionBoxAppl, pxu::ticked);
        selection.setSection(sectionBoxDC, pxu::ticked);
    } else {
        bool restart = false;
        if (!spareStep) {
            restart =
                g_applUpdate || g_questionMsgBox(QStringLiteral("Restart application?"), {}, true);
        } else {
            restart = m_window.g_downloadStatusOk(0);
            downloadOk = restart;
            bootloaders = modModeChange::g_singeTargetSelection(0);
        }
        if (restart) {
            m_window.lock().setEnabled(Control::cmdAbort, true);
            downloadOk = modModeChange::g_startApplication(bootloaders, false);
        }
    }
    if (stoppedByLoss(spareStep))
        return false;

    frmCANopen().g_setOperational(0, false);
    log(logClosingLine());
    unlockUnless(spareStep);
    m_finished = !spareStep;
    return downloadOk;
}

void DownloadSequence::restartUntouched() {
    ModuleSelection untouched{};
    for (int m = 0; m < kModuleCount; ++m)
        untouched[m] = m_ranApplication[m] && !m_sentSection[m] &&
                       modConnectionStatus::g_getModuleStatus(m) == moduleBootloaderRunning;
    modModeChange::restartSwitched(untouched);
}

} // namespace pxu
