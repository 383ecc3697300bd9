#include "core/error_reporter.h"
#include "core/error_reporter_form.h"
#include "core/form_support.h"
#include "core/globals.h"
#include "core/msg_box.h"
#include "support/recording_desktop.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;

namespace {

struct ProgramEnded {
    int code;
};

const QString kRule = QString(70, QLatin1Char('-'));

SystemInfo sampleSystem() {
    return SystemInfo{QStringLiteral("Debian GNU/Linux 12 (bookworm)"), 6, 1, 0x12345678,
                      QStringLiteral("linux 6.1.0-18-amd64")};
}

// Raises in a guarded procedure; returns the line of the raise.
int failIn(const char* object, const char* procedure, qint64 number, const QString& description) {
    int line = 0;
    guarded(object, procedure, [&] {
        const auto here = std::source_location::current();
        line = int(here.line());
        raise(number, QStringLiteral("pxu"), description, here);
    });
    return line;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ErrorReporterTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowOffersContinueAndExitAndAllProtocolButtons();
    void failureIsShownWithNumberDescriptionAndPlace_data();
    void failureIsShownWithNumberDescriptionAndPlace();
    void continueLeavesTheFailingProcedure();
    void causeIsShownWhole_data();
    void causeIsShownWhole();
    void realWindowIsLeftOnlyByADecision();
    void failureLogIsTheGoldenText();
    void captionIsProgramNameAndVersion();
    void systemInfoLineEndsWithoutPlatformName();
    void callStackEntriesAreNewestFirstAndAtMostForty();
    void failureWhileReporterIsShownJoinsTheLog();
    void printedLinesBreakLongLinesBetweenWords_data();
    void printedLinesBreakLongLinesBetweenWords();
    void printPrintsTheLog();
    void printWithoutPrinterIsToldAndReporterStaysUsable();
    void saveWritesLogBesideProgram();
    void saveOntoExistingFileAnsweredNoWritesNothing();
    void saveThatFailsIsToldAndReporterStaysUsable();
    void emailCopiesLogAndOpensMailLink();
    void wwwCopiesLogAndOpensWebPage();
    void exitProgramLogsOffQuietlyBeforeEnding();
    void exitHookOverrunningItsTimeDoesNotHoldTheProgram();
    void screenshot();
    void screenshotOfALongCause();

private:
    QTemporaryDir m_dir;
};

void ErrorReporterTest::init() {
    QVERIFY(m_dir.isValid());
    g_installDir = m_dir.path();
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.2"));
}

void ErrorReporterTest::cleanup() {
    QFile::remove(ErrPtnr::failureLogFile());
    QDir(ErrPtnr::failureLogFile()).removeRecursively();
    g_installDir.clear();
}

void ErrorReporterTest::windowOffersContinueAndExitAndAllProtocolButtons() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    bool shownModal = false;
    dialogs.whileShown(
        [&] { shownModal = reporter.window()->isVisible() && reporter.window()->isModal(); });
    failIn("frmMain", "cmdDownload_Click", 5, QStringLiteral("Invalid procedure call"));
    QVERIFY(shownModal);
    QCOMPARE(dialogs.errorReports().size(), 1);
    QCOMPARE(dialogs.errorReports().constFirst().decisions,
             (QList<ErrorAction>{ErrorAction::Continue, ErrorAction::ExitProgram}));
    ErrorReporterForm& w = *reporter.window();
    QVERIFY(w.cmdContinue[0]->isHidden());
    QVERIFY(!w.cmdContinue[1]->isHidden());
    QVERIFY(w.cmdContinue[2]->isHidden());
    QVERIFY(!w.cmdContinue[3]->isHidden());
    QCOMPARE(w.cmdContinue[1]->text(), QStringLiteral("&Continue"));
    QCOMPARE(w.cmdContinue[3]->text(), QStringLiteral("&Exit program"));
    for (QPushButton* b : w.cmdProtocol)
        QVERIFY(!b->isHidden());
    QVERIFY(w.framCallStack->isHidden());
    QCOMPARE(w.height(), twips(975 + 1575 + 735 + 855));
    QVERIFY(!w.isVisible()); // hidden again between failures
}

