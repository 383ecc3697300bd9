#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <functional>

namespace pxu {

// A grid of texts for a table view: the cells, the column captions and each cell's
// background colour as the controls keep colours (form_widgets.h), asked of the window's
// logic when the view paints.
class TextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The colour code of a cell, beside Qt's background brush.
    static constexpr int ColourCodeRole = Qt::UserRole;
    using CellColour = std::function<int(int row, int column)>;

    explicit TextGridModel(QObject* parent = nullptr);

    // Binds new cells (rows of equal length) and captions: the view reads them afresh.
    void setCells(const QList<QStringList>& cells, const QStringList& captions);
    void setCellColour(CellColour colour) { m_colour = std::move(colour); }

    QString text(int row, int column) const;
    int colour(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<QStringList> m_cells;
    QStringList m_captions;
    CellColour m_colour;
};

} // namespace pxu
