#pragma once

#include <QMainWindow>
#include <QPointer>

class QAction;
class QMenu;
class QStackedWidget;

namespace pxu {

class LoaderPanel;
class MainWindow;

// The main window's controls: the menu bar and one of the two faces, the updater's frame
// or the full loader's panel. It shows what its MainWindow holds and hands the user's
// actions back to it.
class MainWindowForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindowForm(MainWindow& owner);

    // Shows the window with the face that the module type chose.
    void showFace();
    void render();

    LoaderPanel* loader() const { return m_loader; }
    QWidget* updaterFrame() const { return m_updaterFrame; }

    QMenu* mnuFile;
    QMenu* mnuModuleControl;
    QMenu* mnuView;
    QMenu* mnuDcBuilder;
    QMenu* mnuTools;
    QMenu* mnuHelp;
    QAction* mnuSelectFileDir;
    QAction* mnuExit;
    QAction* mnuStartBootloader;
    QAction* mnuStartApplication;
    QAction* mnuUploadFromSpare;
    QAction* mnuShowDetailedModulInfos;
    QAction* mnuShowCanOpen;
    QAction* mnuBuildDC;
    QAction* mnuCreateTemplate;
    QAction* mnuReconstructDC;
    QAction* mnuRepairHWInfoBlock;
    QAction* mnuAbout;

    // The full loader's size: it shows every control without scrolling at 1280 x 800.
    static constexpr int kLoaderWidth = 1180;
    static constexpr int kLoaderHeight = 760;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();

    MainWindow& m_owner;
    QStackedWidget* m_faces;
    LoaderPanel* m_loader;
    QPointer<QWidget> m_updaterFrame;
};

} // namespace pxu
