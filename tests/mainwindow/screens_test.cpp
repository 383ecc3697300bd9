#include "core/form_support.h"
#include "core/message_list_view.h"
#include "main_window_fixture.h"
#include "mainwindow/loader_panel.h"
#include "mainwindow/main_window_form.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"

#include <QMenuBar>
#include <QScrollBar>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// The grey the bar shows at that height (0 top, 1 bottom), in the middle of its width.
int shadeAt(QScrollBar& bar, double fraction) {
    const QImage image = bar.grab().toImage();
    const int y = std::clamp(int(fraction * image.height()), 0, image.height() - 1);
    return qGray(image.pixel(image.width() / 2, y));
}

} // namespace

class ScreensTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void updaterFace();
    void fullLoader();
    void messageListScrollBarFollowsTheList();
};

void ScreensTest::updaterFace() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/noCan"});
    QVERIFY(program.start());
    UpdaterFace& face = program.face;
    for (int i = 1; i < kUpdaterSteps; ++i)
        face.m_stepTexts[i] = face.view().stepText[i];
    face.setText(1, QStringLiteral("Connected to ZENT"), 0xFF00);
    face.setText(2, QString(), 0xFF00);
    face.setText(3, QStringLiteral("Build 41 Evaluated"), 0xFF00);
    face.setText(4, QString(), kStepRunning);
    face.addMessageUpdater(QStringLiteral("Step 1: Prepare connection to ZENT\r   CAN-Bus "
                                          "connected to M-Bus\rStep 4: Detect PXU's"),
                           -1);
    face.updateProgressUpdater(4.0 / 12, false);
    face.setProgressLoadVisible(true);
    face.setProgressLoad(0.4);
    bool ok = false;
    bool exit = false;
    face.setUserInfo(QStringLiteral("1"), 0, ok, exit);
    face.timCyclic.stop();
    MainWindowForm* form = program.window.form();
    QVERIFY(form);
    QVERIFY(!form->menuBar()->isVisible());
    QVERIFY(!saveScreenshot(*form, QStringLiteral("main_window_updater")).isEmpty());
}

void ScreensTest::fullLoader() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    workspace.writeFile(QStringLiteral("KEV_APPL.S19"), "S0030000FC\n",
                        QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)));
    Program program(workspace, {"/KEV", "/debug"});
    QVERIFY(program.start());
    MainWindow& window = program.window;
    for (int m : {0, 1, 2, 3, 5}) {
        window.selection().setApplicationRunning(m, 1);
        window.setHwCaption(m, QStringLiteral("7"));
    }
    window.selection().setBootLoaderRunning(4, 1);
    window.setHwCaption(4, QStringLiteral("6"));
    window.selection().clickAllModules();
    window.selection().clickProgram(3);
    window.selection().clickSection(0);
    window.setLamp(1, true, kColourGreen);
    window.setLamp(2, true, kColourRed);
    window.setEngineDisplay(true, false, true);
    window.updateProgress(0.35);
    MainWindowForm* form = window.form();
    QVERIFY(form);
    form->resize(1280, 800);
    QVERIFY(!saveScreenshot(*form, QStringLiteral("main_window_full_loader")).isEmpty());
    // Every control within the window at this size: nothing needs scrolling.
    QVERIFY(form->minimumSizeHint().width() <= 1280);
    QVERIFY(form->minimumSizeHint().height() <= 800);
}

void ScreensTest::messageListScrollBarFollowsTheList() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {"/KEV", "/noCan"});
    QVERIFY(program.start());
    MainWindowForm* form = program.window.form();
    form->resize(1280, 800);
    // More lines than the list shows, but not twice as many: the handle is the larger part.
    for (int i = 0; i < 60; ++i)
        program.window.addMessage(QStringLiteral("   line %1").arg(i));
    QCoreApplication::sendPostedEvents();
    useClearScrollBars(); // as the program starts
    MessageListView* list = form->loader()->lstMessage;
    QScrollBar* bar = list->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QVERIFY(bar->pageStep() > bar->maximum());

    // The last line shown, the handle at the bottom.
    QCOMPARE(bar->value(), bar->maximum());
    const QModelIndex last = list->model()->index(program.window.messages().count() - 1, 0);
    QVERIFY(list->viewport()->rect().contains(list->visualRect(last)));
    // The handle reads as the darker part, where it is.
    QVERIFY(shadeAt(*bar, 0.95) < shadeAt(*bar, 0.05));
    QVERIFY(!saveScreenshot(*form, QStringLiteral("main_window_list_at_end")).isEmpty());

    // Scrolled to the first line, the handle at the top.
    QTest::keyClick(list, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(list->indexAt(QPoint(2, 2)).row(), 0);
    QVERIFY(shadeAt(*bar, 0.05) < shadeAt(*bar, 0.95));
    QVERIFY(!saveScreenshot(*form, QStringLiteral("main_window_list_at_top")).isEmpty());
}

QTEST_MAIN(ScreensTest)
#include "screens_test.moc"