void ErrorReporterTest::failureIsShownWithNumberDescriptionAndPlace_data() {
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("shown");
    QTest::newRow("file not found") << qint64(53) << "File not found"
                                    << "53 (File not found)";
    QTest::newRow("type mismatch") << qint64(13) << "Type mismatch"
                                   << "13 (Type mismatch)";
}

void ErrorReporterTest::failureIsShownWithNumberDescriptionAndPlace() {
    QFETCH(qint64, number);
    QFETCH(QString, description);
    QFETCH(QString, shown);
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    const int line = failIn("modMsgBox", "g_questionMsgBox", number, description);
    const ErrorReportRequest& report = dialogs.errorReports().constFirst();
    QCOMPARE(report.titles, (QStringList{"Failure-No:", "Module:", "Procedure:", "Line-No.:"}));
    QCOMPARE(report.values, (QStringList{shown, "modMsgBox", "g_questionMsgBox",
                                         QStringLiteral("error_reporter_test.cpp:%1").arg(line)}));
    QCOMPARE(reporter.window()->lblError[0]->text(), shown);
}

void ErrorReporterTest::causeIsShownWhole_data() {
    QTest::addColumn<int>("words");
    QTest::addColumn<bool>("grows");
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("two lines") << 6 << false << false;
    QTest::newRow("a path and its reason") << 40 << true << false;
    QTest::newRow("longer than the screen takes") << 600 << true << true;
}

void ErrorReporterTest::causeIsShownWhole() {
    QFETCH(int, words);
    QFETCH(bool, grows);
    QFETCH(bool, scrolls);
    QStringList cause;
    for (int i = 0; i < words; ++i)
        cause << QStringLiteral("/work/plant-%1").arg(i);
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    QLabel* label = nullptr;
    QScrollArea* area = nullptr;
    int frameHeight = 0;
    int windowHeight = 0;
    int moduleTop = 0;
    dialogs.whileShown([&] {
        ErrorReporterForm& w = *reporter.window();
        label = w.lblError[0];
        area = w.scrFailureNo;
        frameHeight = w.framFehler->height();
        windowHeight = w.height();
        moduleTop = w.lblError[1]->geometry().top();
    });
    failIn("frmDcBuilder", "tabAction_Click", 75, cause.join(u' '));
    QCOMPARE(label->text(), QStringLiteral("75 (") + cause.join(u' ') + u')');
    const int designed = twips(975 + 1575 + 735 + 855);
    QCOMPARE(windowHeight > designed, grows);
    QCOMPARE(frameHeight - twips(1575), windowHeight - designed);
    // The cause pushes the module's line down, never under itself.
    QVERIFY(moduleTop >= area->geometry().bottom());
    QCOMPARE(area->verticalScrollBar()->maximum() > 0, scrolls);
    if (!scrolls)
        QVERIFY(area->viewport()->height() >= label->heightForWidth(area->viewport()->width()));
    // Beyond its most the cause scrolls: the window stays on the screen.
    QVERIFY(windowHeight <= designed + twips(ErrorReporterForm::kCauseMaxHeight) -
                                twips(ErrorReporterForm::kCauseHeight));
}

void ErrorReporterTest::continueLeavesTheFailingProcedure() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    int reached = 0;
    guarded("frmMain", "Form_Load", [&] {
        reached = 1;
        raise(94, QStringLiteral("pxu"), QStringLiteral("Invalid use of Null"));
        reached = 2;
    });
    QCOMPARE(reached, 1);
    QCOMPARE(reporter.action(), ErrorAction::Continue);
}

void ErrorReporterTest::realWindowIsLeftOnlyByADecision() {
    ErrPtnr reporter;
    bool stayedAfterClose = false;
    QTimer::singleShot(0, this, [&] {
        reporter.window()->close();
        reporter.window()->reject(); // Escape
        stayedAfterClose = reporter.window()->isVisible();
        QTest::mouseClick(reporter.window()->cmdContinue[3], Qt::LeftButton);
    });
    const ErrorAction action = reporter.onError(
        QStringLiteral("frmMain"), QStringLiteral("Form_Load"),
        Failure{5, QStringLiteral("pxu"), QStringLiteral("Invalid procedure call")});
    QVERIFY(stayedAfterClose);
    QCOMPARE(action, ErrorAction::ExitProgram);
    QVERIFY(!reporter.window()->isVisible());
}

