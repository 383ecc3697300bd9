#pragma once

#include <QDateTime>
#include <QString>

namespace pxu {

// A load file's date as the info blocks and the load-file boxes show it, "mmm dd yyyy"
// ("Jan 05 2026"): English month names whatever the user's locale, as the modules and
// the overview expect them.
QString fileDateText(const QDateTime& date);

} // namespace pxu
