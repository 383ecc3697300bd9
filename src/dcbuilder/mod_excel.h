#pragma once

#include "platform/xlsx/workbook.h"

#include <QString>
#include <memory>

namespace pxu {

// The spreadsheet application a window holds while it reads a workbook: one workbook, open
// for reading only (nothing is ever written into it), and its active sheet.
class ExcelApplication {
public:
    // False when the file is no readable workbook (.xlsx or .xls); lastError() then says
    // why and names the file.
    bool open(const QString& fileName);
    void close();
    QString lastError() const { return m_workbook.lastError(); }
    // Makes the sheet of that name (letter case counting) the active one.
    bool selectSheet(const QString& name);
    // A cell of the active sheet as text; empty without an active sheet.
    QString cellText(int row, int column) const;

private:
    xlsx::Workbook m_workbook;
    const xlsx::Worksheet* m_activeSheet = nullptr;
};

// A window whose spreadsheet application modExcel works on (frmDcBuilder).
class ExcelOwner {
public:
    ExcelOwner() = default;
    ExcelOwner(const ExcelOwner&) = delete;
    ExcelOwner& operator=(const ExcelOwner&) = delete;
    // An owner that goes away is forgotten by modExcel.
    virtual ~ExcelOwner();

    std::unique_ptr<ExcelApplication> xlsApp; // empty until initiateExcel
};

// Thin operations on the spreadsheet application of the owner that initiateExcel named.
namespace modExcel {

// Remembers the owner and gives it an application unless it holds one.
void initiateExcel(ExcelOwner& owner);
// Opens the workbook (read-only); False when it cannot be read (excelError() says why).
bool openExcelForm(const QString& fileName);
QString excelError();
// Makes the first sheet of exactly that name the active sheet; False when there is none.
bool openExcelSheet(const QString& sheetName);
// A cell of the active sheet as text. With a reference such as "A1" (its first character the
// column letter, the rest the row) the offsets are added to it; without one they alone give
// column and row. Any failure reads as an empty text.
QString readCell(const QString& reference, qint16 columnOffset, qint16 rowOffset);
void closeExcelForm();
// Releases the owner's application.
void terminateExcel();

} // namespace modExcel

} // namespace pxu
