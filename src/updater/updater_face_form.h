#pragma once

#include "updater_face.h"

#include <QFrame>
#include <QPalette>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace pxu {

class MessageListView;

// The updater's frame (fraZentUpdater) in the main window. It shows what its UpdaterFace
// holds and hands the button clicks back to it.
class UpdaterFaceForm : public QFrame {
    Q_OBJECT
public:
    UpdaterFaceForm(UpdaterFace& owner, QWidget* parent);

    void render();

    QLabel* lblUpdateToolCaption;
    std::array<QLineEdit*, kUpdaterSteps> txtStep;
    MessageListView* lstMessageUpdater;
    QLabel* Label2;
    QProgressBar* prgProgressUpdater;
    QFrame* frmProgressPxu;
    QLabel* Label3;
    QProgressBar* prgProgressLoad;
    QGroupBox* fraUserInformation;
    QPlainTextEdit* txtUserInfo;
    QPushButton* cmdOk;
    QPushButton* cmdExitUpdater;
    QPushButton* cmdOpenReport;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The user information as tall as its lines at its width.
    void fitUserInfo();

    UpdaterFace& m_owner;
    QPalette m_listPalette;
    QString m_shownUserInfo;
};

} // namespace pxu
