#pragma once

#include <QDateTime>
#include <QString>

namespace pxu {

// A date and time as the logs and questions show it: the short date and the long time.
QString generalDateTime(const QDateTime& when);
// A job's first log line: its title, dashes up to 82 characters, a blank and the time.
QString logOpeningLine(const QString& title);
// A job's last log line: 82 dashes, a blank and the time.
QString logClosingLine();

} // namespace pxu
