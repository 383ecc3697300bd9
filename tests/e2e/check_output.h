#pragma once

#include "support/recording_error_handler.h"

#include <QStringList>
#include <QtGlobal>
#include <functional>

class QApplication;

namespace pxu::test {

// What the scripts/run drivers print: a title and its lines, indented.
void print(const QString& title, const QStringList& lines);
// The boxes shown and the failures that reached the error reporter, if any.
void printBoxesAndFailures(const QStringList& boxes, const RecordingErrorHandler& errors);
// The expected lines that are not among the lines.
QStringList missingFrom(const QStringList& lines, const QStringList& expected);
// Runs a driver on an application named as the tool, which its last window's closing does
// not end; Qt's messages are printed but the offscreen platform's notes on size hints,
// which are no finding of a check. The driver's result is the exit code.
int runDriver(int argc, char* argv[], const std::function<int(QApplication&)>& drive);

} // namespace pxu::test
