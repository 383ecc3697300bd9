#include "loader_program.h"

#include "core/config_items.h"
#include "core/error_reporter.h"
#include "core/error_reporter_form.h"
#include "core/form_support.h"
#include "dcbuilder/dc_tools.h"
#include "mainwindow/main_window.h"
#include "termination_signals.h"
#include "updater/updater_face.h"

#include <QApplication>

namespace pxu {

int runLoader(QApplication& app, const QStringList& arguments) {
    app.setApplicationName(QStringLiteral("pxuloader"));
    // The run ends through the shut-down, not when a window closes.
    app.setQuitOnLastWindowClosed(false);
    endOnTerminationSignals();
    useClearScrollBars();

    ErrPtnr errorReporter;
    MainWindow window;
    UpdaterFace updater(window);
    DcTools dcTools(window);
    QObject::connect(&window.shutDown(), &ShutDown::programEnded, &app,
                     [](int code) { QCoreApplication::exit(code); });

    window.setArguments(arguments);
    const int code = !window.Form_Load() || window.programEnded() ? window.exitCode() : app.exec();
    // The record sets' databases must close while the application still exists.
    closeConfigRecordsets();
    return code;
}

} // namespace pxu
