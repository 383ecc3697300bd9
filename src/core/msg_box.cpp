#include "msg_box.h"

#include "dialog_service.h"
#include "form_support.h"
#include "message_window.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace pxu {

namespace {

const QString kMessageWindow = QStringLiteral("frmMessage2");

// Hides a visible message window for the time of a box and brings it back afterwards.
// A window that was hidden before stays hidden, one closed meanwhile stays closed.
class MessageWindowAside {
public:
    explicit MessageWindowAside(bool active) {
        if (!active)
            return;
        if (QWidget* w = topLevelWindow(kMessageWindow); w && w->isVisible()) {
            m_window = w;
            w->hide();
        }
    }
    ~MessageWindowAside() {
        if (m_window && m_window->objectName() == kMessageWindow)
            m_window->show();
    }

private:
    QPointer<QWidget> m_window;
};

BoxAnswer show(BoxIcon icon, BoxButtons buttons, int defaultButton, const QString& title,
               const QString& defaultTitle, const QString& text, bool help = false) {
    BoxRequest request;
    request.icon = icon;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    request.title = title.isEmpty() ? defaultTitle : title;
    request.text = text;
    request.helpButton = help;
    return dialogs().messageBox(request);
}

} // namespace

bool g_questionMsgBox(const QString& text, const QString& title, bool hideMessageWindow) {
    MessageWindowAside aside(hideMessageWindow);
    return show(BoxIcon::Question, BoxButtons::YesNo, 0, title, QStringLiteral("QUESTION"), text) ==
           BoxAnswer::Yes;
}

void g_informationMsgBox(const QString& text, const QString& title, bool) {
    show(BoxIcon::Information, BoxButtons::Ok, 0, title, QStringLiteral("INFORMATION"), text);
}

bool g_warningMsgBox(const QString& text, const QString& title, bool hideMessageWindow,
                     int buttons) {
    MessageWindowAside aside(hideMessageWindow);
    const auto set = buttons >= 0 && buttons <= 5 ? BoxButtons(buttons) : BoxButtons::Ok;
    return show(BoxIcon::Warning, set, 1, title, QStringLiteral("WARNING"), text) == BoxAnswer::Ok;
}

void g_errorMsgBox(const QString& text, const QString& title, bool hideMessageWindow) {
    MessageWindowAside aside(hideMessageWindow);
    show(BoxIcon::Critical, BoxButtons::Ok, 0, title, QStringLiteral("ERROR"), text);
}

void g_errMsgBox(const QString& text, const QString& title, const std::optional<Failure>& pending) {
    if (pending && pending->number != 0) {
        show(BoxIcon::Critical, BoxButtons::Ok, 0, title, QStringLiteral("ERROR"),
             text + QStringLiteral("\r\nError ") + QString::number(pending->number) +
                 QStringLiteral(": ") + pending->description,
             true);
        return;
    }
    show(BoxIcon::Critical, BoxButtons::Ok, 0, title, QStringLiteral("ERROR"), text);
}

void g_informationMsgBox2(const QString& text, const QString& title, bool modal, int autoCloseMs) {
    frmMessage2().informationMsgBox(text, title, modal, autoCloseMs, false, true);
}

bool g_isLoaded(const QString& formName, const QString& secondName, bool evenIfHidden) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* w : widgets) {
        if (w->objectName() != formName)
            continue;
        if (!secondName.isEmpty() && w->windowTitle() != secondName)
            continue;
        return evenIfHidden || w->isVisible();
    }
    return false;
}

} // namespace pxu
