#include "core/globals.h"
#include "core/message_window.h"
#include "core/message_window_form.h"
#include "core/msg_box.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <QtTest>
#include <functional>

using namespace pxu;

Q_DECLARE_METATYPE(std::function<void()>)

class MsgBoxTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void boxShowsTitleIconButtonsAndDefault_data();
    void boxShowsTitleIconButtonsAndDefault();
    void answerDecidesResult_data();
    void answerDecidesResult();
    void errMsgBoxWithPendingFailureAddsItsLineAndHelp();
    void hideFlagHidesVisibleMessageWindowForTheBox_data();
    void hideFlagHidesVisibleMessageWindowForTheBox();
    void hiddenMessageWindowStaysHiddenAfterBox();
    void messageWindowClosedDuringBoxStaysClosed();
    void boxWithoutMessageWindowLoadsNone();
    void informationMsgBox2ShowsMessageWindowThatClosesItself();
};

void MsgBoxTest::cleanup() {
    frmMessage2().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void MsgBoxTest::boxShowsTitleIconButtonsAndDefault_data() {
    QTest::addColumn<std::function<void()>>("call");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultAnswer");

    const QString t = QStringLiteral("text");
    QTest::newRow("question, empty title")
        << std::function<void()>([t] { g_questionMsgBox(t); }) << "QUESTION"
        << int(BoxIcon::Question) << int(BoxButtons::YesNo) << int(BoxAnswer::Yes);
    QTest::newRow("question, own title")
        << std::function<void()>([t] { g_questionMsgBox(t, QStringLiteral("Bus")); }) << "Bus"
        << int(BoxIcon::Question) << int(BoxButtons::YesNo) << int(BoxAnswer::Yes);
    QTest::newRow("information") << std::function<void()>([t] { g_informationMsgBox(t); })
                                 << "INFORMATION" << int(BoxIcon::Information)
                                 << int(BoxButtons::Ok) << int(BoxAnswer::Ok);
    QTest::newRow("warning, OK only")
        << std::function<void()>([t] { g_warningMsgBox(t, {}, false, 0); }) << "WARNING"
        << int(BoxIcon::Warning) << int(BoxButtons::Ok) << int(BoxAnswer::Ok);
    QTest::newRow("warning, OK and Cancel: Cancel is the default")
        << std::function<void()>([t] { g_warningMsgBox(t, {}, false, 1); }) << "WARNING"
        << int(BoxIcon::Warning) << int(BoxButtons::OkCancel) << int(BoxAnswer::Cancel);
    QTest::newRow("error") << std::function<void()>([t] { g_errorMsgBox(t); }) << "ERROR"
                           << int(BoxIcon::Critical) << int(BoxButtons::Ok) << int(BoxAnswer::Ok);
    QTest::newRow("err, nothing pending")
        << std::function<void()>([t] { g_errMsgBox(t); }) << "ERROR" << int(BoxIcon::Critical)
        << int(BoxButtons::Ok) << int(BoxAnswer::Ok);
}

void MsgBoxTest::boxShowsTitleIconButtonsAndDefault() {
    QFETCH(std::function<void()>, call);
    QFETCH(QString, title);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, defaultAnswer);
    test::ScriptedDialogs dialogs;
    call();
    QCOMPARE(dialogs.shown().size(), 1);
    const BoxRequest& box = dialogs.shown().constFirst();
    QCOMPARE(box.title, title);
    QCOMPARE(box.text, QStringLiteral("text"));
    QCOMPARE(int(box.icon), icon);
    QCOMPARE(int(box.buttons), buttons);
    QCOMPARE(int(pxu::defaultAnswer(box)), defaultAnswer);
    QVERIFY(!box.helpButton);
}

void MsgBoxTest::answerDecidesResult_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("question");
    QTest::addColumn<bool>("result");
    QTest::newRow("question Yes") << int(BoxAnswer::Yes) << true << true;
    QTest::newRow("question No") << int(BoxAnswer::No) << true << false;
    QTest::newRow("warning OK") << int(BoxAnswer::Ok) << false << true;
    QTest::newRow("warning Cancel") << int(BoxAnswer::Cancel) << false << false;
}

void MsgBoxTest::answerDecidesResult() {
    QFETCH(int, answer);
    QFETCH(bool, question);
    QFETCH(bool, result);
    test::ScriptedDialogs dialogs;
    dialogs.answer(BoxAnswer(answer));
    const QString text = QStringLiteral("Go on?");
    QCOMPARE(question ? g_questionMsgBox(text) : g_warningMsgBox(text, {}, false, 1), result);
}

