#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace pxu::xlsx {

// The shared strings of a workbook in their order; nothing with *error set when the XML
// is broken.
std::optional<QStringList> parseSharedStrings(const QByteArray& xml, QString* error);

} // namespace pxu::xlsx
