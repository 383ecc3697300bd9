#pragma once

#include "core/file_write_failure.h"

#include <QString>
#include <optional>

namespace pxu {

// The report of a data-container database: its tables dcEnums, alarmEnums and dcBinFile
// copied into a database file of their own (column types and collations kept), and a page
// that shows the three tables to read in the desktop's browser. Both files are written
// through a temporary file and a rename. Nothing on success, else the failure's text (and
// neither file is left); a file that could not be written is also given in unwritable.
std::optional<QString> writeDcReport(const QString& database, const QString& reportCopy,
                                     const QString& page,
                                     std::optional<FileWriteFailure>* unwritable = nullptr);

} // namespace pxu
