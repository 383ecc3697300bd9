#include "hw_info_block_repair.h"

#include "bus/bootloader_node.h"
#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "bus/hardware_info_block.h"
#include "bus/info_block_download.h"
#include "bus/mode_change.h"
#include "bus/section_numbers.h"
#include "core/dialog_service.h"
#include "core/error.h"
#include "core/error_boundary.h"
#include "core/file_names.h"
#include "core/form_support.h"
#include "core/msg_box.h"
#include "hw_info_block_fields.h"
#include "hw_info_block_repair_form.h"
#include "log_lines.h"
#include "platform/clock/clock.h"
#include "window_on_first_use.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>

namespace pxu {

namespace {

constexpr const char* kObject = "frmHWInfoBlockRepair";
constexpr int kBlockSize = HardwareInfoBlock::kSize;
constexpr int kStatusPollMs = 50;
constexpr int kWhite = 0xFFFFFF;
constexpr int kLightGreen = 0x80FF80;
constexpr int kLightRed = 0x8080FF;
const QString kTemplatePrefix = QStringLiteral("HWInfoBlockVersion");
const QString kTemplateSuffix = QStringLiteral(".bin");
// The controls that take the user's input; the module list and Exit stay apart.
constexpr RepairControl kInputControls[] = {
    RepairControl::cmdDownload,           RepairControl::CmbHWVersion,
    RepairControl::txtHWSerial,           RepairControl::txtProductionDateWeek,
    RepairControl::txtProductionDateYear, RepairControl::cmdCreateFile};

void log(const QString& text) {
    frmMain().addMessage(text);
}

qint32 stateOf(int module) {
    return modConnectionStatus::g_getModuleStatus(module);
}

// While the window talks to a module its waits pass window events: the main window stays
// locked meanwhile (unless an operation of its own holds the lock) and an Exit waits.
class MainWindowBusy {
public:
    MainWindowBusy()
        : m_operation(frmMain().shutDown()) {
        MainWindow& window = frmMain();
        if (!window.lock().operationMode()) {
            window.disableOtherControls(lockModuleOverview);
            m_locked = true;
        }
    }
    ~MainWindowBusy() {
        if (m_locked)
            frmMain().enableAllControls();
    }
    MainWindowBusy(const MainWindowBusy&) = delete;
    MainWindowBusy& operator=(const MainWindowBusy&) = delete;

private:
    ShutDown::Operation m_operation;
    bool m_locked = false;
};

} // namespace

enum class HwInfoBlockRepair::Outcome { Refused, WriteFailed, Repaired };

HwInfoBlockRepair::HwInfoBlockRepair(QObject* parent)
    : QObject(parent) {
    setObjectName(QString::fromLatin1(kObject));
    // The unload at the shut-down comes after the log-off, too late for a word to a module.
    if (auto* main = qobject_cast<MainWindow*>(parent))
        connect(main, &MainWindow::shutDownBegins, this,
                [this] { releaseSwitchedModule("Form_Unload"); });
    m_view.moduleItems = {QStringLiteral("---")};
    m_view.versionItems = {QStringLiteral("---")};
    m_view.enabled.fill(true);
    m_infoBlock = paddedHwInfoBlock({});
}

HwInfoBlockRepairForm* HwInfoBlockRepair::form() const {
    return m_form;
}

HwInfoBlockRepair::~HwInfoBlockRepair() {
    delete m_form.data();
}

void HwInfoBlockRepair::g_show() {
    guarded(kObject, "g_show", [&] {
        createModuleList();
        m_templateDir = templateFolder();
        m_view.versionItems = {QStringLiteral("---")};
        const QStringList files =
            QDir(m_templateDir)
                .entryList({kTemplatePrefix + QLatin1Char('*') + kTemplateSuffix},
                           QDir::Files | QDir::CaseSensitive, QDir::Name);
        for (const QString& file : files)
            m_view.versionItems << file.mid(kTemplatePrefix.size(), file.size() -
                                                                        kTemplatePrefix.size() -
                                                                        kTemplateSuffix.size());
        m_view.versionIndex = 0;
        if (files.isEmpty()) {
            g_errorMsgBox(QStringLiteral("Error: No HW info block data files available."));
            return;
        }
        m_view.createFileVisible = g_developMode;
        disableControls(false);
        m_loaded = true;
        emit changed();
        if (widgetsAvailable()) {
            if (!m_form)
                m_form = new HwInfoBlockRepairForm(*this); // deleted by the unload
            m_form->show();
            m_form->raise();
        }
    });
}

void HwInfoBlockRepair::cmbModuleNum_Click(int index) {
    const MainWindowBusy busy;
    guarded(kObject, "cmbModuleNum_Click", [&] {
        m_view.moduleIndex = index;
        setColor(kWhite);
        disableControls(false);
        m_serialPresent = false;
        resetInputFields();
        bool readOk = false;
        const bool moduleChosen = index > 0 && index < m_view.moduleItems.size();
        const int chosen = moduleChosen ? m_view.moduleItems[index].toInt() : -1;
        if (m_switchedModule >= 0 && m_switchedModule != chosen)
            restartSwitchedModule();
        if (moduleChosen) {
            m_moduleNumber = chosen;
            m_applicationWasRunning =
                stateOf(chosen) == moduleApplicationRunning || m_switchedModule == chosen;
            if (m_applicationWasRunning)
                m_switchedModule = chosen;
            resetInputFields();
            disableControls(true);
            emit changed();
            if (modModeChange::g_startBootloader(modModeChange::g_singeTargetSelection(chosen),
                                                 false)) {
                qint32 size = kBlockSize;
                QByteArray answer;
                readOk = frmCANopen().g_readSDO(bootloaderReadNode(chosen), kInfoBlockObject,
                                                sectionHardware, size, answer, false, false, false);
                if (!readOk) {
                    g_errorMsgBox(QStringLiteral("Could not upload info block data from module ") +
                                  QString::number(chosen));
                } else {
                    showBlock(answer);
                }
            }
        }
        enableControls(!readOk);
        emit changed();
    });
}

void HwInfoBlockRepair::showBlock(const QByteArray& block) {
    m_infoBlock = paddedHwInfoBlock(block);
    const HwInfoBlockFields fields = readHwInfoBlockFields(m_infoBlock);
    m_view.serial = fields.serial;
    m_serialPresent = fields.serialPresent;
    if (fields.dateRead) {
        m_view.week = fields.week;
        m_view.year = fields.year;
    }
    // A version without a template is listed all the same, so the user sees it.
    m_view.versionIndex = int(m_view.versionItems.indexOf(fields.version));
    if (m_view.versionIndex < 0) {
        m_view.versionItems << fields.version;
        m_view.versionIndex = int(m_view.versionItems.size()) - 1;
    }
}

void HwInfoBlockRepair::cmdDownload_Click() {
    const MainWindowBusy busy;
    guarded(kObject, "cmdDownload_Click", [&] {
        disableControls(true);
        emit changed();
        log(logClosingLine());
        log(QStringLiteral("   Repairing Infoblock of PXU ") + QString::number(m_moduleNumber));
        const Outcome outcome = repair();
        if (outcome == Outcome::Repaired) {
            // Also after an earlier write failed on it: the block is sound now.
            if (m_applicationWasRunning)
                m_switchedModule = m_moduleNumber;
            restartSwitchedModule();
            setColor(kLightGreen);
            log(QStringLiteral("   InfoBlock repaired successfully!"));
            setEnabled(RepairControl::cmdExit, true);
        } else {
            // A block that may be half written is no ground for starting the application.
            if (outcome == Outcome::WriteFailed && m_switchedModule == m_moduleNumber)
                m_switchedModule = -1;
            log(QStringLiteral("   InfoBlock repair failed!"));
            setColor(kLightRed);
            enableControls(false);
        }
        log(logClosingLine());
        emit changed();
    });
}

HwInfoBlockRepair::Outcome HwInfoBlockRepair::repair() {
    const int module = m_moduleNumber;
    if (m_applicationWasRunning)
        modModeChange::g_startBootloader(modModeChange::g_singeTargetSelection(module), false);
    // What a lost channel did not read is no answer of the module's.
    const auto lost = [] {
        if (!frmCANopen().channelLost())
            return false;
        log(channelLostLine(QStringLiteral("Repair")));
        return true;
    };
    const quint8 node = bootloaderReadNode(module);
    double version = 0;
    frmCANopen().g_getBootLoaderVersion(node, version);
    if (lost())
        return Outcome::Refused;
    if (qRound(version * 100) < 310) {
        g_errorMsgBox(QStringLiteral("Wrong Bootloader version detected. Bootloader version for "
                                     "HW Infoblock repair has to be 3.10 or above!"));
        return Outcome::Refused;
    }

    const QString hw = m_view.versionIndex >= 0 && m_view.versionIndex < m_view.versionItems.size()
                           ? m_view.versionItems[m_view.versionIndex].trimmed()
                           : QString();
    const QString templateFile =
        QDir(m_templateDir).filePath(kTemplatePrefix + hw + kTemplateSuffix);
    if (!inputsValid(hw, templateFile))
        return Outcome::Refused;

    QFile file(templateFile);
    QByteArray templateBlock;
    if (file.open(QIODevice::ReadOnly))
        templateBlock = file.read(kBlockSize);
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        g_errorMsgBox(QStringLiteral("Error: Could not open data file for the selected HW "
                                     "Version:") +
                      templateFile);
        return Outcome::Refused;
    }