void ErrorReporterTest::failureLogIsTheGoldenText() {
    test::VirtualTime time;
    time.sleep((3600 + 2 * 60 + 3) * 1000); // 09:02:03
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    reporter.SetProgInfo(QStringLiteral("PXU Loader  V2.0.2"));
    reporter.setSystemInfo(sampleSystem());
    const int line = failIn("frmCANopen", "g_readSDO", 53, QStringLiteral("File not found"));
    time.sleep(60'000); // the log tells when it failed, not when it is printed

    const QString expected =
        kRule + "\r\n" + "F A I L U R E  - L O G from ZENT6183-loader\r\n" + kRule + "\r\n" +
        "PXU Loader  V2.0.2 - Failure Information\r\n" + kRule + "\r\n" +
        "FAILURE-DESCRIPTION:\r\n" + "          Failure-No:\t53 (File not found)\r\n" +
        "          Module:\tfrmCANopen\r\n" + "          Procedure:\tg_readSDO\r\n" +
        QStringLiteral("          Line-No.:\terror_reporter_test.cpp:%1\r\n").arg(line) +
        "          Date/Time:\t01-05-2026 / 09:02:03\r\n" + kRule + "\r\n" + "CALLSTACK:\r\n" +
        kRule + "\r\n" + "SYSTEMINFO:\r\n" +
        "          Operating System:\tDebian GNU/Linux 12 (bookworm)\r\n" +
        "          Version:\t6.1\r\n" + "          Build:\t22136   linux 6.1.0-18-amd64\r\n" +
        kRule + "\r\n";
    QCOMPARE(reporter.buildFailureLog(), expected);
    QCOMPARE(dialogs.errorReports().constFirst().failureLog, expected);
}

void ErrorReporterTest::captionIsProgramNameAndVersion() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    QCOMPARE(dialogs.errorReports().constFirst().caption,
             QStringLiteral("test_error_reporter  V2.0.2 - Failure Information"));
    QCOMPARE(reporter.window()->windowTitle(), dialogs.errorReports().constFirst().caption);
}

void ErrorReporterTest::systemInfoLineEndsWithoutPlatformName() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    SystemInfo unnamed = sampleSystem();
    unnamed.platformName.clear();
    reporter.setSystemInfo(unnamed);
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    QVERIFY(reporter.buildFailureLog().contains(
        QStringLiteral("          Operating System:\t\r\n          Version:\t6.1\r\n")));
}

void ErrorReporterTest::callStackEntriesAreNewestFirstAndAtMostForty() {
    test::VirtualTime time;
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    for (int i = 1; i <= 41; ++i)
        reporter.CallStack(QStringLiteral("proc%1").arg(i));
    reporter.CallStackParam(QStringLiteral("node"), 3);
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    QListWidget* list = reporter.window()->lstCallStack;
    QCOMPARE(list->count(), 40);
    QCOMPARE(list->item(0)->text(), QStringLiteral("\tnode:\t3"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("proc41 08:00:00"));
    QCOMPARE(list->item(39)->text(), QStringLiteral("proc3 08:00:00"));
    QVERIFY(reporter.buildFailureLog().contains(
        QStringLiteral("CALLSTACK:\r\n          \tnode:\t3\r\n          proc41 08:00:00\r\n")));
}

void ErrorReporterTest::failureWhileReporterIsShownJoinsTheLog() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    QString logWhileShown;
    int innerLine = 0;
    dialogs.whileShown([&] {
        // A timer's handler fails under the reporter's modal loop.
        innerLine =
            failIn("frmCANopen", "timHeartBeat_Timer", 11, QStringLiteral("Division by zero"));
        logWhileShown = reporter.buildFailureLog();
    });
    dialogs.answerError(ErrorAction::Continue);
    failIn("frmMain", "cmdDownload_Click", 5, QStringLiteral("Invalid procedure call"));
    QCOMPARE(dialogs.errorReports().size(), 1);
    QVERIFY(logWhileShown.contains(
        QStringLiteral("          Also failed:\t11 (Division by zero) in "
                       "frmCANopen.timHeartBeat_Timer at error_reporter_test.cpp:%1\r\n")
            .arg(innerLine)));
    QCOMPARE(reporter.window()->lblError[0]->text(), QStringLiteral("5 (Invalid procedure call)"));
}

