#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace pxu::xlsx {

// Writes a zip archive of the named entries in their order, replacing the file; false with
// *error set when it cannot be written.
bool writeZip(const QString& path, const QList<QPair<QString, QByteArray>>& entries,
              QString* error);

} // namespace pxu::xlsx
