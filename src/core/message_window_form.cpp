#include "message_window_form.h"

#include "form_support.h"
#include "message_list_view.h"
#include "message_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

namespace pxu {

namespace {

constexpr int kClientWidth = 4755;

QFont designFont(const QString& family) {
    QFont font(family);
    font.setPointSizeF(9.75);
    return font;
}

} // namespace

MessageWindowForm::MessageWindowForm(MessageWindow& owner)
    : QDialog(nullptr)
    , m_owner(owner)
    , m_list(new MessageListView(owner.messages(), MessageListView::CurrentLine::Unselected, this))
    , m_text(new QPlainTextEdit(this))
    , m_progress(new QProgressBar(this))
    , m_icon(new QLabel(this)) {
    setObjectName(QStringLiteral("frmMessage2"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false);

    m_list->setObjectName(QStringLiteral("lstMessage"));
    m_list->setFont(designFont(QStringLiteral("Arial")));
    // Focus only by the user's click: the list taking focus stops the auto-close timer.
    m_list->setFocusPolicy(Qt::ClickFocus);
    m_list->installEventFilter(this);
    QPalette listPalette = m_list->palette();
    listPalette.setColor(QPalette::Text, palette().color(QPalette::ButtonText));
    m_list->setPalette(listPalette);
    connect(m_list->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_owner.lstMessage_Scroll(); });

    m_text->setObjectName(QStringLiteral("txtMessage"));
    m_text->setFont(designFont(QStringLiteral("MS Sans Serif")));
    m_text->setReadOnly(true);
    m_text->setFocusPolicy(Qt::ClickFocus);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setGeometry(twipsRect(120, 120, 4500, 1935));
    QPalette textPalette = m_text->palette();
    textPalette.setColor(QPalette::Base, palette().color(QPalette::Button));
    m_text->setPalette(textPalette);

    m_progress->setObjectName(QStringLiteral("prgBar"));
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setGeometry(twipsRect(120, 2160, 4560, 255));

    m_icon->setObjectName(QStringLiteral("imgIcon"));
    m_icon->setGeometry(twipsRect(120, 2520, 480, 480));

    static const char* names[] = {"cmdOk", "cmdYes", "cmdNo", "cmdCancel"};
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = new QPushButton(this);
        m_buttons[i]->setObjectName(QString::fromLatin1(names[i]));
        m_buttons[i]->setAutoDefault(false);
    }
    connect(m_buttons[MessageWindowView::Ok], &QPushButton::clicked, this,
            [this] { m_owner.cmdOk_Click(); });
    connect(m_buttons[MessageWindowView::Yes], &QPushButton::clicked, this,
            [this] { m_owner.cmdYes_Click(); });
    connect(m_buttons[MessageWindowView::No], &QPushButton::clicked, this,
            [this] { m_owner.cmdNo_Click(); });
    connect(m_buttons[MessageWindowView::Cancel], &QPushButton::clicked, this,
            [this] { m_owner.cmdCancel_Click(); });
}

void MessageWindowForm::render(const MessageWindowView& view) {
    setWindowTitle(view.caption);
    setFixedSize(twips(kClientWidth), twips(view.windowHeight - kWindowFrameTwips));

    m_list->setGeometry(twipsRect(100, view.listTop, 4545, view.listHeight));
    m_list->setVisible(view.listVisible);
    QPalette listPalette = m_list->palette();
    listPalette.setColor(QPalette::Base,
                         view.listRed ? QColor(255, 128, 128) : palette().color(QPalette::Button));
    m_list->setPalette(listPalette);

    const QString text = displayText(view.text);
    if (m_text->toPlainText() != text)
        m_text->setPlainText(text);
    m_text->setVisible(view.textVisible);

    m_progress->setVisible(view.progressVisible);
    m_progress->setValue(view.progress);

    if (m_iconShown != int(view.icon)) {
        static const QStyle::StandardPixmap pixmaps[] = {
            QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxQuestion,
            QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical};
        m_icon->setPixmap(style()->standardIcon(pixmaps[int(view.icon)]).pixmap(32, 32));
        m_iconShown = int(view.icon);
    }

    for (int i = 0; i < 4; ++i) {
        const auto& b = view.buttons[i];
        m_buttons[i]->setText(b.caption);
        m_buttons[i]->setGeometry(twipsRect(b.left, b.top, 1150, 350));
        m_buttons[i]->setVisible(b.visible);
    }
}

void MessageWindowForm::bringToFront() {
    static const bool stacked = QGuiApplication::platformName() != QLatin1String("offscreen") &&
                                QGuiApplication::platformName() != QLatin1String("minimal");
    if (stacked)
        raise();
}

void MessageWindowForm::reject() {
    // The close box and Escape: the window's own decline, not a silent close.
    m_owner.closeBox();
}

void MessageWindowForm::mousePressEvent(QMouseEvent* event) {
    m_owner.Form_Click();
    QDialog::mousePressEvent(event);
}

bool MessageWindowForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::FocusIn)
        m_owner.lstMessage_GotFocus();
    return QDialog::eventFilter(watched, event);
}

} // namespace pxu
