#include "main_window_form.h"

#include "core/globals.h"
#include "loader_panel.h"
#include "main_window.h"
#include "updater_services.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QStackedWidget>

namespace pxu {

namespace {
// The updater face's client area as designed (8310 x 7500 twips).
constexpr int kUpdaterWidth = 554;
constexpr int kUpdaterHeight = 500;
} // namespace

MainWindowForm::MainWindowForm(MainWindow& owner)
    : QMainWindow(nullptr)
    , m_owner(owner)
    , m_faces(new QStackedWidget(this))
    , m_loader(new LoaderPanel(owner, m_faces)) {
    setObjectName(QStringLiteral("frmMain"));
    buildMenus();
    m_faces->addWidget(m_loader);
    setCentralWidget(m_faces);

    connect(&owner, &MainWindow::changed, this, &MainWindowForm::render);
    connect(&owner.selection(), &Selection::changed, this, &MainWindowForm::render);
    connect(&owner.lock(), &ControlLock::changed, this, &MainWindowForm::render);
    connect(&owner.loadFiles(), &LoadFiles::changed, this, &MainWindowForm::render);
    render();
}

void MainWindowForm::buildMenus() {
    auto entry = [this](QMenu* menu, const char* name, const QString& text, auto handler) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto top = [this](const char* name, const QString& text) {
        QMenu* menu = menuBar()->addMenu(text);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    MainWindow& w = m_owner;
    mnuFile = top("mnuFile", QStringLiteral("&File"));
    mnuSelectFileDir = entry(mnuFile, "mnuSelectFileDir", QStringLiteral("&Select File Dir"),
                             [&w] { w.mnuSelectFileDir_Click(); });
    mnuExit = entry(mnuFile, "mnuExit", QStringLiteral("&Exit"), [&w] { w.mnuExit_Click(); });

    mnuModuleControl = top("mnuModuleControl", QStringLiteral("&Module Control"));
    mnuStartBootloader =
        entry(mnuModuleControl, "mnuStartBootloader", QStringLiteral("Start &Bootloader"),
              [&w] { w.mnuStartBootloader_Click(); });
    mnuStartApplication =
        entry(mnuModuleControl, "mnuStartApplication", QStringLiteral("Start &Application"),
              [&w] { w.mnuStartApplication_Click(); });
    mnuUploadFromSpare =
        entry(mnuModuleControl, "mnuUploadFromSpare", QStringLiteral("&Upload From Spare"),
              [&w] { w.mnuUploadFromSpare_Click(); });

    mnuView = top("mnuView", QStringLiteral("&View"));
    mnuShowDetailedModulInfos = entry(mnuView, "mnuShowDetailedModulInfos",
                                      QStringLiteral("Show Detailed &Modul-Infos"), [] {});
    mnuShowCanOpen = entry(mnuView, "mnuShowCanOpen", QStringLiteral("Show &CANopen"),
                           [&w] { w.mnuShowCanOpen_Click(); });

    mnuDcBuilder = top("mnuDcBuilder", QStringLiteral("&DC Builder"));
    mnuBuildDC = entry(mnuDcBuilder, "mnuBuildDC", QStringLiteral("&Build DataContainer"),
                       [&w] { w.mnuBuildDC_Click(); });

    mnuTools = top("mnuTools", QStringLiteral("&Tools"));
    mnuCreateTemplate =
        entry(mnuTools, "mnuCreateTemplate", QStringLiteral("&Create DataContainer Template"),
              [&w] { w.mnuCreateTemplate_Click(); });
    mnuReconstructDC =
        entry(mnuTools, "mnuReconstructDC", QStringLiteral("&Reconstruct DataContainer"),
              [&w] { w.mnuReconstructDC_Click(); });
    mnuRepairHWInfoBlock =
        entry(mnuTools, "mnuRepairHWInfoBlock", QStringLiteral("&Repair HW InfoBlock"),
              [&w] { w.mnuRepairHWInfoBlock_Click(); });

    mnuHelp = top("mnuHelp", QStringLiteral("&Help"));
    mnuAbout =
        entry(mnuHelp, "mnuAbout", QStringLiteral("&About..."), [&w] { w.mnuAbout_Click(); });
}

void MainWindowForm::showFace() {
    const bool updater = m_owner.view().updaterFace;
    if (updater && !m_updaterFrame && m_owner.updater()) {
        m_updaterFrame = m_owner.updater()->frame(m_faces);
        m_faces->addWidget(m_updaterFrame);
    }
    if (updater && m_updaterFrame) {
        m_faces->setCurrentWidget(m_updaterFrame);
        // The hidden full loader, whose grid widens as its lamps appear, must not widen
        // the updater's window.
        m_loader->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        resize(kUpdaterWidth, kUpdaterHeight);
    } else {
        m_faces->setCurrentWidget(m_loader);
        resize(kLoaderWidth, kLoaderHeight);
    }
    render();
    show();
}

void MainWindowForm::render() {
    const MainWindowView& view = m_owner.view();
    const ControlLock& lock = m_owner.lock();
    setWindowTitle(view.caption);

    const std::pair<QMenu*, bool> menus[] = {
        {mnuFile, view.mnuFileVisible},   {mnuModuleControl, view.mnuModuleControlVisible},
        {mnuView, view.mnuViewVisible},   {mnuDcBuilder, view.mnuDcBuilderVisible},
        {mnuTools, view.mnuToolsVisible}, {mnuHelp, view.mnuHelpVisible}};
    bool anyMenu = false;
    for (const auto& [menu, visible] : menus) {
        menu->menuAction()->setVisible(visible);
        anyMenu = anyMenu || visible;
    }
    menuBar()->setVisible(anyMenu);
    mnuUploadFromSpare->setVisible(view.mnuUploadFromSpareVisible);

    mnuFile->menuAction()->setEnabled(lock.enabled(Control::mnuFile));
    mnuModuleControl->menuAction()->setEnabled(lock.enabled(Control::mnuModuleControl));
    mnuTools->menuAction()->setEnabled(lock.enabled(Control::mnuTools));
    mnuDcBuilder->menuAction()->setEnabled(lock.enabled(Control::mnuDcBuilder));
    mnuStartApplication->setEnabled(lock.enabled(Control::mnuStartApplication));
    mnuStartBootloader->setEnabled(lock.enabled(Control::mnuStartBootloader));
    mnuUploadFromSpare->setEnabled(lock.enabled(Control::mnuUploadFromSpare));
    mnuExit->setEnabled(lock.enabled(Control::mnuExit));
    if (lock.hourglass())
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();

    m_loader->render();
}

void MainWindowForm::closeEvent(QCloseEvent* event) {
    // The shut-down hides the window itself once it has run.
    event->ignore();
    m_owner.Form_QueryUnload();
}

} // namespace pxu
