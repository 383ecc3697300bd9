#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace pxu::xlsx {

// The largest sheet a workbook may hold: rows 1 to 1048576, columns "A" to "XFD".
constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;

struct CellPosition {
    int row = 0;
    int column = 0;
};

// Columns are counted from 1: "A" is 1, "Z" 26, "AA" 27. Letters of either case; 0 for
// anything that names no column of a sheet.
int columnNumber(QStringView letters);
// The letters of a column from 1 to kMaxColumn; empty outside.
QString columnLetters(int column);
// A cell's address such as "AB12"; nothing for any other text or one beyond the sheet.
std::optional<CellPosition> parseCellReference(QStringView reference);
QString cellReference(int row, int column);

} // namespace pxu::xlsx
