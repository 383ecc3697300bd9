#pragma once

#include "edit_dc_lists.h"
#include "field_rules.h"
#include "grid_encodings.h"
#include "platform/clock/clock_timer.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

namespace pxu {
class DataControl;
namespace db {
class Recordset;
}
} // namespace pxu

namespace pxu::dc {

// One column of a table-editor grid, bound to a column of the table.
struct GridColumn {
    enum class Display {
        Plain,     // the stored value
        ValueList, // the value's text from a drop-down list
        Limit,     // the stored value; the type's extreme shows "---"
        Modbus,    // the Modbus address as a register text
        Producer,  // "X" when the column's bit of the producer mask is set
    };
    QString caption;
    QString field;
    Display display = Display::Plain;
    int designWidth = 0; // twips
    int bit = -1;        // Producer: the bit of the mask
    const ValueList* list = nullptr;
    // What the window sets at run time.
    bool visible = true;
    int width = 0; // twips
    bool locked = false;
    int backColour = 0; // 0: the grid's own; else a colour code (form_widgets.h)
};

// One of the two grids of the table editor (tdbDcEnums, tdbAlarmEnums): a table model over
// the record set of the editor's Data control. It turns typed entries into the stored
// encodings, checks what it stores against the table's columns, writes each completed
// edit through to the database at once, shows the encodings and value lists as texts,
// colours the alarm names and gives the cell tips.
class EditDcGrid : public QAbstractTableModel {
    Q_OBJECT
public:
    // The colour code of a cell's back colour (0: the grid's own), beside Qt's brush.
    static constexpr int ColourCodeRole = Qt::UserRole;
    // The tips show after the pointer rested this long on a cell.
    static constexpr int kTipDelayMs = 200;

    EditDcGrid(EditGrid grid, DataControl& data, QObject* parent = nullptr);
    ~EditDcGrid() override;

    EditGrid grid() const { return m_grid; }
    // The editor binds the Data control to one grid at a time; the other shows no rows.
    void setBound(bool bound);
    bool isBound() const { return m_bound; }
    QString gridName() const; // tdbDcEnums or tdbAlarmEnums

    // Columns, in their order; looked up by caption or bound column name (-1: none).
    const QVector<GridColumn>& columns() const { return m_columns; }
    const GridColumn& column(int index) const { return m_columns.at(index); }
    int columnOf(const QString& captionOrField) const;
    // The producer columns "0" to "OR".
    QVector<int> producerColumns() const;
    // Back to the design state: every column shown at its design width, none locked.
    void resetColumns();
    void setColumnVisible(int index, bool visible);
    void setColumnWidth(int index, int twips);
    void setColumnLocked(int index, bool locked, int backColour);
    QStringList visibleCaptions() const;

    // The grid's events. A cell edit goes through BeforeColUpdate, which converts the
    // entry or refuses it; AfterColEdit writes it to the row and tells it is complete.
    // True when the edit was stored.
    bool editCell(int row, int column, const QVariant& entry);
    QString FormatText(int row, int column) const;
    QString FetchCellTips(int row, int column) const;
    int FetchCellStyle(int row, int column) const;
    // The text an edit of the cell starts from (a value list's: the stored number).
    QVariant editValue(int row, int column) const;
    QVariant storedValue(int row, const QString& field) const;

    // The pointer rests on a cell (row -1: on none, or on the header): its tip shows
    // after kTipDelayMs on the program's clock.
    void hoverCell(int row, int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // A completed cell edit (AfterColEdit).
    void edited();
    // An entry was refused with a message for the user.
    void refused(const QString& message);
    void columnsChanged();
    void tipShown(const QString& text);
    void tipHidden();

private:
    enum class Conversion { Stored, Refused, Told };
    void refresh();
    const db::Recordset* recordset() const;
    Conversion BeforeColUpdate(int row, int column, QVariant& value);
    void AfterColEdit(int column);
    void writeCell(int row, const GridColumn& column, const QVariant& value);
    QString plainText(const QVariant& value) const;
    void showTip();

    EditGrid m_grid;
    DataControl& m_data;
    bool m_bound = false;
    QVector<GridColumn> m_columns;
    QHash<QString, FieldRule> m_rules;
    QVector<int> m_fieldIndex; // per column: the record set's field, -1 when missing
    int m_rowCount = 0;
    ClockTimer m_tipTimer;
    int m_tipRow = -1;
    int m_tipColumn = -1;
};

} // namespace pxu::dc
