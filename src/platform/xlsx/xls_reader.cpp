#include "xls_reader.h"

#include "biff_cells.h"
#include "compound_file.h"

#include <QDir>

namespace pxu::xlsx {

namespace {

const QString kEncrypted = QStringLiteral("is encrypted: save it without a password.");
const QString kOlderFormat = QStringLiteral("is a workbook of the binary format before 1997 (BIFF5 "
                                            "or older), which cannot be read: save it as .xlsx.");

} // namespace

bool XlsReader::read(const QString& path, const QByteArray& bytes, std::vector<Worksheet>& sheets) {
    m_name = QDir::toNativeSeparators(path);
    CompoundFile file;
    if (!file.open(bytes))
        return fail(QStringLiteral("is damaged: ") + file.error());
    // An encrypted .xlsx is a compound file around the encrypted package.
    if (file.contains(QStringLiteral("EncryptedPackage")))
        return fail(kEncrypted);
    if (!file.contains(QStringLiteral("Workbook"))) {
        if (file.contains(QStringLiteral("Book")))
            return fail(kOlderFormat);
        return fail(QStringLiteral("is not an .xls workbook: it holds no workbook."));
    }
    const std::optional<QByteArray> stream = file.stream(QStringLiteral("Workbook"));
    if (!stream)
        return fail(QStringLiteral("is damaged: ") + file.error());

    BiffCellScan values;
    switch (values.read(*stream)) {
    case BiffCellScan::Result::Read:
        break;
    case BiffCellScan::Result::Encrypted:
        return fail(kEncrypted);
    case BiffCellScan::Result::OlderFormat:
        return fail(kOlderFormat);
    case BiffCellScan::Result::Damaged:
        return fail(QStringLiteral("is damaged: ") + values.problem());
    }
    for (const BiffSheet& scanned : values.sheets()) {
        Worksheet sheet(scanned.name);
        for (const BiffCell& cell : scanned.cells)
            sheet.setCell(cell.row, cell.column, cell.text);
        sheets.push_back(std::move(sheet));
    }
    return true;
}

bool XlsReader::fail(const QString& why) {
    m_error = QStringLiteral("\"%1\" ").arg(m_name) + why;
    return false;
}

} // namespace pxu::xlsx
