#pragma once

#include <QHash>
#include <QString>

namespace pxu::xlsx {

// One sheet of a workbook: the text of each cell's value, as the spreadsheet's automation
// gave it. Rows and columns count from 1, as the sheet addresses them ("AB12" is row 12,
// column 28).
class Worksheet {
public:
    explicit Worksheet(const QString& name = {})
        : m_name(name) {}

    QString name() const { return m_name; }
    // A text as written, a number with at most 15 significant digits ("0.3", "-12"), a
    // Boolean "True" or "False", a formula its last calculated value; empty for an error,
    // an empty or missing cell and any place outside the sheet.
    QString cellText(int row, int column) const;
    // The used range: the last row and the last column that hold a value (error cells
    // too); 0 for a sheet without values.
    int lastRow() const { return m_lastRow; }
    int lastColumn() const { return m_lastColumn; }
    // The cells whose text is not empty: those the file holds, however far the sheet reaches.
    int cellCount() const { return int(m_cells.size()); }

    // For the reader: a cell that holds a value.
    void setCell(int row, int column, const QString& text);

private:
    static quint64 key(int row, int column) {
        return (quint64(quint32(row)) << 32) | quint32(column);
    }

    QString m_name;
    QHash<quint64, QString> m_cells;
    int m_lastRow = 0;
    int m_lastColumn = 0;
};

} // namespace pxu::xlsx