void ErrorReporterTest::printedLinesBreakLongLinesBetweenWords_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("printed");
    QStringList words;
    for (char c = 'a'; c < 'a' + 10; ++c)
        words << QString(9, QLatin1Char(c));
    const QString indent(20, QLatin1Char(' '));
    QTest::newRow("short line") << "abc def" << QStringList{"abc def "};
    QTest::newRow("ten words of nine letters")
        << words.join(' ')
        << QStringList{words.mid(0, 7).join(' ') + ' ', indent + words.mid(7).join(' ') + ' '};
    const QString longWord(80, QLatin1Char('x'));
    QTest::newRow("one word beyond the width") << longWord << QStringList{indent + longWord + ' '};
    QTest::newRow("empty line") << "" << QStringList{" "};
}

void ErrorReporterTest::printedLinesBreakLongLinesBetweenWords() {
    QFETCH(QString, line);
    QFETCH(QStringList, printed);
    QStringList lines = printedLines(line + QStringLiteral("\r\n"));
    QCOMPARE(lines.takeLast(), QStringLiteral(" ")); // the line end added for printing
    QCOMPARE(lines, printed);
}

void ErrorReporterTest::printPrintsTheLog() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    const QString pdf = m_dir.filePath(QStringLiteral("failure.pdf"));
    reporter.setPrinterSource([pdf] {
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    });
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    reporter.cmdProtocol_Click(0);
    QVERIFY(dialogs.shown().isEmpty());
    QVERIFY(contentOf(pdf).startsWith("%PDF"));
}

void ErrorReporterTest::printWithoutPrinterIsToldAndReporterStaysUsable() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    reporter.setPrinterSource([] { return std::unique_ptr<QPrinter>(); });
    dialogs.whileShown([&] { reporter.cmdProtocol_Click(0); });
    dialogs.answerError(ErrorAction::Continue);
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    QCOMPARE(dialogs.texts(),
             QStringList{
                 QStringLiteral("No printer is installed: the failure-log could not be printed.")});
    QCOMPARE(reporter.action(), ErrorAction::Continue);
}

void ErrorReporterTest::saveWritesLogBesideProgram() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    const QString file = m_dir.filePath(QStringLiteral("test_error_reporter.ERR"));
    QCOMPARE(ErrPtnr::failureLogFile(), file);
    reporter.cmdProtocol_Click(1);
    QCOMPARE(contentOf(file), reporter.buildFailureLog().toUtf8());
    QCOMPARE(dialogs.texts(),
             QStringList{QStringLiteral("The failure-log has been written into file '") +
                         QDir::toNativeSeparators(file) + QStringLiteral("' !")});
    QCOMPARE(dialogs.shown().constFirst().title, QCoreApplication::applicationName());
}

void ErrorReporterTest::saveOntoExistingFileAnsweredNoWritesNothing() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    const QString file = ErrPtnr::failureLogFile();
    {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old log");
    }
    dialogs.answer(BoxAnswer::No);
    reporter.cmdProtocol_Click(1);
    QCOMPARE(contentOf(file), QByteArray("old log"));
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().constFirst().text, QStringLiteral("Overwrite existing file '") +
                                                    QDir::toNativeSeparators(file) +
                                                    QStringLiteral("' ?"));
    QCOMPARE(dialogs.shown().constFirst().buttons, BoxButtons::YesNo);

    dialogs.answer(BoxAnswer::Yes);
    reporter.cmdProtocol_Click(1);
    QCOMPARE(contentOf(file), reporter.buildFailureLog().toUtf8());
}

void ErrorReporterTest::saveThatFailsIsToldAndReporterStaysUsable() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    QVERIFY(QDir().mkpath(ErrPtnr::failureLogFile())); // a folder where the file should go
    dialogs.whileShown([&] { reporter.cmdProtocol_Click(1); });
    dialogs.answer(BoxAnswer::Yes);
    dialogs.answerError(ErrorAction::Continue);
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    QCOMPARE(dialogs.shown().size(), 2);
    QVERIFY(dialogs.texts().at(1).startsWith(
        QStringLiteral("The failure-log could not be written into file '")));
    QCOMPARE(dialogs.shown().at(1).icon, BoxIcon::Critical);
    QCOMPARE(reporter.action(), ErrorAction::Continue);
}