    const int week = int(wholeNumber(m_view.week, 1, 52).value_or(0));
    const int year = int(wholeNumber(m_view.year, 1980, 2079).value_or(0));
    m_view.week = twoDigits(week);
    m_view.year = QString::number(year);
    const QByteArray block = repairedHwInfoBlock(
        templateBlock, qint32(wholeNumber(hw, 1, std::numeric_limits<qint32>::max()).value_or(0)),
        serialNumber(m_view.serial).value_or(0), week, year);
    emit changed();

    if (!frmCANopen().g_writeSDO(node, kInfoBlockObject, sectionHardware, kBlockSize, block, false,
                                 0)) {
        if (lost())
            return Outcome::WriteFailed;
        g_errorMsgBox(QStringLiteral("Info block download failed: Could not write SDO."));
        return Outcome::WriteFailed;
    }
    // The bootloader programs the block meanwhile; the windows go on painting.
    const qint64 startMs = clock().nowMs();
    while (modDownload::g_getLoadingStatus(module, true) == modDownload::loadingDataAccepted &&
           clock().nowMs() - startMs < kStatusWaitMs && !frmMain().programEnding()) {
        clock().sleep(kStatusPollMs);
        clock().doEvents();
    }
    if (lost())
        return Outcome::WriteFailed;
    if (modDownload::g_getLoadingStatus(module, true) != modDownload::loadingInfoBlockAccepted) {
        g_errorMsgBox(QStringLiteral("Info block download failed: Loading Status Failure."));
        return Outcome::WriteFailed;
    }
    return Outcome::Repaired;
}

