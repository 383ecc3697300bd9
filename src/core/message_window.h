#pragma once

#include "dialog_service.h"
#include "message_list.h"
#include "platform/clock/clock_timer.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>

namespace pxu {

enum class MessageKind { Progress = 0, Information = 1, Question = 3, Warning = 4 };

class MessageWindowForm;

// What the window's controls show besides the list's lines; a freshly loaded window shows
// the designed state.
// Positions and sizes in twips.
struct MessageWindowView {
    enum Button { Ok, Yes, No, Cancel };
    enum class Icon { Information, Question, Exclamation, Error };
    struct ButtonView {
        bool visible = true;
        int left = 0;
        int top = 2600;
        QString caption;
    };

    QString caption = QStringLiteral("MESSAGE");
    int windowHeight = 3500; // outer height, title bar included
    bool listVisible = true;
    int listTop = 120;
    int listHeight = 1980;
    bool listRed = false;
    QString text;
    bool textVisible = true;
    bool progressVisible = true;
    int progress = 0;
    Icon icon = Icon::Information;
    bool onTop = false;
    std::array<ButtonView, 4> buttons{ButtonView{true, 840, 2600, QStringLiteral("OK")},
                                      ButtonView{true, 2160, 2600, QStringLiteral("Yes")},
                                      ButtonView{true, 3480, 2600, QStringLiteral("No")},
                                      ButtonView{true, 2520, 2520, QStringLiteral("Cancel")}};
};

// The program's own message window: a progress message, an information, an error, a
// question (Yes/No) or a warning (OK/Cancel), and a message sink for start-up and
// connection progress. The instance's fields outlive its controls: unloading deletes the
// form, the next show creates it again in its designed state. Modal kinds are answered
// through the dialog service.
class MessageWindow : public QObject {
    Q_OBJECT
public:
    explicit MessageWindow(QObject* parent = nullptr);
    ~MessageWindow() override;

    void progressInformationMsgBox(const QString& text, const QString& title = {},
                                   bool modal = false, int autoCloseMs = 0);
    // Always modal; True when Yes closed the window.
    bool questionMsgBox(const QString& text, const QString& title, const QString& yesCaption,
                        const QString& noCaption, bool warningStyle = false);
    // Always modal; getResult() tells whether OK closed it.
    void warningMsgBox(const QString& text, const QString& title = {});
    void informationMsgBox(const QString& text, const QString& title = {}, bool modal = false,
                           int autoCloseMs = 0, bool hideButtons = false, bool show = true);
    void closeMsgBox(int delayMs);
    void errorMsgBox(const QString& text, const QString& title = {}, bool modal = false,
                     int autoCloseMs = 0);
    void setProgressBarValue(int value);
    bool getResult() const;
    // Message sink: appends the text's lines to the list, opening the window if needed.
    void addMessage(const QString& text);
    bool errorSignal(bool set);
    void hideButtons(bool hide);

    // Unloads the window (its fields stay); shut-down and the start-up call it.
    void unload();

    // The window's events.
    void cmdOk_Click() { press(WindowAnswer::Ok); }
    void cmdYes_Click() { press(WindowAnswer::Yes); }
    void cmdNo_Click() { press(WindowAnswer::No); }
    void cmdCancel_Click() { press(WindowAnswer::Cancel); }
    void Form_Click() { m_timExit.stop(); }
    void lstMessage_GotFocus() { m_timExit.stop(); }
    void lstMessage_Scroll() { m_timExit.stop(); }
    void timExit_Timer();
    void closeBox() { press(WindowAnswer::Close); }

    bool isLoaded() const { return m_isLoaded; }
    bool isVisible() const;
    MessageKind kind() const { return m_kind; }
    const MessageWindowView& view() const { return m_view; }
    // The list's lines (lstMessage), the last one current.
    MessageList& messages() { return m_messages; }
    bool autoCloseActive() const { return m_timExit.isActive(); }
    int autoCloseInterval() const { return m_timExit.interval(); }
    // The window's form while it is loaded.
    MessageWindowForm* form() const;

private:
    void press(WindowAnswer answer);
    void unloadWith(WindowAnswer answer);
    void load();
    void beginShow(MessageKind kind, const QString& title, const QString& defaultTitle);
    void showButtons(std::initializer_list<std::pair<MessageWindowView::Button, int>> shown);
    void startAutoClose(int autoCloseMs);
    void putText(const QString& text);
    void showWindow(bool modal);
    void appendLines(const QString& text);
    void render();

    MessageKind m_kind = MessageKind::Progress;
    bool m_okPressed = false;
    bool m_cancelPressed = false;
    bool m_yesPressed = false;
    bool m_noPressed = false;
    bool m_isLoaded = false;
    bool m_errorSignal = false;

    MessageWindowView m_view;
    MessageList m_messages;
    ClockTimer m_timExit;
    QPointer<MessageWindowForm> m_form;
};

// The program-wide message window, created on first use.
MessageWindow& frmMessage2();

} // namespace pxu
