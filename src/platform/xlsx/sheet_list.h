#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace pxu::xlsx {

// A sheet as the workbook part lists it: its name and the id of the relation that leads
// to its part.
struct SheetEntry {
    QString name;
    QString relationId;
};

// The sheets of a workbook part in their order; nothing with *error set when the XML is
// broken.
std::optional<QList<SheetEntry>> parseSheetList(const QByteArray& xml, QString* error);

} // namespace pxu::xlsx
