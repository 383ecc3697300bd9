#pragma once

#include "worksheet.h"

#include <QString>
#include <vector>

namespace pxu::xlsx {

class ZipArchive;

// Reads the sheets of an .xlsx workbook, a zip package of XML parts. Sheets are found by
// their names as the workbook lists them, whatever the order or names of their parts.
class XlsxReader {
public:
    // False when the package is no workbook or is damaged; error() then says which, naming
    // the file.
    bool read(const QString& path, std::vector<Worksheet>& sheets);
    QString error() const { return m_error; }

private:
    bool readSheets(ZipArchive& zip, const QString& workbookPart, std::vector<Worksheet>& sheets,
                    QString& problem);

    QString m_error;
};

} // namespace pxu::xlsx
