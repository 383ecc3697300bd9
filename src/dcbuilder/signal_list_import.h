#pragma once

#include <QString>

namespace pxu {

namespace dc {
class DcJob;
class MessageSink;
} // namespace dc

// Imports the sheet of that name of the workbook that modExcel has open into the table of
// the same name ("dcEnums", "alarmEnums") of the database: the attributes of each symbol
// the sheet names are stored into its row, which gets upDate 1; the rows the sheet does not
// name get 2. The differences between sheet and table are logged both ways, for columns
// and for symbols. A sheet that is missing, is not headed "name" or fails leaves the table
// as it was, and the log says why; the job goes on. A database that cannot be written fails
// the job (JobFailure). True when the sheet was imported.
bool readExcelSheet(dc::DcJob& job, const QString& sheet, dc::MessageSink& sink);
// The same as a job of its own on the database.
bool readExcelSheet(const QString& database, const QString& sheet, dc::MessageSink& sink);

} // namespace pxu
