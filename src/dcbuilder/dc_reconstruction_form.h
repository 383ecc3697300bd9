#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace pxu {

class DcReconstruction;
class MessageListView;

// The reconstruction's window ("Data Container Builder"): shows what its DcReconstruction
// holds and hands the user's clicks and the edited result name back to it.
class DcReconstructionForm : public QWidget {
    Q_OBJECT
public:
    explicit DcReconstructionForm(DcReconstruction& owner, QWidget* parent = nullptr);

    QFrame* fraAction;
    QLabel* lblProgramFileDir;
    QLineEdit* txtFileDirectory;
    QLabel* txtDocumentation;
    QLineEdit* txtReconstructDCResult;
    QPushButton* cmdReconstructDC;
    QPushButton* cmdExit;
    MessageListView* lstMessage;
    QProgressBar* prgProgress;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void render();

    DcReconstruction& m_owner;
};

} // namespace pxu
