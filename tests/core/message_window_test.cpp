#include "core/globals.h"
#include "core/message_list_view.h"
#include "core/message_window.h"
#include "core/message_window_form.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <functional>

using namespace pxu;
using Button = MessageWindowView::Button;
using Icon = MessageWindowView::Icon;
using Call = std::function<void(MessageWindow&)>;
using ButtonList = QList<QPair<int, int>>;

Q_DECLARE_METATYPE(Call)

namespace {

// The buttons shown and their left positions, in the order OK, Yes, No, Cancel.
ButtonList shownButtons(const MessageWindowView& view) {
    ButtonList shown;
    for (int i = 0; i < 4; ++i) {
        if (view.buttons[i].visible)
            shown << qMakePair(i, view.buttons[i].left);
    }
    return shown;
}

} // namespace

class MessageWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void showOperationLaysOutItsKind_data();
    void showOperationLaysOutItsKind();
    void questionReturnsWhetherYesClosedIt_data();
    void questionReturnsWhetherYesClosedIt();
    void warningResultIsWhetherOkClosedIt_data();
    void warningResultIsWhetherOkClosedIt();
    void newMessageStartsWithoutTheLastAnswer();
    void closeBoxOfModalWindowDeclines();
    void realWindowIsAnsweredByItsButtonOrCloseBox();
    void autoCloseTimerClosesWindowAfterItsTime();
    void userAttentionStopsAutoClose_data();
    void userAttentionStopsAutoClose();
    void addMessageSplitsTextIntoLines_data();
    void addMessageSplitsTextIntoLines();
    void addMessageShowsListEvenWithEmptyText();
    void addMessageOpensModelessInformationThatClosesItself();
    void addMessageDoesNothingWhileUpdaterFaceIsActive();
    void closeMsgBoxClosesAfterItsDelay();
    void errorSignalMarksUntilNextMessage();
    void showOperationReplacesVisibleMessage();
    void hideButtonsShrinksWindowToItsList();
    void progressBarShowsZeroToHundred_data();
    void progressBarShowsZeroToHundred();
    void screenshots();
};

