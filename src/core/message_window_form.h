#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace pxu {

class MessageListView;
class MessageWindow;
struct MessageWindowView;

// The controls of the message window. It shows what its MessageWindow holds and hands
// the user's clicks back to it.
class MessageWindowForm : public QDialog {
    Q_OBJECT
public:
    explicit MessageWindowForm(MessageWindow& owner);

    void render(const MessageWindowView& view);
    // To the front of the other windows; nothing where the platform keeps no stack of them.
    void bringToFront();

    MessageListView* lstMessage() const { return m_list; }
    QPlainTextEdit* txtMessage() const { return m_text; }
    QProgressBar* prgBar() const { return m_progress; }
    QPushButton* button(int which) const { return m_buttons[which]; }
    QLabel* icon() const { return m_icon; }

public slots:
    void reject() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MessageWindow& m_owner;
    MessageListView* m_list;
    QPlainTextEdit* m_text;
    QProgressBar* m_progress;
    QPushButton* m_buttons[4];
    QLabel* m_icon;
    int m_iconShown = -1;
};

} // namespace pxu
