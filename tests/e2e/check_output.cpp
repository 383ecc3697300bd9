#include "check_output.h"

#include "core/config_items.h"
#include "core/form_support.h"

#include <QApplication>
#include <cstdio>

namespace pxu::test {

void print(const QString& title, const QStringList& lines) {
    std::printf("%s\n", qPrintable(title));
    for (const QString& line : lines)
        std::printf("  | %s\n", qPrintable(QString(line).replace(u'\r', u' ')));
}

void printBoxesAndFailures(const QStringList& boxes, const RecordingErrorHandler& errors) {
    if (!boxes.isEmpty())
        print(QStringLiteral("Boxes:"), boxes);
    for (const auto& failure : errors.reports())
        std::printf("Failure in %s.%s: %s\n", qPrintable(failure.object),
                    qPrintable(failure.procedure), qPrintable(failure.failure.description));
}

QStringList missingFrom(const QStringList& lines, const QStringList& expected) {
    QStringList missing;
    for (const QString& line : expected) {
        if (!lines.contains(line))
            missing << line;
    }
    return missing;
}

namespace {

void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == QLatin1String("This plugin does not support propagateSizeHints()") ||
        text == QLatin1String("This plugin does not support raise()"))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int runDriver(int argc, char* argv[], const std::function<int(QApplication&)>& drive) {
    qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("pxuloader"));
    app.setQuitOnLastWindowClosed(false);
    useClearScrollBars();
    const int code = drive(app);
    // The record sets' databases must close while the application still exists.
    closeConfigRecordsets();
    return code;
}

} // namespace pxu::test
