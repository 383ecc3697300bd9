#include "worksheet.h"

namespace pxu::xlsx {

QString Worksheet::cellText(int row, int column) const {
    return m_cells.value(key(row, column));
}

void Worksheet::setCell(int row, int column, const QString& text) {
    if (!text.isEmpty())
        m_cells.insert(key(row, column), text);
    m_lastRow = std::max(m_lastRow, row);
    m_lastColumn = std::max(m_lastColumn, column);
}

} // namespace pxu::xlsx