void MessageWindowTest::cleanup() {
    g_applUpdate = false;
    frmMessage2().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void MessageWindowTest::showOperationLaysOutItsKind_data() {
    QTest::addColumn<Call>("call");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<ButtonList>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("progress");
    QTest::addColumn<int>("listHeight");
    QTest::addColumn<bool>("textInList");
    QTest::addColumn<bool>("modal");

    const QString t = QStringLiteral("text");
    QTest::newRow("progress") << Call([t](MessageWindow& w) { w.progressInformationMsgBox(t); })
                              << 0 << "INFORMATION" << ButtonList{{Button::Cancel, 3480}}
                              << int(Icon::Information) << true << 2100 << true << false;
    QTest::newRow("progress, modal")
        << Call([t](MessageWindow& w) { w.progressInformationMsgBox(t, {}, true); }) << 0
        << "INFORMATION" << ButtonList{{Button::Cancel, 3480}} << int(Icon::Information) << true
        << 2100 << true << true;
    QTest::newRow("question") << Call([t](MessageWindow& w) {
        w.questionMsgBox(t, {}, "Yes", "No", false);
    }) << 3 << "QUESTION" << ButtonList{{Button::Yes, 2160}, {Button::No, 3480}}
                              << int(Icon::Question) << false << 2410 << false << true;
    QTest::newRow("question, warning style")
        << Call([t](MessageWindow& w) { w.questionMsgBox(t, "Question", "Yes", "No", true); }) << 4
        << "Question" << ButtonList{{Button::Yes, 2160}, {Button::No, 3480}}
        << int(Icon::Exclamation) << false << 2410 << false << true;
    QTest::newRow("warning") << Call([t](MessageWindow& w) { w.warningMsgBox(t); }) << 4
                             << "WARNING" << ButtonList{{Button::Ok, 2160}, {Button::Cancel, 3480}}
                             << int(Icon::Exclamation) << false << 2410 << false << true;
    QTest::newRow("information") << Call([t](MessageWindow& w) { w.informationMsgBox(t, "Info"); })
                                 << 1 << "Info" << ButtonList{{Button::Ok, 3480}}
                                 << int(Icon::Information) << false << 2410 << true << false;
    QTest::newRow("error") << Call([t](MessageWindow& w) { w.errorMsgBox(t); }) << 1 << "ERROR"
                           << ButtonList{{Button::Ok, 3480}} << int(Icon::Error) << false << 2410
                           << false << false;
    QTest::newRow("error, modal") << Call([t](MessageWindow& w) { w.errorMsgBox(t, {}, true); })
                                  << 1 << "ERROR" << ButtonList{{Button::Ok, 3480}}
                                  << int(Icon::Error) << false << 2410 << false << true;
}

void MessageWindowTest::showOperationLaysOutItsKind() {
    QFETCH(Call, call);
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(ButtonList, buttons);
    QFETCH(int, icon);
    QFETCH(bool, progress);
    QFETCH(int, listHeight);
    QFETCH(bool, textInList);
    QFETCH(bool, modal);

    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    bool onTopWhileUp = false;
    dialogs.whileShown([&] {
        onTopWhileUp = w.form()->isVisible() &&
                       w.form()->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
                       w.form()->isModal();
    });
    call(w);

    QCOMPARE(int(w.kind()), kind);
    QCOMPARE(dialogs.windows().size(), modal ? 1 : 0);
    if (modal) {
        QVERIFY(onTopWhileUp);
        QCOMPARE(dialogs.windows().constFirst().title, caption);
        QVERIFY(!w.isLoaded()); // the scripted button closed it
        return;
    }
    const MessageWindowView& view = w.view();
    QVERIFY(w.isVisible());
    QCOMPARE(view.caption, caption);
    QCOMPARE(w.form()->windowTitle(), caption);
    QCOMPARE(shownButtons(view), buttons);
    for (const auto& [button, left] : buttons) {
        QVERIFY(w.form()->button(button)->isVisible());
        QCOMPARE(w.form()->button(button)->x(), (left + 7) / 15);
    }
    QCOMPARE(int(view.icon), icon);
    QCOMPARE(view.progressVisible, progress);
    QCOMPARE(w.form()->prgBar()->isVisible(), progress);
    QCOMPARE(view.listHeight, listHeight);
    QCOMPARE(view.listVisible, textInList);
    QCOMPARE(view.textVisible, !textInList);
    QCOMPARE(textInList ? w.messages().lines().join(QString()) : view.text, QStringLiteral("text"));
    QVERIFY(!w.form()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void MessageWindowTest::questionReturnsWhetherYesClosedIt_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << int(WindowAnswer::Yes) << true;
    QTest::newRow("No") << int(WindowAnswer::No) << false;
    QTest::newRow("close box") << int(WindowAnswer::Close) << false;
}

void MessageWindowTest::questionReturnsWhetherYesClosedIt() {
    QFETCH(int, answer);
    QFETCH(bool, yes);
    test::ScriptedDialogs dialogs;
    dialogs.answerWindow(WindowAnswer(answer));
    MessageWindow& w = frmMessage2();
    QCOMPARE(w.questionMsgBox(QStringLiteral("Which bus?"), QStringLiteral("Bus initialization"),
                              QStringLiteral("M-Bus"), QStringLiteral("S-Bus"), false),
             yes);
    QCOMPARE(w.getResult(), yes);
    QVERIFY(!w.isLoaded());
    const MessageWindowRequest& shown = dialogs.windows().constFirst();
    QCOMPARE(shown.title, QStringLiteral("Bus initialization"));
    QCOMPARE(shown.text, QStringLiteral("Which bus?"));
    QCOMPARE(shown.yesCaption, QStringLiteral("M-Bus"));
    QCOMPARE(shown.noCaption, QStringLiteral("S-Bus"));
    QCOMPARE(shown.buttons, (QList<WindowAnswer>{WindowAnswer::Yes, WindowAnswer::No}));
}

void MessageWindowTest::warningResultIsWhetherOkClosedIt_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << int(WindowAnswer::Ok) << true;
    QTest::newRow("Cancel") << int(WindowAnswer::Cancel) << false;
    QTest::newRow("close box") << int(WindowAnswer::Close) << false;
}

void MessageWindowTest::warningResultIsWhetherOkClosedIt() {
    QFETCH(int, answer);
    QFETCH(bool, ok);
    test::ScriptedDialogs dialogs;
    dialogs.answerWindow(WindowAnswer(answer));
    frmMessage2().warningMsgBox(QStringLiteral("Run anyway?"));
    QCOMPARE(frmMessage2().getResult(), ok);
    QCOMPARE(dialogs.windows().constFirst().buttons,
             (QList<WindowAnswer>{WindowAnswer::Ok, WindowAnswer::Cancel}));
}

void MessageWindowTest::newMessageStartsWithoutTheLastAnswer() {
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    dialogs.answerWindow(WindowAnswer::Yes);
    QVERIFY(w.questionMsgBox(QStringLiteral("first"), {}, "Yes", "No"));
    // The next question is closed by the program, not by a button: no Yes from before.
    dialogs.answerWindow(WindowAnswer::None);
    QVERIFY(!w.questionMsgBox(QStringLiteral("second"), {}, "Yes", "No"));
    dialogs.answerWindow(WindowAnswer::Ok);
    w.warningMsgBox(QStringLiteral("third"));
    QVERIFY(w.getResult());
    dialogs.answerWindow(WindowAnswer::None);
    w.warningMsgBox(QStringLiteral("fourth"));
    QVERIFY(!w.getResult());
}

void MessageWindowTest::closeBoxOfModalWindowDeclines() {
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    // The user closes the real window; the script's own answer comes too late.
    dialogs.whileShown([&] { w.form()->close(); });
    dialogs.answerWindow(WindowAnswer::Yes);
    QVERIFY(!w.questionMsgBox(QStringLiteral("Go?"), {}, "Yes", "No"));
    QVERIFY(!w.isLoaded());
    dialogs.whileShown([&] { w.form()->close(); });
    dialogs.answerWindow(WindowAnswer::Ok);
    w.warningMsgBox(QStringLiteral("Run?"));
    QVERIFY(!w.getResult());
}

void MessageWindowTest::realWindowIsAnsweredByItsButtonOrCloseBox() {
    MessageWindow& w = frmMessage2();
    QTimer::singleShot(0, this, [&] {
        QVERIFY(w.form()->isModal());
        QTest::mouseClick(w.form()->button(Button::Yes), Qt::LeftButton);
    });
    QVERIFY(w.questionMsgBox(QStringLiteral("Go?"), {}, "Yes", "No"));
    QVERIFY(!w.isLoaded());
    QTimer::singleShot(0, this, [&] { w.form()->close(); });
    QVERIFY(!w.questionMsgBox(QStringLiteral("Go?"), {}, "Yes", "No"));
    QTimer::singleShot(0, this,
                       [&] { QTest::mouseClick(w.form()->button(Button::Ok), Qt::LeftButton); });
    w.warningMsgBox(QStringLiteral("Run?"));
    QVERIFY(w.getResult());
}

void MessageWindowTest::autoCloseTimerClosesWindowAfterItsTime() {
    test::VirtualTime time;
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.progressInformationMsgBox(QStringLiteral("Downloading"), {}, false, 3000);
    time.runFor(2999);
    QVERIFY(w.isVisible());
    time.runFor(1);
    QVERIFY(!w.isLoaded());
}

void MessageWindowTest::userAttentionStopsAutoClose_data() {
    QTest::addColumn<Call>("attention");
    QTest::newRow("click on the background") << Call([](MessageWindow& w) {
        QTest::mouseClick(w.form(), Qt::LeftButton, {}, QPoint(120, 190));
    });
    QTest::newRow("list gets the focus") << Call([](MessageWindow& w) {
        QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(w.form()->lstMessage(), &focus);
    });
    QTest::newRow("list scrolled") << Call([](MessageWindow& w) {
        w.form()->lstMessage()->verticalScrollBar()->triggerAction(
            QAbstractSlider::SliderSingleStepSub);
    });
    QTest::newRow("error signalled") << Call([](MessageWindow& w) { w.errorSignal(true); });
}

void MessageWindowTest::userAttentionStopsAutoClose() {
    QFETCH(Call, attention);
    test::VirtualTime time;
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.addMessage(QStringLiteral("CANopen initialising M-Bus ..."));
    for (int i = 0; i < 30; ++i)
        w.addMessage(QStringLiteral("line %1").arg(i)); // enough to scroll
    time.runFor(5000);
    QVERIFY(w.autoCloseActive());
    attention(w);
    QVERIFY(!w.autoCloseActive());
    time.runFor(60'000);
    QVERIFY(w.isVisible());
}

void MessageWindowTest::addMessageSplitsTextIntoLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR ends lines") << "a\rb\r" << QStringList{"a", "b"};
    QTest::newRow("CR LF is one line end") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("LF alone ends a line") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("empty line between") << "a\r\rb" << QStringList{"a", "", "b"};
    QTest::newRow("leading line end")
        << "\r\nSet net operational" << QStringList{"", "Set net operational"};
    QTest::newRow("empty text") << "" << QStringList{};
}

void MessageWindowTest::addMessageSplitsTextIntoLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.addMessage(QStringLiteral("first"));
    w.addMessage(text);
    const QStringList expected = QStringList{QStringLiteral("first")} + lines;
    QCOMPARE(w.messages().lines(), expected);
    // The list shows them once the window's events ran.
    MessageListView* list = w.form()->lstMessage();
    QTRY_COMPARE(list->model()->rowCount(), expected.size());
    QCOMPARE(list->currentIndex().row(), expected.size() - 1);
    QVERIFY(list->selectionModel()->selectedIndexes().isEmpty());
}

