#pragma once

#include "bus/main_window_services.h"
#include "command_line.h"
#include "config_location.h"
#include "control_lock.h"
#include "core/globals.h"
#include "core/message_list.h"
#include "download_sequence.h"
#include "instance_lock.h"
#include "load_files.h"
#include "section_download.h"
#include "selection.h"
#include "shut_down.h"
#include "upload_from_spare.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

namespace pxu {

class DcToolsServices;
class MainWindowForm;
class UpdaterServices;

// Colours as the controls keep them.
constexpr int kColourGreen = 0xFF00;
constexpr int kColourRed = 0xFF;
constexpr int kColourButtonFace = int(0x8000000F);

// A module row of the grid besides its check boxes.
struct ModuleRowView {
    QString caption; // lblCylinderNumber
    bool captionVisible = true;
    QString hwCaption; // lblHW
    int hwBackColour = kColourButtonFace;
    bool lampVisible = false; // lblDownloadOk
    int lampColour = kColourGreen;
};

// What the main window shows apart from its parts (selection, lock, load files, lists).
struct MainWindowView {
    QString caption = QStringLiteral("ZENT-6183 Update Tool");
    bool visible = false;
    bool updaterFace = false; // the face: the updater's frame, else the full loader
    // Menus and the Overview button: shown or hidden by the module type.
    bool mnuFileVisible = true;
    bool mnuModuleControlVisible = true;
    bool mnuViewVisible = true;
    bool mnuDcBuilderVisible = true;
    bool mnuToolsVisible = true;
    bool mnuHelpVisible = true;
    bool mnuUploadFromSpareVisible = true;
    bool cmdModuleStateVisible = true;
    bool fraModuleStateVisible = true;
    bool fraEngineRunningVisible = true;
    bool imgEngineRunningVisible = true;
    bool imgEngineStStillVisible = true;
    double progress = 0; // prgProgress, 0 to 1
    std::array<ModuleRowView, kModuleCount> rows;
};

// Windows the shut-down unloads between the CANopen master and the main window, in this
// order; each window registers its unload when it is first made (the message window's is
// there from the start).
enum class UnloadSlot : int {
    dcBuilder,
    editDC,
    moduleOverview,
    infoBlockDetails,
    messageWindow,
    hwInfoBlockRepair,
    dcReconstruction,
    count
};

// The program's main window (frmMain): start-up, the full loader's grid, selection, load
// files and message list, the menus and the shut-down; the updater face registers itself.
// The form only shows what this class holds, so tests drive it without one.
class MainWindow : public QObject, public MainWindowServices {
    Q_OBJECT
public:
    explicit MainWindow(QObject* parent = nullptr);
    ~MainWindow() override;

    // Start-up. The arguments are those after the program's name.
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }
    void setStartFolders(const StartFolders& folders) { m_folders = folders; }
    // The start of the program. False when the run ended during it (exitCode() tells how).
    bool Form_Load();
    const CommandLine& commandLine() const { return m_line; }

    // The parts.
    Selection& selection() { return m_selection; }
    ControlLock& lock() { return m_lock; }
    LoadFiles& loadFiles() { return m_loadFiles; }
    MessageList& messages() { return m_messages; } // lstMessage
    ShutDown& shutDown() { return m_shutDown; }
    const MainWindowView& view() const { return m_view; }
    void setUpdater(UpdaterServices* updater) { m_updater = updater; }
    UpdaterServices* updater() const { return m_updater; }
    void setDcTools(DcToolsServices* tools) { m_dcTools = tools; }
    DcToolsServices* dcTools() const { return m_dcTools; }
    MainWindowForm* form() const { return m_form.get(); }

    // Grid rows and engine display (the connection display and the download set them).
    const ModuleRowView& row(int module) const { return m_view.rows.at(module); }
    void setHwCaption(int module, const QString& caption);
    void setHwBackColour(int module, int colour);
    void setLamp(int module, bool visible, int colour);
    void setEngineDisplay(bool frameVisible, bool runningVisible, bool standStillVisible);

    // Message list and progress.
    void addMessage(QString& text);
    void addMessage(QString&& text) { addMessage(text); }
    void addMessage(const QString& text) override;
    void updateProgress(double value, bool relative = false);
    double progress() const { return m_view.progress; }

    // Download status.
    bool g_downloadStatusOk(int module) override;
    bool g_getBootloaderVersionChange(int module) override;
    void g_resetBootloaderVersionChange(int module) override;
    void setBootloaderVersionChange(int module) { m_bootloaderVersionChange.at(module) = true; }
    // Hides the lamps and makes them green; keepFailures leaves red ones shown.
    void resetStatus(bool keepFailures);
    // Logs a failure line for the module and turns its lamp red.
    void downloadFailure(const QString& text, int module) override;
    // True for each module whose section the download wrote and the module accepted in this
    // run; the download only ever sets entries, the updater presets them.
    std::array<bool, kModuleCount> m_moduleUpdated{};

    // Download and upload.
    // The image to the module's bootloader, object 0x1F50 sub-index section, in 8192-byte
    // blocks; ok tells success.
    void writeSection(int module, int section, const QByteArray& image, bool& ok);
    SectionDownload& sectionDownload() { return m_sectionDownload; }

