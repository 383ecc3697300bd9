#include "bus/application_mode.h"
#include "bus/can_open_master.h"
#include "core/config_items.h"
#include "core/error.h"
#include "core/file_check.h"
#include "core/file_names.h"
#include "core/message_window.h"
#include "core/msg_box.h"
#include "core/scratch_files.h"
#include "core/vb_val.h"
#include "main_window.h"
#include "main_window_form.h"
#include "module_type_tables.h"
#include "updater_services.h"

namespace pxu {

namespace {

// A configuration text read as a Boolean: "True", "False" or a number, 0 being False.
bool booleanItem(const QString& item, const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    if (!ok)
        raise(13, QStringLiteral("frmMain"),
              QStringLiteral("Type mismatch: the configuration item ") + item +
                  QStringLiteral(" holds \"") + text + QStringLiteral("\", which is no Boolean"));
    return number != 0;
}

} // namespace

bool MainWindow::Form_Load() {
    {
        // A shut-down asked for during the start-up's waits runs when it has returned.
        ShutDown::Operation operation(m_shutDown);
        guarded("frmMain", "Form_Load", [&] { load(); });
        // A start-up that returned without its window would leave an invisible process
        // holding the single-instance lock.
        if (!m_view.visible && !m_shutDown.ending())
            g_logOffApplication(true);
    }
    return !m_shutDown.ended();
}

void MainWindow::endAtOnce(int exitCode) {
    m_shutDown.endAtOnce(exitCode);
}

bool MainWindow::load() {
    m_line = CommandLine::parse(m_arguments);
    frmCANopen().setNoCan(m_line.noCan);
    g_debugMode = m_line.debug;
    if (m_line.kev) {
        g_KEVMode = true;
        g_moduleType = QStringLiteral("KEV");
    } else if (m_line.toq) {
        g_TOQMode = true;
        g_moduleType = QStringLiteral("TOQ");
    } else if (m_line.pxu) {
        // The full loader for the PXU modules: overview, upload, repair and the tools.
        g_moduleType = QStringLiteral("PXU");
    } else {
        g_moduleType = QStringLiteral("PXU");
        g_applUpdate = true;
        m_view.updaterFace = true;
        m_view.mnuModuleControlVisible = false;
        m_view.mnuViewVisible = false;
        m_view.mnuDcBuilderVisible = false;
        m_view.mnuToolsVisible = false;
        m_view.mnuFileVisible = false;
        m_view.mnuHelpVisible = false;
    }
    g_developMode = m_line.develop;

    if (!m_instanceLock.acquire()) {
        g_errMsgBox(QStringLiteral("PXU Loader is already running!"));
        endAtOnce(1);
        return false;
    }

    if (!findConfigDatabase())
        return false;
    if (!g_iniGlobals()) {
        endAtOnce(1);
        return false;
    }
    initWindow();

    m_bootloaderVersionChange.fill(false);
    m_moduleUpdated.fill(false);
    m_messages.clear();

    // The load-file check finds a file's box by its section number, so the numbers come
    // first.
    writeSectionTags();
    readApplicationType();
    g_productText =
        g_applType == applTypeDorn ? QStringLiteral("(D)ORN") : QStringLiteral("ZENT-6183");

    if (!g_applUpdate && !g_developMode) {
        const bool yes =
            frmMessage2().questionMsgBox(g_getUserMessage(1), QStringLiteral("Question"),
                                         QStringLiteral("Yes"), QStringLiteral("No"), true);
        if (!yes) {
            endAtOnce(0);
            return false;
        }
    }

    enableAllControls();
    m_view.fraEngineRunningVisible = false;

    // A malformed item is reported; "Continue" goes on with the item's default.
    bool blockTransfer = false;
    guarded("frmMain", "Form_Load", [&] {
        blockTransfer = booleanItem(QStringLiteral("blockTransfer"),
                                    g_getMiscItem(QStringLiteral("blockTransfer"), 0));
    });
    frmCANopen().setBlockTransfer(blockTransfer);
    showWindow();

    if (frmCANopen().g_noCan()) {
        frmMessage2().addMessage(QStringLiteral("no CAN initialising ..."));
        frmMessage2().closeMsgBox(1000);
        // The updater face tells it in its own list and starts no sequencer.
        if (g_applUpdate && m_updater)
            m_updater->showUpdater();
        return true;
    }

    setModuleVisibility();
    g_bigMem = modApplicationMode::g_getApplStartAddr(m_loadFiles.boxes(sectionBoxAppl).emhText) >=
               kBigMemStart;
    readBaseAddresses();

    if (kevOrToq()) {
        m_view.caption += QStringLiteral("     for ") + g_moduleType;
    } else if (g_applType == applTypeZent) {
        m_selection.setSectionEnabled(sectionBoxBL2, !g_mBusMode);
    }
    emit changed();

    if (g_applUpdate) {
        if (m_updater)
            m_updater->showUpdater();
    } else {
        bool ok = false;
        initConnection(false, g_applType == applTypeLorx, ok);
        if (!programEnding())
            setUserRights();
    }
    frmMessage2().unload();
    return true;
}

bool MainWindow::findConfigDatabase() {
    bool usable = false;
    guarded("frmMain", "findConfigDatabase", [&] {
        const ConfigLocation where = locateConfigDatabase(m_line, m_folders);
        g_toolName = where.toolName;
        g_installDir = where.installDir;
        g_configDbPath = where.configDbPath;
        if (g_checkFile(g_configDbPath, true, true) != checkFileOk) {
            endAtOnce(1);
            return;
        }
        g_workDir = where.workDir;
        g_uploadDir = where.uploadDir;
        QStringList kept = deleteMatchingFiles(g_workDir, QStringLiteral("*.rep"));
        // Copies that jobs killed with this program left; they are no one's work.
        for (const QString& folder : {g_workDir, g_uploadDir, templateFolder()})
            kept << removeLeftoverScratchFiles(folder);
        if (!kept.isEmpty())
            g_warningMsgBox(QStringLiteral("These files could not be deleted:\r") +
                                kept.join(QLatin1Char('\r')),
                            {}, false, 0);
        m_loadFiles.setDirectory(g_workDir);
        g_projectName = g_toolName;
        usable = true;
    });
    if (!usable && !m_shutDown.ended())
        endAtOnce(1);
    return usable;
}

void MainWindow::initWindow() {
    guarded("frmMain", "initWindow", [&] {
        m_view.fraModuleStateVisible = false;
        m_view.mnuViewVisible = g_debugMode && !g_applUpdate;
        for (int m = 0; m < kModuleCount; ++m) {
            auto& row = m_view.rows[m];
            row.caption = m == 0 ? QStringLiteral("Sp") : QString::number(m);
            row.captionVisible = true;
            m_selection.setStateBoxesVisible(m, true);
            m_selection.setProgramVisible(m, true);
            row.lampVisible = true;
            row.lampColour = kColourGreen;
        }
        if (kevOrToq()) {
            m_view.mnuUploadFromSpareVisible = false;
            m_view.mnuToolsVisible = false;
            m_view.mnuDcBuilderVisible = false;
            m_view.cmdModuleStateVisible = false;
        }
        emit changed();
    });
}

void MainWindow::writeSectionTags() {
    const SectionTags tags = sectionTags(g_moduleType);
    for (int i = 0; i < kSectionBoxCount; ++i) {
        m_selection.setSectionTag(i, tags[i]);
        // A section the module type does not offer has no box.
        m_selection.setSectionVisible(i, tags[i] != -1);
    }
}

void MainWindow::readApplicationType() {
    if (g_applUpdate) {
        if (g_getMiscItem(QStringLiteral("applType"), QStringLiteral("ZENT")) ==
            QLatin1String("DORN")) {
            g_applType = applTypeDorn;
            const QString caption = QStringLiteral("(D)ORN Update Tool");
            m_view.caption = caption;
            if (m_updater)
                m_updater->setToolCaption(caption);
        } else {
            g_applType = applTypeZent;
        }
        return;
    }
    g_checkFileExist(g_moduleType, false);
    g_applType = modApplicationMode::g_checkAppFileType(m_loadFiles.boxes(sectionBoxAppl).emhText);
}

void MainWindow::readBaseAddresses() {
    const BaseAddresses addresses = pxu::readBaseAddresses(g_bigMem);
    g_baseAdrDC = addresses.dc;
    g_baseAdrFPGA = addresses.fpga;
    g_baseAdrAppl = addresses.appl;
}

void MainWindow::setModuleVisibility() {
    guarded("frmMain", "setModuleVisibility", [&] {
        const int last = lastShownRow(g_applType);
        for (int m = 0; m < kModuleCount; ++m) {
            const bool shown = m <= last;
            m_view.rows[m].captionVisible = shown;
            m_selection.setStateBoxesVisible(m, shown);
            m_selection.setProgramVisible(m, shown);
            m_view.rows[m].lampVisible = false;
        }
        m_view.fraModuleStateVisible = true;
        emit changed();
    });
}

void MainWindow::showWindow() {
    m_view.visible = true;
    if (!m_form)
        m_form = std::make_unique<MainWindowForm>(*this);
    m_form->showFace();
    emit changed();
}

} // namespace pxu