void MessageWindowTest::addMessageShowsListEvenWithEmptyText() {
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.errorMsgBox(QStringLiteral("failed"));
    QVERIFY(w.form()->txtMessage()->isVisible());
    w.addMessage(QString());
    QVERIFY(w.messages().lines().isEmpty());
    QVERIFY(w.form()->lstMessage()->isVisible());
    QVERIFY(!w.form()->txtMessage()->isVisible());
}

void MessageWindowTest::addMessageOpensModelessInformationThatClosesItself() {
    test::VirtualTime time;
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    QVERIFY(!w.isLoaded());
    w.addMessage(QStringLiteral("no CAN initialising ..."));
    QVERIFY(w.isVisible());
    QCOMPARE(w.kind(), MessageKind::Information);
    QCOMPARE(w.view().caption, QStringLiteral("INFORMATION"));
    QCOMPARE(shownButtons(w.view()), (ButtonList{{Button::Ok, 3480}}));
    QCOMPARE(w.messages().lines(), QStringList{QStringLiteral("no CAN initialising ...")});
    QVERIFY(dialogs.windows().isEmpty());
    QCOMPARE(w.autoCloseInterval(), 10000);

    time.runFor(6000);
    w.addMessage(QStringLiteral("next")); // counts the 10000 ms anew
    time.runFor(9999);
    QVERIFY(w.isVisible());
    time.runFor(1);
    QVERIFY(!w.isLoaded());
}

