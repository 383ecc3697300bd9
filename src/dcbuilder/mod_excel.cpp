#include "mod_excel.h"

namespace pxu {

namespace {

ExcelOwner* m_excelOwner = nullptr;

ExcelApplication* application() {
    return m_excelOwner ? m_excelOwner->xlsApp.get() : nullptr;
}

} // namespace

bool ExcelApplication::open(const QString& fileName) {
    m_activeSheet = nullptr;
    return m_workbook.open(fileName);
}

void ExcelApplication::close() {
    m_activeSheet = nullptr;
    m_workbook.close();
}

bool ExcelApplication::selectSheet(const QString& name) {
    if (const xlsx::Worksheet* sheet = m_workbook.sheet(name)) {
        m_activeSheet = sheet;
        return true;
    }
    return false;
}

QString ExcelApplication::cellText(int row, int column) const {
    return m_activeSheet ? m_activeSheet->cellText(row, column) : QString();
}

ExcelOwner::~ExcelOwner() {
    if (m_excelOwner == this)
        m_excelOwner = nullptr;
}

namespace modExcel {

void initiateExcel(ExcelOwner& owner) {
    m_excelOwner = &owner;
    if (!owner.xlsApp)
        owner.xlsApp = std::make_unique<ExcelApplication>();
}

bool openExcelForm(const QString& fileName) {
    ExcelApplication* app = application();
    return app && app->open(fileName);
}

QString excelError() {
    const ExcelApplication* app = application();
    return app ? app->lastError() : QStringLiteral("No spreadsheet application.");
}

bool openExcelSheet(const QString& sheetName) {
    ExcelApplication* app = application();
    return app && app->selectSheet(sheetName);
}

QString readCell(const QString& reference, qint16 columnOffset, qint16 rowOffset) {
    const ExcelApplication* app = application();
    if (!app)
        return {};
    int column = columnOffset;
    int row = rowOffset;
    if (!reference.isEmpty()) {
        const QChar letter = reference.at(0).toUpper();
        if (letter < u'A' || letter > u'Z')
            return {};
        bool ok = false;
        const int referenceRow = reference.mid(1).toInt(&ok);
        if (!ok)
            return {};
        column += letter.unicode() - u'A' + 1;
        row += referenceRow;
    }
    return app->cellText(row, column);
}

void closeExcelForm() {
    if (ExcelApplication* app = application())
        app->close();
}

void terminateExcel() {
    if (m_excelOwner)
        m_excelOwner->xlsApp.reset();
}

} // namespace modExcel

} // namespace pxu
