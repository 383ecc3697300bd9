// pxu-run-check: the tool as scripts/run starts it, driven instead of a user. It starts on
// the workspace given by "/db=", presses "Start" and must log every line given by
// --expect=LINE. With --update it also presses "Update" and, at the end, "Finish", and the
// report file must hold every line given by --report=LINE. Boxes get their default answer
// and are printed; so is the updater's log. Exit code 0 when every line came; the last
// line says what was checked.
#include "check_output.h"
#include "core/config_items.h"
#include "mainwindow/main_window.h"
#include "support/recording_error_handler.h"
#include "support/scripted_dialogs.h"
#include "updater/updater_face.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

using pxu::test::missingFrom;
using pxu::test::print;

namespace {

int check(QApplication& app) {
    QStringList expected;
    QStringList reported;
    QStringList arguments;
    bool update = false;
    for (const QString& a : app.arguments().mid(1)) {
        if (a.startsWith(QLatin1String("--expect=")))
            expected << a.mid(9);
        else if (a.startsWith(QLatin1String("--report=")))
            reported << a.mid(9);
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
    // The end of an update: Finish writes the report and ends the tool.
    QStringList report;
    if (update && read) {
        while (elapsed.elapsed() < 180'000 && !updater.view().exit.visible)
            app.processEvents(QEventLoop::AllEvents, 20);
        updater.cmdExitUpdater_Click();
        while (elapsed.elapsed() < 190'000 && !window.programEnded())
            app.processEvents(QEventLoop::AllEvents, 20);
        QFile file(updater.reportFile());
        if (file.open(QIODevice::ReadOnly))
            report = QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n"));
    }
    const QStringList log = updater.messages().lines();
    print(QStringLiteral("The updater's log:"), log);
    pxu::test::printBoxesAndFailures(dialogs.texts(), errors);
    if (!window.programEnded())
        window.cmdExit_Click();
    if (!read) {
        print(QStringLiteral("pxu-run-check: FAILED, these lines were not logged:"),
              missingFrom(log, expected));
        return 1;
    }
    if (!update) {
        std::printf("pxu-run-check: passed: the updater connected to the simulated engine and "
                    "read its system information.\n");
        return 0;
    }
    if (const QStringList missing = missingFrom(report, reported); !missing.isEmpty()) {
        print(QStringLiteral("pxu-run-check: FAILED, the report ") + updater.reportFile() +
                  QStringLiteral(" lacks these lines:"),
              missing);
        return 1;
    }
    print(QStringLiteral("pxu-run-check: passed: the engine was updated to the end, Finish "
                         "was pressed and its report holds:"),
          reported);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    return pxu::test::runDriver(argc, argv, check);
}
