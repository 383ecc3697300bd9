// pxu-run-check: the tool as scripts/run starts it, driven instead of a user. It starts on
// the workspace given by "/db=", presses "Start" (and with --update "Update") and must log
// every line given by --expect=LINE. Boxes get their default answer and are printed; so is
// the updater's log. Exit code 0 when every line came.
#include "core/config_items.h"
#include "mainwindow/main_window.h"
#include "support/recording_error_handler.h"
#include "support/scripted_dialogs.h"
#include "updater/updater_face.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

void print(const QString& title, const QStringList& lines) {
    std::printf("%s\n", qPrintable(title));
    for (const QString& line : lines)
        std::printf("  | %s\n", qPrintable(QString(line).replace(u'\r', u' ')));
}

} // namespace

int check(QApplication& app);

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int code = check(app);
    // The record sets' databases must close while the application still exists.
    pxu::closeConfigRecordsets();
    return code;
}

int check(QApplication& app) {
    app.setApplicationName(QStringLiteral("pxuloader"));
    app.setQuitOnLastWindowClosed(false);
    QStringList expected;
    QStringList arguments;
    bool update = false;
    for (const QString& a : app.arguments().mid(1)) {
        if (a.startsWith(QLatin1String("--expect=")))
            expected << a.mid(9);
        else if (a == QLatin1String("--update"))
            update = true;
        else
            arguments << a;
    }

    pxu::test::ScriptedDialogs dialogs;
    pxu::test::RecordingErrorHandler errors;
    pxu::MainWindow window;
    pxu::UpdaterFace updater(window);
    window.setArguments(arguments);
    if (!window.Form_Load() || window.programEnded()) {
        print(QStringLiteral("pxu-run-check: the tool ended at its start"), dialogs.texts());
        return 1;
    }

    bool started = false;
    bool updating = false;
    bool read = false;
    QElapsedTimer elapsed;
    elapsed.start();
    while (!read && elapsed.elapsed() < 120'000 && !window.programEnded()) {
        app.processEvents(QEventLoop::AllEvents, 20);
        if (!started && updater.view().ok.visible &&
            updater.view().userInfo == pxu::g_getUserMessage(1)) {
            updater.cmdOk_Click();
            started = true;
        }
        if (update && !updating && updater.view().ok.visible &&
            updater.view().ok.caption == QLatin1String("Update")) {
            updater.cmdOk_Click();
            updating = true;
        }
        const QStringList log = updater.messages().lines();
        read = std::all_of(expected.begin(), expected.end(),
                           [&log](const QString& line) { return log.contains(line); });
        if (updater.m_updaterStep == 12)
            break;
    }
    const QStringList log = updater.messages().lines();
    print(QStringLiteral("The updater's log:"), log);
    if (!dialogs.texts().isEmpty())
        print(QStringLiteral("Boxes:"), dialogs.texts());
    for (const auto& report : errors.reports())
        std::printf("Failure in %s.%s: %s\n", qPrintable(report.object),
                    qPrintable(report.procedure), qPrintable(report.failure.description));
    if (!window.programEnded())
        window.cmdExit_Click();
    if (!read) {
        QStringList missing;
        for (const QString& line : expected) {
            if (!log.contains(line))
                missing << line;
        }
        print(QStringLiteral("pxu-run-check: FAILED, these lines were not logged:"), missing);
        return 1;
    }
    std::printf("pxu-run-check: the updater connected and read the system information.\n");
    return 0;
}
