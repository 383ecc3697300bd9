#pragma once

#include "bus/info_block_upload.h"
#include "core/globals.h"

#include <QString>
#include <array>

namespace pxu {

constexpr int kInfoRows = modUpload::kInfoRows;       // one per section, by display row
constexpr int kInfoColumns = modUpload::kInfoColumns; // section name and the block's fields

// One module's rows: column 0 the section name, columns 1 to 11 the module info table.
using ModuleInfoRows = std::array<std::array<QString, kInfoColumns>, kInfoRows>;
// Every module's rows by module number; empty where nothing was read.
using ModuleInfoValues = std::array<ModuleInfoRows, kModuleCount>;
// The modules that were connected, by module number (element 15 is never set).
using ModuleMask = std::array<bool, kModuleCount + 1>;

// The section name of a display row ("Application" ... "Hardware"); "" outside 0 to 5.
QString sectionRowName(int row);
// One module's rows from its module info table, the section names in column 0.
ModuleInfoRows moduleInfoRows(const modUpload::ModuleInfoTable& table);

// The overview report's column captions and widths; 0 leaves a column out of the report,
// an index outside 0 to 11 gives "" and 0.
QString reportColumnCaption(int column);
int reportColumnWidth(int column);

} // namespace pxu