bool HwInfoBlockRepair::inputsValid(const QString& hw, const QString& templateFile) {
    bool ok = true;
    if (!wholeNumber(hw, 1, std::numeric_limits<qint32>::max())) {
        g_errorMsgBox(QStringLiteral("Please Select the HW version."));
        ok = false;
    }
    if (!QFileInfo(templateFile).isFile()) {
        g_errorMsgBox(QStringLiteral(
            "Info block template file for the selected hardware version does not exist."));
        ok = false;
    }
    if (!serialNumber(m_view.serial)) {
        g_errorMsgBox(QStringLiteral("Please enter a HW Serial number."));
        ok = false;
    }
    if (!validateProductionDate(m_view.week, m_view.year)) {
        g_errorMsgBox(QStringLiteral("Please enter a valid production date."));
        ok = false;
    }
    if (ok && m_serialPresent)
        ok = g_warningMsgBox(QStringLiteral("Do you want do download the info block?"), {}, false,
                             int(BoxButtons::OkCancel));
    return ok;
}

void HwInfoBlockRepair::cmdCreateFile_Click() {
    guarded(kObject, "cmdCreateFile_Click", [&] {
        const QString path =
            QDir(m_templateDir).filePath(QStringLiteral("UploadedHWInfoBlock.bin"));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(m_infoBlock) != m_infoBlock.size() ||
            !file.commit())
            raise(75, QString::fromLatin1(kObject), QStringLiteral("Path/File access error"));
        g_warningMsgBox(QStringLiteral("Uploaded Data Have been saved to file: ") +
                            QDir::toNativeSeparators(path),
                        {}, false, int(BoxButtons::OkCancel));
    });
}

