#include "xls_reader.h"

#include "biff_cells.h"
#include "compound_file.h"

#include <QDir>
#include <QFile>
#include <freexl.h>
#include <memory>

namespace pxu::xlsx {

namespace {

struct FreexlCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};
using FreexlHandle = std::unique_ptr<const void, FreexlCloser>;

const QString kEncrypted = QStringLiteral("is encrypted: save it without a password.");
const QString kOlderFormat = QStringLiteral("is a workbook of the binary format before 1997 (BIFF5 "
                                            "or older), which cannot be read: save it as .xlsx.");

QString freexlProblem(int code) {
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("it is too large");
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return QStringLiteral("it is cut short");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return QStringLiteral("its compound file header is broken");
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return QStringLiteral("its sectors are broken");
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        return QStringLiteral("its list of texts is broken");
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return QStringLiteral("a text holds characters of no known code page");
    default:
        return QStringLiteral("its records are broken");
    }
}

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
    if (!readTexts(path, sheets))
        return false;
    for (Worksheet& sheet : sheets) {
        for (const BiffSheet& scanned : values.sheets()) {
            if (scanned.name != sheet.name())
                continue;
            for (const BiffCell& cell : scanned.cells)
                sheet.setCell(cell.row, cell.column, cell.text);
        }
    }
    return true;
}

bool XlsReader::readTexts(const QString& path, std::vector<Worksheet>& sheets) {
    const void* opened = nullptr;
    const int code = freexl_open(QFile::encodeName(path).constData(), &opened);
    const FreexlHandle handle(opened); // also after some failures
    if (code != FREEXL_OK || !opened) // some damaged files are "opened" without a handle
        return fail(QStringLiteral("is damaged: ") + freexlProblem(code));
    unsigned int sheetCount = 0;
    if (freexl_get_info(opened, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK)
        return fail(QStringLiteral("is damaged: its list of sheets is broken"));
    for (unsigned int index = 0; index < sheetCount && index <= 0xFFFF; ++index) {
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_get_worksheet_name(opened, (unsigned short)index, &name) != FREEXL_OK ||
            freexl_select_active_worksheet(opened, (unsigned short)index) != FREEXL_OK ||
            freexl_worksheet_dimensions(opened, &rows, &columns) != FREEXL_OK)
            return fail(QStringLiteral("is damaged: its list of sheets is broken"));
        Worksheet sheet(QString::fromUtf8(name));
        for (unsigned int row = 0; row < rows; ++row) {
            for (unsigned short column = 0; column < columns; ++column) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(opened, row, column, &value) == FREEXL_OK &&
                    (value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT))
                    sheet.setCell(int(row) + 1, int(column) + 1,
                                  QString::fromUtf8(value.value.text_value));
            }
        }
        sheets.push_back(std::move(sheet));
    }
    return true;
}

bool XlsReader::fail(const QString& why) {
    m_error = QStringLiteral("\"%1\" ").arg(m_name) + why;
    return false;
}

} // namespace pxu::xlsx
