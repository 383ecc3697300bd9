#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;

namespace pxu {

// The error reporter's window: the failure, the protocol buttons and the decisions.
// A decision finishes the window with its ErrorAction + 1; it has no other way out.
class ErrorReporterForm : public QDialog {
    Q_OBJECT
public:
    ErrorReporterForm();

    // Lays the frames out one under the other and shows the decisions the mask offers.
    void showFailureWindow(int choicesMask);

    QLabel* lblComment = nullptr;
    QGroupBox* framComment = nullptr;
    QGroupBox* framFehler = nullptr;
    QGroupBox* framProtocol = nullptr;
    QGroupBox* framCallStack = nullptr;
    QGroupBox* framContinue = nullptr;
    QLabel* lblErrTitel[4] = {};
    QLabel* lblError[4] = {};
    // Holds lblError[0], the failure's number and cause: it grows with a long cause, and
    // scrolls one too long for the screen.
    QScrollArea* scrFailureNo = nullptr;
    QPushButton* cmdProtocol[4] = {};
    QPushButton* cmdContinue[4] = {};
    QListWidget* lstCallStack = nullptr;

    // Frame heights in twips, as designed.
    static constexpr int kCommentHeight = 975;
    static constexpr int kFailureHeight = 1575;
    static constexpr int kProtocolHeight = 735;
    static constexpr int kCallStackHeight = 1695;
    static constexpr int kContinueHeight = 855;
    static constexpr int kFrameWidth = 7215;
    // The cause's two designed lines, and the most it grows to before it scrolls.
    static constexpr int kCauseHeight = 480;
    static constexpr int kCauseMaxHeight = 3600;

public slots:
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Places the failure's labels below a cause of the height its text needs.
    void layOutFailure();

    int m_causeGrowth = 0; // pixels the cause took beyond its designed two lines
};

} // namespace pxu
