#include "failure_log.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPrinter>
#include <QSysInfo>
#include <QVersionNumber>

namespace pxu {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kRule = QString(70, QLatin1Char('-'));
const QString kIndent = QString(10, QLatin1Char(' '));
const QChar kTab = QLatin1Char('\t');

constexpr int kPrintWidth = 73;
constexpr int kContinuationIndent = 20;

} // namespace

SystemInfo currentSystemInfo() {
    SystemInfo info;
    info.platformName = QSysInfo::prettyProductName();
    const QVersionNumber kernel = QVersionNumber::fromString(QSysInfo::kernelVersion());
    info.majorVersion = kernel.majorVersion();
    info.minorVersion = kernel.minorVersion();
    info.buildNumber = kernel.microVersion();
    info.servicePack = QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion();
    return info;
}

QString buildFailureLog(const FailureLogContent& c) {
    QString log;
    auto line = [&](const QString& text) { log += text + kCrLf; };
    line(kRule);
    line(QStringLiteral("F A I L U R E  - L O G from ZENT6183-loader"));
    line(kRule);
    line(c.caption);
    line(kRule);
    line(QStringLiteral("FAILURE-DESCRIPTION:"));
    for (qsizetype i = 0; i < c.titles.size(); ++i)
        line(kIndent + c.titles[i] + kTab + c.values.value(i));
    line(kIndent + QStringLiteral("Date/Time:") + kTab +
         c.when.toString(QStringLiteral("MM-dd-yyyy")) + QStringLiteral(" / ") +
         c.when.toString(QStringLiteral("HH:mm:ss")));
    for (const QString& further : c.furtherFailures)
        line(kIndent + QStringLiteral("Also failed:") + kTab + further);
    line(kRule);
    line(QStringLiteral("CALLSTACK:"));
    for (const QString& entry : c.callStack)
        line(kIndent + entry);
    line(kRule);
    line(QStringLiteral("SYSTEMINFO:"));
    // The line ends also when the platform has no name.
    line(kIndent + QStringLiteral("Operating System:") + kTab + c.system.platformName);
    line(kIndent + QStringLiteral("Version:") + kTab + QString::number(c.system.majorVersion) +
         QLatin1Char('.') + QString::number(c.system.minorVersion));
    line(kIndent + QStringLiteral("Build:") + kTab +
         QString::number(c.system.buildNumber & 0xFFFF) + QStringLiteral("   ") +
         c.system.servicePack);
    line(kRule);
    return log;
}

QStringList printedLines(const QString& log) {
    QStringList printed;
    QString rest = log + kCrLf;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf(kCrLf);
        const QString logLine = end < 0 ? rest : rest.left(end);
        rest = end < 0 ? QString() : rest.mid(end + 2);

        const QString text = logLine + QLatin1Char(' ');
        QString collected;
        qsizetype count = 0;
        qsizetype start = 0;
        while (start < text.size()) {
            const qsizetype blank = text.indexOf(QLatin1Char(' '), start);
            const QString word = text.mid(start, blank - start + 1); // keeps its blank
            start = blank + 1;
            count += word.size();
            if (count > kPrintWidth) {
                if (!collected.isEmpty())
                    printed << collected;
                collected = QString(kContinuationIndent, QLatin1Char(' '));
                count = word.size();
            }
            collected += word;
        }
        printed << collected;
    }
    return printed;
}

bool printFailureLog(const QString& log, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int lineHeight = metrics.lineSpacing();
    const QRect page = painter.viewport();
    int y = 0;
    for (const QString& line : printedLines(log)) {
        if (y + lineHeight > page.height() && y > 0) {
            if (!printer.newPage())
                return false;
            y = 0;
        }
        painter.drawText(QRect(0, y, page.width(), lineHeight),
                         Qt::AlignLeft | Qt::TextExpandTabs | Qt::TextSingleLine, line);
        y += lineHeight;
    }
    return painter.end();
}

} // namespace pxu
