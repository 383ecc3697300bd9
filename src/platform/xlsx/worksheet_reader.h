#pragma once

#include "worksheet.h"

#include <QByteArray>
#include <QStringList>

namespace pxu::xlsx {

// Fills sheet from its worksheet part; false with *error set when the XML is broken or a
// cell holds what no workbook can (a reference beyond the sheet, a shared string that
// does not exist, a number that is none).
bool readWorksheet(const QByteArray& xml, const QStringList& sharedStrings, Worksheet& sheet,
                   QString* error);

} // namespace pxu::xlsx
