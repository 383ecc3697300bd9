#pragma once

#include "worksheet.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace pxu::xlsx {

// Reads the sheets of a legacy binary workbook (.xls of 1997 on) from its compound file.
class XlsReader {
public:
    // False when the file is encrypted, of an older version of the format, no workbook or
    // damaged; error() then says which, naming the file.
    bool read(const QString& path, const QByteArray& bytes, std::vector<Worksheet>& sheets);
    QString error() const { return m_error; }

private:
    bool fail(const QString& why);

    QString m_name;
    QString m_error;
};

} // namespace pxu::xlsx