void MsgBoxTest::errMsgBoxWithPendingFailureAddsItsLineAndHelp() {
    test::ScriptedDialogs dialogs;
    g_errMsgBox(QStringLiteral("Cannot open"), {},
                Failure{53, QStringLiteral("pxu"), QStringLiteral("File not found")});
    const BoxRequest& box = dialogs.shown().constFirst();
    QCOMPARE(box.text, QStringLiteral("Cannot open\r\nError 53: File not found"));
    QVERIFY(box.helpButton);
    QCOMPARE(box.title, QStringLiteral("ERROR"));
}

void MsgBoxTest::hideFlagHidesVisibleMessageWindowForTheBox_data() {
    QTest::addColumn<std::function<void()>>("box");
    QTest::newRow("question") << std::function<void()>([] { g_questionMsgBox("q", {}, true); });
    QTest::newRow("warning") << std::function<void()>([] { g_warningMsgBox("w", {}, true, 1); });
    QTest::newRow("error") << std::function<void()>([] { g_errorMsgBox("e", {}, true); });
}

void MsgBoxTest::hideFlagHidesVisibleMessageWindowForTheBox() {
    QFETCH(std::function<void()>, box);
    test::ScriptedDialogs dialogs;
    frmMessage2().addMessage(QStringLiteral("connecting ..."));
    QVERIFY(g_isLoaded(QStringLiteral("frmMessage2")));
    bool visibleDuringBox = true;
    dialogs.whileShown([&] { visibleDuringBox = g_isLoaded(QStringLiteral("frmMessage2")); });
    box();
    QVERIFY(!visibleDuringBox);
    QVERIFY(g_isLoaded(QStringLiteral("frmMessage2")));
    QCOMPARE(frmMessage2().messages().lines(), QStringList{QStringLiteral("connecting ...")});
}

void MsgBoxTest::hiddenMessageWindowStaysHiddenAfterBox() {
    test::ScriptedDialogs dialogs;
    frmMessage2().informationMsgBox(QStringLiteral("prepared"), {}, false, 0, false, false);
    QVERIFY(g_isLoaded(QStringLiteral("frmMessage2"), {}, true));
    QVERIFY(!g_isLoaded(QStringLiteral("frmMessage2")));
    g_errorMsgBox(QStringLiteral("e"), {}, true);
    QVERIFY(!g_isLoaded(QStringLiteral("frmMessage2")));
    QVERIFY(g_isLoaded(QStringLiteral("frmMessage2"), {}, true));
}

void MsgBoxTest::messageWindowClosedDuringBoxStaysClosed() {
    test::ScriptedDialogs dialogs;
    frmMessage2().addMessage(QStringLiteral("line"));
    QPointer<MessageWindowForm> form = frmMessage2().form();
    dialogs.whileShown([] { frmMessage2().unload(); });
    g_questionMsgBox(QStringLiteral("q"), {}, true);
    QVERIFY(!g_isLoaded(QStringLiteral("frmMessage2"), {}, true));
    QVERIFY(!form || !form->isVisible());
}

void MsgBoxTest::boxWithoutMessageWindowLoadsNone() {
    test::ScriptedDialogs dialogs;
    g_errorMsgBox(QStringLiteral("e"), {}, true);
    g_questionMsgBox(QStringLiteral("q"), {}, true);
    QVERIFY(!frmMessage2().isLoaded());
    QVERIFY(!g_isLoaded(QStringLiteral("frmMessage2"), {}, true));
}

void MsgBoxTest::informationMsgBox2ShowsMessageWindowThatClosesItself() {
    test::VirtualTime time;
    test::ScriptedDialogs dialogs;
    g_informationMsgBox2(QStringLiteral("Field x has been added"), {}, false, 1000);
    MessageWindow& w = frmMessage2();
    QVERIFY(w.isVisible());
    QCOMPARE(w.kind(), MessageKind::Information);
    QCOMPARE(w.view().caption, QStringLiteral("INFORMATION"));
    QVERIFY(w.view().buttons[MessageWindowView::Ok].visible);
    QVERIFY(!w.view().buttons[MessageWindowView::Cancel].visible);
    QCOMPARE(w.messages().lines(), QStringList{QStringLiteral("Field x has been added")});
    QVERIFY(dialogs.windows().isEmpty()); // not modal: nobody waits
    time.runFor(999);
    QVERIFY(w.isVisible());
    time.runFor(1);
    QVERIFY(!w.isLoaded());
}

QTEST_MAIN(MsgBoxTest)
#include "msg_box_test.moc"
