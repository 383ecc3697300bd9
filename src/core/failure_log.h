#pragma once

#include <QDateTime>
#include <QStringList>

class QPrinter;

namespace pxu {

// The platform as the failure log tells it.
struct SystemInfo {
    QString platformName;
    int majorVersion = 0;
    int minorVersion = 0;
    int buildNumber = 0;
    QString servicePack;
};
SystemInfo currentSystemInfo();

// What the error reporter's window shows, for its failure log.
struct FailureLogContent {
    QString caption;
    QStringList titles; // "Failure-No:", "Module:", "Procedure:", "Line-No.:"
    QStringList values;
    QDateTime when;
    QStringList callStack;
    QStringList furtherFailures; // failures while the reporter was up
    SystemInfo system;
};

// The failure log: CR LF after every line.
QString buildFailureLog(const FailureLogContent& content);

// The log's lines as printed: long lines break between words after 73 characters, and
// their continuations are indented by 20 blanks.
QStringList printedLines(const QString& log);

// Prints the lines on the printer; false when the printer cannot be used.
bool printFailureLog(const QString& log, QPrinter& printer);

} // namespace pxu
