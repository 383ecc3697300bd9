#pragma once

#include "core/globals.h"
#include "module_type_tables.h"

#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace pxu {

class MainWindow;
class MessageListView;
class ModelCheckBox;

// The full loader's face: the module grid, the section boxes with their load files, the
// message list, the progress bar and the buttons. It shows what its MainWindow holds and
// hands the user's clicks back to it.
class LoaderPanel : public QWidget {
    Q_OBJECT
public:
    LoaderPanel(MainWindow& owner, QWidget* parent);

    void render();

    // The controls, by the names the window's code uses.
    QGroupBox* fraModuleState;
    std::array<QLabel*, kModuleCount> lblCylinderNumber;
    std::array<QLabel*, kModuleCount> lblHW;
    std::array<ModelCheckBox*, kModuleCount> chkBootLoaderRunning;
    std::array<ModelCheckBox*, kModuleCount> chkApplicationRunning;
    std::array<ModelCheckBox*, kModuleCount> chkProgram;
    std::array<QLabel*, kModuleCount> lblDownloadOk;
    ModelCheckBox* chkProgramAllModules;
    QGroupBox* fraEngineRunning;
    QLabel* imgEngineRunning;
    QLabel* imgEngineStStill;

    QLineEdit* txtFileDirectory;
    ModelCheckBox* chkSectionNew;
    std::array<ModelCheckBox*, kSectionBoxCount> chkLoadSection;
    std::array<QLineEdit*, kSectionBoxCount> txtEmh;
    std::array<QLineEdit*, kSectionBoxCount> txtVersion;
    std::array<QLineEdit*, kSectionBoxCount> txtBuild;
    ModelCheckBox* chkProgramAllSections;

    MessageListView* lstMessage;
    QProgressBar* prgProgress;
    QPushButton* cmdDownload;
    QPushButton* cmdAbort;
    QPushButton* cmdModuleState;
    QPushButton* cmdExit;

private:
    QWidget* buildGrid();
    QWidget* buildSections();
    QWidget* buildButtons();

    MainWindow& m_owner;
};

} // namespace pxu
