#pragma once

#include "worksheet.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace pxu::xlsx {

// A workbook, .xlsx or legacy .xls, read whole when it is opened and never written.
class Workbook {
public:
    // False when the file cannot be read, is no workbook, is encrypted or damaged;
    // lastError() then says which, naming the file.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_open; }
    QString path() const { return m_path; }
    QString lastError() const { return m_lastError; }

    // In the workbook's order.
    QStringList sheetNames() const;
    // The sheet of that name, letter case counting; nullptr when there is none.
    const Worksheet* sheet(const QString& name) const;

private:
    bool fail(const QString& why);

    QString m_path;
    QString m_lastError;
    bool m_open = false;
    std::vector<Worksheet> m_sheets;
};

} // namespace pxu::xlsx
