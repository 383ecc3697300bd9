#pragma once

#include "info_boxes.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace pxu {

class DcBuilder;
class MessageListView;

// The "Data Container Builder" window: shows what its DcBuilder holds and hands the
// user's clicks and edits back to it.
class DcBuilderForm : public QWidget {
    Q_OBJECT
public:
    explicit DcBuilderForm(DcBuilder& owner, QWidget* parent = nullptr);

    QTabBar* tabAction;
    QStackedWidget* frames;
    std::array<QWidget*, 4> fraAction;
    std::array<QPushButton*, 3> cmdEdit;
    std::array<QLabel*, kInfoBoxCount> lblSwInfo;
    std::array<QLineEdit*, kInfoBoxCount> txtInfo; // txtEngineType, ... in InfoBox order
    QLabel* txtLblStartAdr;                        // a caption: no box behind it
    QLineEdit* txtStartAdr;
    QListWidget* filSourceDC;
    QPushButton* cmdBuild;
    QPushButton* cmdReport;
    QPushButton* cmdScanHeader;
    QPushButton* cmdScanSignalList;
    std::array<QLabel*, 3> txtDocumentation;
    QLabel* lblProgramFileDir;
    QLineEdit* txtFileDirectory;
    MessageListView* lstMessage;
    QProgressBar* prgProgress;
    QPushButton* cmdExit;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void render();

    DcBuilder& m_owner;
    bool m_rendering = false;
};

} // namespace pxu