void HwInfoBlockRepair::cmdExit_Click() {
    releaseSwitchedModule("cmdExit_Click");
    unload();
}

void HwInfoBlockRepair::releaseSwitchedModule(const char* procedure) {
    if (m_switchedModule < 0)
        return;
    const MainWindowBusy busy;
    guarded(kObject, procedure, [&] { restartSwitchedModule(); });
}

void HwInfoBlockRepair::unload() {
    guarded(kObject, "Form_Unload", [&] {
        m_loaded = false;
        if (HwInfoBlockRepairForm* form = m_form) {
            m_form = nullptr;
            form->hide();
            form->deleteLater();
        }
    });
}

void HwInfoBlockRepair::setVersionIndex(int index) {
    m_view.versionIndex = index;
}

void HwInfoBlockRepair::setSerial(const QString& text) {
    m_view.serial = text;
}

void HwInfoBlockRepair::setWeek(const QString& text) {
    m_view.week = text;
}

void HwInfoBlockRepair::setYear(const QString& text) {
    m_view.year = text;
}

void HwInfoBlockRepair::disableControls(bool alsoModuleAndExit) {
    if (alsoModuleAndExit) {
        setEnabled(RepairControl::cmdExit, false);
        setEnabled(RepairControl::cmbModuleNum, false);
    }
    for (RepairControl c : kInputControls)
        setEnabled(c, false);
}

void HwInfoBlockRepair::enableControls(bool onlyModuleAndExit) {
    if (!onlyModuleAndExit) {
        for (RepairControl c : kInputControls)
            setEnabled(c, true);
    }
    setEnabled(RepairControl::cmdExit, true);
    setEnabled(RepairControl::cmbModuleNum, true);
}

void HwInfoBlockRepair::createModuleList() {
    m_view.moduleItems = {QStringLiteral("---")};
    for (int m = 0; m < kModuleCount; ++m) {
        if (stateOf(m) != moduleNotConnected)
            m_view.moduleItems << QString::number(m);
    }
    m_view.moduleIndex = -1;
    emit changed();
}

void HwInfoBlockRepair::setColor(int colour) {
    m_view.serialColour = colour;
}

void HwInfoBlockRepair::resetInputFields() {
    m_view.week = QStringLiteral("01");
    m_view.year = QStringLiteral("1980");
    m_view.serial = QStringLiteral("---");
    m_view.versionIndex = 0;
}

void HwInfoBlockRepair::restartSwitchedModule() {
    const int module = std::exchange(m_switchedModule, -1);
    if (module < 0 || stateOf(module) == moduleApplicationRunning)
        return;
    // Whatever the lamp of an earlier download says: this window stopped the application.
    modModeChange::g_startApplication(modModeChange::g_singeTargetSelection(module), true);
}

HwInfoBlockRepair& frmHWInfoBlockRepair() {
    // At the shut-down the module was given back before the log-off: the window only closes.
    return windowOnFirstUse(UnloadSlot::hwInfoBlockRepair, &HwInfoBlockRepair::unload);
}

} // namespace pxu
