#pragma once

#include <QString>
#include <optional>

namespace pxu::dc {

// Why the file is no data-container database (not a database at all, damaged, or without
// its symbol table), in a few words; nothing when it is one. It only reads the file.
std::optional<QString> whyNoDcDatabase(const QString& path);

// "<file> is no data-container database: <why>."
QString noDcDatabase(const QString& file, const QString& why);

} // namespace pxu::dc
