#include "error_reporter_form.h"

#include "form_support.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <algorithm>

namespace pxu {

namespace {

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, int height) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(twipsRect(0, 0, ErrorReporterForm::kFrameWidth, height));
    return box;
}

} // namespace

ErrorReporterForm::ErrorReporterForm()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ErrPtnr"));
    setWindowTitle(QStringLiteral("ProgInfo - Failure-Message"));

    framComment = frame(this, "framComment", QString(), kCommentHeight);
    lblComment = new QLabel(framComment);
    lblComment->setObjectName(QStringLiteral("lblComment"));
    lblComment->setGeometry(twipsRect(120, 120, kFrameWidth - 240, kCommentHeight - 180));
    lblComment->setWordWrap(true);
    lblComment->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    framFehler = frame(this, "framFehler", QStringLiteral("Failure-Description:"), kFailureHeight);
    static const char* titles[] = {"Failure-No:", "Module:", "Procedure:", "Line-No.:"};
    for (int i = 0; i < 4; ++i) {
        lblErrTitel[i] = new QLabel(QString::fromLatin1(titles[i]), framFehler);
        lblErrTitel[i]->setObjectName(QStringLiteral("lblErrTitel%1").arg(i));
        lblError[i] = new QLabel;
        lblError[i]->setObjectName(QStringLiteral("lblError%1").arg(i));
        lblError[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        lblError[i]->setWordWrap(i == 0);
        lblError[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (i > 0)
            lblError[i]->setParent(framFehler);
    }
    scrFailureNo = named(new QScrollArea(framFehler), "scrFailureNo");
    scrFailureNo->setFrameShape(QFrame::NoFrame);
    scrFailureNo->setWidgetResizable(true);
    scrFailureNo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrFailureNo->viewport()->setAutoFillBackground(false);
    scrFailureNo->setWidget(lblError[0]);
    lblError[0]->setAutoFillBackground(false);

    framProtocol =
        frame(this, "framProtocol", QStringLiteral("Failure-Protocol ..."), kProtocolHeight);
    static const char* protocol[] = {"&Print", "&Save", "&EMail", "&WWW"};
    static const char* decisions[] = {"&Repeat command", "&Continue", "&Leave   procedure",
                                      "&Exit program"};
    static const int lefts[] = {240, 2040, 3840, 5640};
    for (int i = 0; i < 4; ++i) {
        cmdProtocol[i] = new QPushButton(QString::fromLatin1(protocol[i]), framProtocol);
        cmdProtocol[i]->setObjectName(QStringLiteral("cmdProtocol%1").arg(i));
        cmdProtocol[i]->setGeometry(twipsRect(lefts[i], 240, 1335, 375));
        cmdProtocol[i]->setAutoDefault(false);
    }

    framCallStack = frame(this, "framCallStack", QStringLiteral("CallStack:"), kCallStackHeight);
    lstCallStack = new QListWidget(framCallStack);
    lstCallStack->setObjectName(QStringLiteral("lstCallStack"));
    lstCallStack->setGeometry(twipsRect(120, 240, kFrameWidth - 240, kCallStackHeight - 360));

    framContinue = frame(this, "framContinue", QStringLiteral("Further Program Execution ..."),
                         kContinueHeight);
    for (int i = 0; i < 4; ++i) {
        cmdContinue[i] = new QPushButton(QString::fromLatin1(decisions[i]), framContinue);
        cmdContinue[i]->setObjectName(QStringLiteral("cmdContinue%1").arg(i));
        cmdContinue[i]->setGeometry(twipsRect(lefts[i], 240, 1335, 495));
        cmdContinue[i]->setAutoDefault(false);
    }
}

void ErrorReporterForm::layOutFailure() {
    // The cause takes the lines it needs, from its designed two up to the most it grows to.
    const int width = twips(kFrameWidth - 1320);
    const int designed = twips(kCauseHeight);
    const int needed = lblError[0]->heightForWidth(width);
    m_causeGrowth = std::clamp(needed, designed, twips(kCauseMaxHeight)) - designed;
    static const int tops[] = {240, 720, 960, 1200};
    for (int i = 0; i < 4; ++i) {
        const int below = i == 0 ? 0 : m_causeGrowth;
        lblErrTitel[i]->setGeometry(twipsRect(120, tops[i], 1035, 240).translated(0, below));
        if (i > 0)
            lblError[i]->setGeometry(
                twipsRect(1200, tops[i], kFrameWidth - 1320, 240).translated(0, below));
    }
    scrFailureNo->setGeometry(twips(1200), twips(tops[0]), width, designed + m_causeGrowth);
    framFehler->resize(twips(kFrameWidth), twips(kFailureHeight) + m_causeGrowth);
}

void ErrorReporterForm::showFailureWindow(int choicesMask) {
    layOutFailure();
    int y = 0;
    framComment->setVisible(true);
    framComment->move(0, twips(y));
    y += kCommentHeight;
    lblComment->setText(displayText(
        QStringLiteral("DORN Update Tool has entered an abnormal situation.\r\nPlease help us to "
                       "improve the program and send back a print screen of this window.\r\n")));
    framFehler->setVisible(true);
    framFehler->move(0, twips(y));
    y += kFailureHeight;
    framProtocol->setVisible(true);
    framProtocol->move(0, twips(y) + m_causeGrowth);
    y += kProtocolHeight;
    for (QPushButton* b : cmdProtocol)
        b->setVisible(true);
    framCallStack->setVisible(false);
    framContinue->move(0, twips(y) + m_causeGrowth);
    y += kContinueHeight;
    cmdContinue[0]->setVisible(false);
    cmdContinue[1]->setVisible((choicesMask & 2) == 2);
    cmdContinue[2]->setVisible(false);
    cmdContinue[3]->setVisible((choicesMask & 8) == 8);

    setFixedSize(twips(kFrameWidth), twips(y) + m_causeGrowth);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size().expandedTo(size());
        move(area.x() + (area.width() - outer.width()) / 2,
             area.y() + (area.height() - outer.height()) / 2);
    }
}

void ErrorReporterForm::closeEvent(QCloseEvent* event) {
    // Only a decision closes the reporter.
    event->ignore();
}

} // namespace pxu
