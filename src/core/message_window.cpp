#include "message_window.h"

#include "form_support.h"
#include "globals.h"
#include "message_window_form.h"

#include <QCoreApplication>
#include <algorithm>

namespace pxu {

namespace {
using Button = MessageWindowView::Button;
using Icon = MessageWindowView::Icon;

const QString kDefaultInformation = QStringLiteral("INFORMATION");
} // namespace

MessageWindow::MessageWindow(QObject* parent)
    : QObject(parent) {
    m_timExit.setInterval(5000);
    connect(&m_timExit, &ClockTimer::timeout, this, &MessageWindow::timExit_Timer);
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &MessageWindow::unload);
}

MessageWindow::~MessageWindow() {
    // Past the application's end no widget may be deleted; the process is going anyway.
    if (m_form && QCoreApplication::instance())
        delete m_form.data();
}

MessageWindowForm* MessageWindow::form() const {
    return m_form;
}

bool MessageWindow::isVisible() const {
    return m_form && m_form->isVisible();
}

void MessageWindow::load() {
    if (m_form)
        return;
    m_view = MessageWindowView{};
    m_messages.clear();
    m_timExit.stop();
    m_timExit.setInterval(5000);
    m_form = new MessageWindowForm(*this); // deleted by unload or the destructor
    takeMainWindowIcon(*m_form);
    m_isLoaded = true;
    render();
}

void MessageWindow::unload() {
    unloadWith(WindowAnswer::None);
}

void MessageWindow::unloadWith(WindowAnswer answer) {
    m_timExit.stop();
    m_isLoaded = false;
    if (!m_form)
        return;
    MessageWindowForm* form = m_form;
    m_form = nullptr;
    // Lookups by name must no longer find it while its deletion is pending.
    form->setObjectName(QString());
    form->done(int(answer));
    form->deleteLater();
}

void MessageWindow::press(WindowAnswer answer) {
    if (answer == WindowAnswer::Close) {
        // The close box declines: No where there is a No button, else Cancel.
        answer = m_view.buttons[Button::No].visible ? WindowAnswer::No : WindowAnswer::Cancel;
    }
    if (answer != WindowAnswer::None) {
        m_okPressed = answer == WindowAnswer::Ok;
        m_cancelPressed = answer == WindowAnswer::Cancel;
        m_yesPressed = answer == WindowAnswer::Yes;
        m_noPressed = answer == WindowAnswer::No;
    }
    unloadWith(answer);
}

void MessageWindow::timExit_Timer() {
    if (isVisible())
        unload();
}

void MessageWindow::beginShow(MessageKind kind, const QString& title, const QString& defaultTitle) {
    m_kind = kind;
    // An answer belongs to the message it closed; a new message starts without one.
    m_okPressed = m_cancelPressed = m_yesPressed = m_noPressed = false;
    // A loaded window goes with its list, colours and timer, also while a box hides it.
    if (m_form)
        unload();
    load();
    m_view.caption = title.isEmpty() ? defaultTitle : title;
}

void MessageWindow::showButtons(std::initializer_list<std::pair<Button, int>> shown) {
    for (auto& b : m_view.buttons)
        b.visible = false;
    for (const auto& [button, left] : shown) {
        m_view.buttons[button].visible = true;
        m_view.buttons[button].left = left;
        m_view.buttons[button].top = 2600;
    }
}

void MessageWindow::startAutoClose(int autoCloseMs) {
    if (autoCloseMs > 0) {
        m_timExit.setInterval(autoCloseMs);
        m_timExit.start();
    }
}

void MessageWindow::putText(const QString& text) {
    m_view.text = text;
    m_view.listVisible = false;
    m_view.textVisible = true;
}

void MessageWindow::showWindow(bool modal) {
    m_errorSignal = false;
    m_view.onTop = modal;
    render();
    if (!m_form)
        return;
    m_form->setWindowFlag(Qt::WindowStaysOnTopHint, modal);
    if (!modal) {
        m_form->setWindowModality(Qt::NonModal);
        m_form->show();
        m_form->repaint();
        return;
    }
    m_form->setWindowModality(Qt::ApplicationModal);
    m_form->show();

    MessageWindowRequest request;
    request.kind = int(m_kind);
    request.title = m_view.caption;
    request.text = m_view.textVisible ? m_view.text : m_messages.lines().join(QLatin1Char('\n'));
    request.yesCaption = m_view.buttons[Button::Yes].caption;
    request.noCaption = m_view.buttons[Button::No].caption;
    std::vector<std::pair<int, WindowAnswer>> buttons;
    static constexpr WindowAnswer answers[] = {WindowAnswer::Ok, WindowAnswer::Yes,
                                               WindowAnswer::No, WindowAnswer::Cancel};
    for (int i = 0; i < 4; ++i) {
        if (m_view.buttons[i].visible)
            buttons.emplace_back(m_view.buttons[i].left, answers[i]);
    }
    std::sort(buttons.begin(), buttons.end());
    for (const auto& b : buttons)
        request.buttons << b.second;

    const QPointer<MessageWindowForm> shown = m_form;
    const WindowAnswer answer = dialogs().messageWindow(*m_form, request);
    // The window may have been closed meanwhile, or replaced by the next message.
    if (shown && shown == m_form)
        press(answer);
}

