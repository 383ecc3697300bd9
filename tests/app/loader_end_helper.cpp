// Runs the program as main() does, with the switches after the first argument, and ends it
// the way the first argument names:
//   reporter-exit      "&Exit program" at the first unexpected failure
//   start-question-no  "No" to the start question
//   fatal-log-off      the log-off that ends the program, from the event loop
//   sigterm            SIGTERM, from the event loop
// Boxes get their default answers.
#include "app/loader_program.h"
#include "bus/main_window_services.h"
#include "core/globals.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <csignal>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString way = arguments.value(1);

    pxu::test::ScriptedDialogs dialogs;
    if (way == QLatin1String("reporter-exit"))
        dialogs.answerError(pxu::ErrorAction::ExitProgram);
    if (way == QLatin1String("start-question-no"))
        dialogs.answerWindow(pxu::WindowAnswer::No);

    // Acts once the program waits in its event loop with its configuration open.
    QTimer inLoop;
    QObject::connect(&inLoop, &QTimer::timeout, [&] {
        if (QThread::currentThread()->loopLevel() != 1 || !pxu::g_rsMisc)
            return;
        inLoop.stop();
        if (way == QLatin1String("fatal-log-off"))
            pxu::mainWindowServices().g_logOffApplication(true);
        else if (way == QLatin1String("sigterm"))
            std::raise(SIGTERM);
    });
    inLoop.start(10);

    return pxu::runLoader(app, arguments.mid(2));
}