void MessageWindowTest::addMessageDoesNothingWhileUpdaterFaceIsActive() {
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    g_applUpdate = true;
    w.addMessage(QStringLiteral("ignored"));
    QVERIFY(!w.isLoaded());
    w.informationMsgBox(QStringLiteral("also ignored"));
    QVERIFY(w.isVisible());
    QVERIFY(w.messages().lines().isEmpty());
}

void MessageWindowTest::closeMsgBoxClosesAfterItsDelay() {
    test::VirtualTime time;
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.addMessage(QStringLiteral("no CAN initialising ..."));
    w.closeMsgBox(0);
    time.runFor(5000);
    QVERIFY(w.isVisible());
    w.closeMsgBox(1000);
    time.runFor(999);
    QVERIFY(w.isVisible());
    time.runFor(1);
    QVERIFY(!w.isLoaded());
}

void MessageWindowTest::errorSignalMarksUntilNextMessage() {
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.addMessage(QStringLiteral("CANopen initialising M-Bus ..."));
    QVERIFY(!w.errorSignal(false));
    QVERIFY(w.errorSignal(true));
    QVERIFY(w.view().listRed);
    QCOMPARE(w.form()->lstMessage()->palette().color(QPalette::Base), QColor(255, 128, 128));
    QVERIFY(w.isVisible());
    QVERIFY(w.errorSignal(false));
    w.informationMsgBox(QStringLiteral("next"));
    QVERIFY(!w.errorSignal(false));
    QVERIFY(!w.view().listRed);
}