void ErrorReporterTest::emailCopiesLogAndOpensMailLink() {
    test::ScriptedDialogs dialogs;
    test::RecordingDesktop desktop;
    ErrPtnr reporter;
    reporter.setSupportAddress(QStringLiteral("  service@example.org "));
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    reporter.cmdProtocol_Click(2);
    QCOMPARE(dialogs.texts(),
             QStringList{QStringLiteral(
                 "Now your standard-eMail-program is started. The failure description as well "
                 "as\r\nthe failure-log has been copied into the clipboard.\r\n\r\nPlease paste "
                 "the clipboard-content into the eMail (keys [cntrl] and [insert].")});
    QCOMPARE(QGuiApplication::clipboard()->text(), reporter.buildFailureLog());
    QCOMPARE(desktop.urls(), QList<QUrl>{QUrl(QStringLiteral("mailto:service@example.org"))});
}

void ErrorReporterTest::wwwCopiesLogAndOpensWebPage() {
    test::ScriptedDialogs dialogs;
    test::RecordingDesktop desktop;
    ErrPtnr reporter;
    reporter.setWebPage(QStringLiteral("https://service.example.org/report"));
    failIn("frmMain", "Form_Load", 5, QStringLiteral("Invalid procedure call"));
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    reporter.cmdProtocol_Click(3);
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), reporter.buildFailureLog());
    QCOMPARE(desktop.urls(),
             QList<QUrl>{QUrl(QStringLiteral("https://service.example.org/report"))});
}

void ErrorReporterTest::exitProgramLogsOffQuietlyBeforeEnding() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    QStringList order;
    addExitHook([&] {
        order << QStringLiteral("log-off");
        g_errorMsgBox(QStringLiteral("CANopen ERROR: bus gone")); // told nowhere
        failIn("frmCANopen", "g_releaseCanOpen", 5, QStringLiteral("Invalid procedure call"));
    });
    setProgramEnd([&](int code) {
        order << QStringLiteral("end");
        throw ProgramEnded{code};
    });
    dialogs.answerError(ErrorAction::ExitProgram);
    int code = -1;
    try {
        failIn("frmMain", "cmdDownload_Click", 5, QStringLiteral("Invalid procedure call"));
    } catch (const ProgramEnded& ended) {
        code = ended.code;
    }
    setProgramEnd({});
    QCOMPARE(code, 1);
    QCOMPARE(order, (QStringList{QStringLiteral("log-off"), QStringLiteral("end")}));
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(dialogs.errorReports().size(), 1);
    QVERIFY(!programEnding());
}

void ErrorReporterTest::exitHookOverrunningItsTimeDoesNotHoldTheProgram() {
    QProcess helper;
    helper.start(QStringLiteral(PXU_EXIT_OVERRUN_HELPER), {});
    QVERIFY(helper.waitForFinished(30'000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 7);
}

void ErrorReporterTest::screenshot() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    QString saved;
    dialogs.whileShown([&] {
        saved = test::saveScreenshot(*reporter.window(), QStringLiteral("error_reporter"));
    });
    failIn("frmCANopen", "g_readSDO", 53,
           QStringLiteral("File not found: C:\\BrantolaDORN\\DORN Update Tool\\Application.S19 "
                          "could not be opened for the download"));
    QVERIFY(!saved.isEmpty());
}

void ErrorReporterTest::screenshotOfALongCause() {
    test::ScriptedDialogs dialogs;
    ErrPtnr reporter;
    QString saved;
    dialogs.whileShown([&] {
        saved =
            test::saveScreenshot(*reporter.window(), QStringLiteral("error_reporter_long_cause"));
    });
    failIn("frmDcBuilder", "Form_Unload", 75,
           QStringLiteral("/home/service/plants/Hull 4711/DORN Update Tool-PXU-DC-temp.md cannot "
                          "be renamed to /home/service/plants/Hull 4711/DORN Update "
                          "Tool-PXU-DC-007.mdb: the file system refused it, because the folder "
                          "was made read-only by another program while the builder was open, "
                          "and the working copy stays where it is"));
    QVERIFY(!saved.isEmpty());
}

QTEST_MAIN(ErrorReporterTest)
#include "error_reporter_test.moc"