    // Selection and locking.
    void chkProgram_Click(int index) { m_selection.chkProgram_Click(index); }
    void chkProgramAllModules_Click() { m_selection.chkProgramAllModules_Click(); }
    void chkProgramAllSections_Click() { m_selection.chkProgramAllSections_Click(); }
    void chkLoadSection_Click(int index) { m_selection.chkLoadSection_Click(index); }
    // Mode 3 takes the engine-running lock; the grid releases it with
    // lock().setEngineRunningLock(false), which unlocks only when no operation runs.
    void disableOtherControls(int mode) { m_lock.disableOtherControls(mode); }
    void enableAllControls() { m_lock.enableAllControls(); }
    bool disableCloseButton() { return m_lock.disableCloseButton(); }
    bool g_abortRequested() override { return m_lock.g_abortRequested; }
    void setAbortRequested(bool requested) override { m_lock.g_abortRequested = requested; }

    // Load files.
    void g_checkFileExist(const QString& moduleType, bool quiet) {
        m_loadFiles.g_checkFileExist(moduleType, quiet);
    }
    void txtFileDirectory_Validate() { m_loadFiles.txtFileDirectory_Validate(); }
    void txtFileDirectory_KeyDown(int keyCode);
    void chkSectionNew_Click() { m_loadFiles.chkSectionNew_Click(); }
    bool checkS19FileDate() { return m_loadFiles.checkS19FileDate(); }

    // Menus and buttons.
    void mnuSelectFileDir_Click();
    void mnuExit_Click();
    void mnuStartBootloader_Click();
    void mnuStartApplication_Click();
    void mnuUploadFromSpare_Click();
    void mnuShowCanOpen_Click();
    void mnuBuildDC_Click();
    void mnuCreateTemplate_Click();
    void mnuReconstructDC_Click();
    void mnuRepairHWInfoBlock_Click();
    void mnuAbout_Click();
    void cmdExit_Click() { mnuExit_Click(); }
    void cmdOpenReport_Click();
    void cmdDownload_Click();
    void cmdAbort_Click() { m_lock.g_abortRequested = true; }
    void cmdModuleState_Click();
    // The window manager asks to close the window; False refuses it.
    bool Form_QueryUnload();

    // Shut-down and log-off. Long operations run inside a ShutDown::Operation of
    // shutDown(), so an Exit during their waits is carried out when they have returned;
    // their loops stop when programEnding() is set (a fatal log-off).
    void g_logOffApplication(bool endProgram) override;
    void setUnloader(UnloadSlot slot, std::function<void()> unload);
    bool programEnding() override { return m_shutDown.ending(); }
    bool programEnded() const { return m_shutDown.ended(); }
    int exitCode() const { return m_shutDown.exitCode(); }

    // Snapshot and restore of the ticked modules around mode changes.
    ModuleSelection g_getUserSelection() override;
    void g_restoreUserSelection(const ModuleSelection& selection) override;
    // The auto download found another module answering as the spare.
    void notConnectedToSpare(qint16 module) override;

    // Connection set-up: the heartbeat and auto-download tables cleared, then a scan of
    // the boards on the S-Bus (lorinMode, KEV, TOQ) or the M-Bus or S-Bus opened; ok is
    // False after a CAN initialisation error and on the scanning way.
    void initConnection(bool operatorAccess, bool lorinMode, bool& ok);
    // Compares the connected modules' application type with the file's; a mismatch ends
    // the program (with "/develop" the user may go on).
    void setUserRights();
    // Brings the grid up to the module states (every heartbeat-control tick); a forbidden
    // module number or an old bootloader on the M-Bus ends the program.
    void g_updateConnectionStatus();

signals:
    void changed();
    // The shut-down has begun and the bus is still open: windows that hold a module in a
    // mode of their own give it back now.
    void shutDownBegins();

private:
    bool load();
    bool findConfigDatabase();
    void initWindow();
    void setModuleVisibility();
    void writeSectionTags();
    void readApplicationType();
    void readBaseAddresses();
    void showWindow();
    void endAtOnce(int exitCode);
    void shutDownProcedure();
    void initConnectionBothBusses(bool operatorAccess, bool& ok);
    void initLorinConnection();
    // Waits up to 3 s for the first heartbeat of any module.
    void checkTargetConnection(bool quiet, bool& found);
    void showModuleState(int module, qint32 state);
    void showEngineState();
    // True when the module's number is forbidden for the application type (the run ends).
    bool checkModuleNumberRules(int module, bool bootloader);
    bool endFatally(const QString& text);

    QStringList m_arguments;
    StartFolders m_folders;
    CommandLine m_line;
    InstanceLock m_instanceLock;
    Selection m_selection;
    ControlLock m_lock;
    MessageList m_messages;
    LoadFiles m_loadFiles;
    ShutDown m_shutDown;
    MainWindowView m_view;
    std::array<bool, kModuleCount> m_bootloaderVersionChange{};
    std::array<std::function<void()>, int(UnloadSlot::count)> m_unloaders;
    UpdaterServices* m_updater = nullptr;
    DcToolsServices* m_dcTools = nullptr;
    SectionDownload m_sectionDownload{*this};
    DownloadSequence m_downloadSequence{*this, m_sectionDownload};
    UploadFromSpare m_upload{*this};
    std::unique_ptr<MainWindowForm> m_form;
    bool m_updatingConnection = false;
    bool m_fatalConnectionSeen = false;
};

// The program's main window: the one made last that still lives, else a new one.
MainWindow& frmMain();

} // namespace pxu