void MessageWindowTest::showOperationReplacesVisibleMessage() {
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.addMessage(QStringLiteral("old 1\rold 2"));
    w.errorSignal(true);
    const QPointer<MessageWindowForm> old = w.form();
    w.progressInformationMsgBox(QStringLiteral("new"));
    QVERIFY(w.form() != old.data());
    QCOMPARE(w.messages().lines(), QStringList{QStringLiteral("new")});
    QCOMPARE(w.form()->lstMessage()->model()->rowCount(), 1);
    QVERIFY(!w.view().listRed);
}

void MessageWindowTest::hideButtonsShrinksWindowToItsList() {
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.informationMsgBox(QStringLiteral("list only"), {}, false, 0, true, true);
    QCOMPARE(w.view().windowHeight, 2410 + 120 + 500);
    const int shrunk = w.form()->height();
    QVERIFY(w.form()->lstMessage()->geometry().bottom() < shrunk);
    QVERIFY(w.form()->button(Button::Ok)->geometry().center().y() > shrunk);
    w.hideButtons(false);
    QCOMPARE(w.view().windowHeight, 3500);
    QVERIFY(w.form()->button(Button::Ok)->geometry().bottom() < w.form()->height());
}

void MessageWindowTest::progressBarShowsZeroToHundred_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("shown");
    QTest::newRow("inside") << 42 << 42;
    QTest::newRow("above") << 150 << 100;
    QTest::newRow("below") << -5 << 0;
}

void MessageWindowTest::progressBarShowsZeroToHundred() {
    QFETCH(int, value);
    QFETCH(int, shown);
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.progressInformationMsgBox(QStringLiteral("Downloading"));
    QCOMPARE(w.form()->prgBar()->value(), 0);
    w.setProgressBarValue(value);
    QCOMPARE(w.form()->prgBar()->value(), shown);
}

void MessageWindowTest::screenshots() {
    test::ScriptedDialogs dialogs;
    MessageWindow& w = frmMessage2();
    w.progressInformationMsgBox(
        QStringLiteral("CANopen initialising M-Bus ...\r   Set net operational\r"
                       "Download to module 3 ..."));
    w.setProgressBarValue(40);
    QVERIFY(!test::saveScreenshot(*w.form(), QStringLiteral("message_window_progress")).isEmpty());
    w.addMessage(QStringLiteral("CAN initialisation Error"));
    w.errorSignal(true);
    QVERIFY(
        !test::saveScreenshot(*w.form(), QStringLiteral("message_window_error_signal")).isEmpty());
    QString saved;
    dialogs.whileShown([&] {
        saved = test::saveScreenshot(*w.form(), QStringLiteral("message_window_question"));
    });
    w.questionMsgBox(QStringLiteral("No module answers on the M-Bus.\r\nWhich bus shall be used?"),
                     QStringLiteral("Bus initialization"), QStringLiteral("M-Bus"),
                     QStringLiteral("S-Bus"), false);
    QVERIFY(!saved.isEmpty());
}

QTEST_MAIN(MessageWindowTest)
#include "message_window_test.moc"
