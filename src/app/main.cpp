#include "core/config_items.h"
#include "core/error_reporter.h"
#include "core/error_reporter_form.h"
#include "dcbuilder/dc_tools.h"
#include "mainwindow/main_window.h"
#include "updater/updater_face.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("pxuloader"));
    // The run ends through the shut-down, not when a window closes.
    app.setQuitOnLastWindowClosed(false);

    pxu::ErrPtnr errorReporter;
    pxu::MainWindow window;
    pxu::UpdaterFace updater(window);
    pxu::DcTools dcTools(window);
    QObject::connect(&window.shutDown(), &pxu::ShutDown::programEnded, &app,
                     [](int code) { QCoreApplication::exit(code); });

    window.setArguments(app.arguments().mid(1));
    const int code = !window.Form_Load() || window.programEnded() ? window.exitCode() : app.exec();
    // The record sets' databases must close while the application still exists.
    pxu::closeConfigRecordsets();
    return code;
}
