#pragma once

#include <QString>
#include <QXmlStreamReader>

namespace pxu::xlsx {

// The text of a string item (a shared string or an inline string) with the reader on its
// start element: the plain text or the runs of a rich text joined, phonetic hints left
// out, escapes decoded. Leaves the reader on the item's end element.
QString readStringItem(QXmlStreamReader& reader);

// Characters a workbook cannot hold in XML are written "_xHHHH_" (and "_" before such a
// text as "_x005F_"); this gives them back.
QString decodeEscapes(const QString& text);
// Whether an escape "_xHHHH_" starts at index i.
bool isEscapeAt(QStringView text, qsizetype i);

} // namespace pxu::xlsx
