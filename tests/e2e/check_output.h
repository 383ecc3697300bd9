#pragma once

#include "support/recording_error_handler.h"

#include <QStringList>
#include <QtGlobal>

namespace pxu::test {

// What the scripts/run drivers print: a title and its lines, indented.
void print(const QString& title, const QStringList& lines);
// The boxes shown and the failures that reached the error reporter, if any.
void printBoxesAndFailures(const QStringList& boxes, const RecordingErrorHandler& errors);
// The expected lines that are not among the lines.
QStringList missingFrom(const QStringList& lines, const QStringList& expected);
// Prints Qt's messages but the offscreen platform's notes on size hints, which are no
// finding of a check.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text);

} // namespace pxu::test
