#include "text_grid_model.h"

#include "form_widgets.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

namespace pxu {

TextGridModel::TextGridModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void TextGridModel::setCells(const QList<QStringList>& cells, const QStringList& captions) {
    beginResetModel();
    m_cells = cells;
    m_captions = captions;
    endResetModel();
}

QString TextGridModel::text(int row, int column) const {
    if (row < 0 || row >= m_cells.size() || column < 0 || column >= m_cells[row].size())
        return {};
    return m_cells[row][column];
}

int TextGridModel::colour(int row, int column) const {
    return m_colour ? m_colour(row, column) : 0xFFFFFF;
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_cells.size());
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_cells.isEmpty())
        return 0;
    return int(m_cells.constFirst().size());
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole:
        return QBrush(
            controlColour(colour(index.row(), index.column()), QGuiApplication::palette()));
    case ColourCodeRole:
        return colour(index.row(), index.column());
    default:
        return {};
    }
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return section >= 0 && section < m_captions.size() ? m_captions[section] : QString();
}

} // namespace pxu
