#include "info_block_date.h"

#include <QLocale>

namespace pxu {

QString fileDateText(const QDateTime& date) {
    return QLocale::c().toString(date.date(), QStringLiteral("MMM dd yyyy"));
}

} // namespace pxu