void MessageWindow::progressInformationMsgBox(const QString& text, const QString& title, bool modal,
                                              int autoCloseMs) {
    beginShow(MessageKind::Progress, title, kDefaultInformation);
    showButtons({{Button::Cancel, 3480}});
    m_view.progressVisible = true;
    m_view.icon = Icon::Information;
    m_view.listTop = 120;
    m_view.listHeight = 2100;
    startAutoClose(autoCloseMs);
    m_messages.clear();
    addMessage(text);
    m_view.progress = 0;
    showWindow(modal);
}

bool MessageWindow::questionMsgBox(const QString& text, const QString& title,
                                   const QString& yesCaption, const QString& noCaption,
                                   bool warningStyle) {
    beginShow(warningStyle ? MessageKind::Warning : MessageKind::Question, title,
              QStringLiteral("QUESTION"));
    showButtons({{Button::Yes, 2160}, {Button::No, 3480}});
    m_view.buttons[Button::Yes].caption = yesCaption;
    m_view.buttons[Button::No].caption = noCaption;
    m_view.progressVisible = false;
    m_view.icon = warningStyle ? Icon::Exclamation : Icon::Question;
    m_view.listTop = 120;
    m_view.listHeight = 2410;
    m_timExit.stop();
    putText(text);
    showWindow(true);
    return m_yesPressed;
}

void MessageWindow::warningMsgBox(const QString& text, const QString& title) {
    beginShow(MessageKind::Warning, title, QStringLiteral("WARNING"));
    showButtons({{Button::Ok, 2160}, {Button::Cancel, 3480}});
    m_view.progressVisible = false;
    m_view.icon = Icon::Exclamation;
    m_view.listTop = 120;
    m_view.listHeight = 2410;
    m_timExit.stop();
    putText(text);
    showWindow(true);
}

void MessageWindow::informationMsgBox(const QString& text, const QString& title, bool modal,
                                      int autoCloseMs, bool hideButtonRow, bool show) {
    beginShow(MessageKind::Information, title, kDefaultInformation);
    showButtons({{Button::Ok, 3480}});
    m_view.progressVisible = false;
    m_view.icon = Icon::Information;
    m_view.listTop = 120;
    m_view.listHeight = 2410;
    if (hideButtonRow)
        hideButtons(true);
    startAutoClose(autoCloseMs);
    m_messages.clear();
    addMessage(text);
    if (show) {
        showWindow(modal);
    } else {
        m_errorSignal = false;
        render();
    }
}

void MessageWindow::errorMsgBox(const QString& text, const QString& title, bool modal,
                                int autoCloseMs) {
    beginShow(MessageKind::Information, title, QStringLiteral("ERROR"));
    showButtons({{Button::Ok, 3480}});
    m_view.progressVisible = false;
    m_view.icon = Icon::Error;
    m_view.listTop = 120;
    m_view.listHeight = 2410;
    startAutoClose(autoCloseMs);
    putText(text);
    showWindow(modal);
}

void MessageWindow::closeMsgBox(int delayMs) {
    // A window that is not loaded has nothing to close.
    if (delayMs > 0 && m_isLoaded) {
        m_timExit.setInterval(delayMs);
        m_timExit.start();
    }
}

void MessageWindow::setProgressBarValue(int value) {
    m_view.progress = std::clamp(value, 0, 100);
    m_messages.showWaitingLines();
    render();
}

bool MessageWindow::getResult() const {
    switch (m_kind) {
    case MessageKind::Progress:
    case MessageKind::Information:
        return true;
    case MessageKind::Question:
        return m_yesPressed;
    case MessageKind::Warning:
        return m_okPressed;
    }
    return false;
}

void MessageWindow::appendLines(const QString& text) {
    // Lines end at CR, CR LF or LF, so no line starts with the LF of a CR LF.
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        m_messages.addLine(text.mid(start, end - start));
        if (end < n && text[end] == QLatin1Char('\r') && end + 1 < n &&
            text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    m_messages.refresh();
}

void MessageWindow::addMessage(const QString& text) {
    if (g_applUpdate)
        return;
    if (!m_isLoaded) {
        informationMsgBox(text, QString(), false, 10000, false, true);
    } else {
        appendLines(text);
        if (m_timExit.isActive())
            m_timExit.start(); // counts anew from this message
    }
    // The list paints its new lines itself; the rest of the window only when it changes.
    if (!m_view.listVisible || m_view.textVisible) {
        m_view.listVisible = true;
        m_view.textVisible = false;
        render();
    }
    if (m_form)
        m_form->bringToFront();
}

bool MessageWindow::errorSignal(bool set) {
    if (set) {
        m_errorSignal = true;
        m_view.listRed = true;
        m_timExit.stop();
        render();
    }
    return m_errorSignal;
}

void MessageWindow::hideButtons(bool hide) {
    m_view.windowHeight = hide ? m_view.listHeight + 120 + 500 : 3500;
    render();
}

void MessageWindow::render() {
    if (m_form)
        m_form->render(m_view);
}

MessageWindow& frmMessage2() {
    static QPointer<MessageWindow> instance;
    if (!instance)
        instance = new MessageWindow(QCoreApplication::instance()); // owned by the application
    return *instance;
}

} // namespace pxu
