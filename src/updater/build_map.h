#pragma once

#include <QString>

// The configuration's build map: which build an installed application CRC belongs to, the
// new application of each build and its CRC, and the items the update reads with them.
namespace pxu::buildMap {

// The build the CRC key ("0x" and four hexadecimal digits) belongs to; empty when unknown.
// A value beginning with "new" marks the updated application of that build.
QString buildOf(const QString& crcKey);
// The CRC of the build's new application as a 32-bit number, -1 when there is none.
qint32 newApplicationCrc(const QString& build);
// The new application's file: in the installation folder, named by the item "appl_"
// followed by the build.
QString applicationFile(const QString& build);
// The application's base address; the module's default when the item is missing or 0.
qint32 applicationBaseAddress(bool bigMem);
// The engine type's first variable id, of its long (8 chunks) or short (4 chunks) form.
qint32 engineTypeId(bool longForm);

} // namespace pxu::buildMap
