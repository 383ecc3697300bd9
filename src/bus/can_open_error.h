#pragma once

#include <QString>
#include <QtGlobal>

namespace pxu {

// The text of an interface result code ("Success", "VCI General Error", ...).
QString getErrorText(qint32 result);

// The board type code of a board name (item canDevice), any letter case; 0 when unknown.
qint32 getBoardType(const QString& name);

// One failure text: the context, ": " and the result's text, then on a new line the node,
// index and sub-index where they apply (node 255, index -1 and sub-index 255 leave them
// out).
QString canOpenErrorText(qint32 result, const QString& context, int node = 255, qint64 index = -1,
                         int subIndex = 255);

} // namespace pxu
