#include "workbook.h"

#include "compound_file.h"
#include "xls_reader.h"
#include "xlsx_reader.h"

#include <QDir>
#include <QFile>

namespace pxu::xlsx {

namespace {

// No signal list comes near this; a larger file is a broken or hostile one.
constexpr qint64 kMaxLegacyFileSize = 256 * 1024 * 1024;

} // namespace

bool Workbook::open(const QString& path) {
    close();
    m_path = path;
    const QString name = QDir::toNativeSeparators(path);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot open \"%1\": %2").arg(name, file.errorString()));
    const QByteArray head = file.peek(8);
    // An .xlsx is a zip archive; legacy workbooks (and encrypted new ones) are compound files.
    if (head.startsWith("PK")) {
        file.close();
        XlsxReader reader;
        if (!reader.read(path, m_sheets))
            return fail(reader.error());
    } else if (CompoundFile::hasSignature(head)) {
        if (file.size() > kMaxLegacyFileSize)
            return fail(QStringLiteral("\"%1\" is damaged: it is too large").arg(name));
        const QByteArray bytes = file.readAll();
        file.close();
        XlsReader reader;
        if (!reader.read(path, bytes, m_sheets))
            return fail(reader.error());
    } else {
        return fail(QStringLiteral("\"%1\" is not an .xlsx or .xls workbook.").arg(name));
    }
    m_open = true;
    return true;
}

void Workbook::close() {
    m_open = false;
    m_sheets.clear();
    m_lastError.clear();
}

QStringList Workbook::sheetNames() const {
    QStringList names;
    for (const Worksheet& sheet : m_sheets)
        names.append(sheet.name());
    return names;
}

const Worksheet* Workbook::sheet(const QString& name) const {
    for (const Worksheet& sheet : m_sheets) {
        if (sheet.name() == name)
            return &sheet;
    }
    return nullptr;
}

bool Workbook::fail(const QString& why) {
    m_sheets.clear();
    m_lastError = why;
    return false;
}

} // namespace pxu::xlsx
