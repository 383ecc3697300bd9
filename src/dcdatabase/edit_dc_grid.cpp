#include "edit_dc_grid.h"

#include "core/data_control.h"
#include "core/error.h"
#include "core/error_boundary.h"
#include "core/file_write_failure.h"
#include "core/sprintf.h"
#include "dc_schema.h"
#include "edit_dc_range.h"
#include "mainwindow/form_widgets.h"
#include "mainwindow/main_window.h"
#include "platform/text/number_text.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

namespace pxu::dc {

namespace {

constexpr const char* kObject = "frmEditDC";
using Display = GridColumn::Display;

GridColumn plain(const char* caption, QLatin1String field, int width,
                 Display display = Display::Plain) {
    GridColumn c;
    c.caption = QLatin1String(caption);
    c.field = field;
    c.display = display;
    c.designWidth = width;
    return c;
}

GridColumn listed(const char* caption, QLatin1String field, int width, const ValueList& list) {
    GridColumn c = plain(caption, field, width, Display::ValueList);
    c.list = &list;
    return c;
}

// The sixteen columns bound to the producer mask: "0" to "14" for the modules, "OR".
void addProducerColumns(QVector<GridColumn>& columns) {
    for (int bit = 0; bit <= kProducerOrBit; ++bit) {
        GridColumn c =
            plain("", col::producerMask, bit == kProducerOrBit ? 420 : 330, Display::Producer);
        c.caption = bit == kProducerOrBit ? QStringLiteral("OR") : QString::number(bit);
        c.bit = bit;
        columns << c;
    }
}

QVector<GridColumn> designColumns(EditGrid grid) {
    QVector<GridColumn> c;
    if (grid == EditGrid::dcEnums) {
        c << plain("Name", col::name, 4440) << plain("Group", col::varGroup, 750)
          << listed("CRC-Grp", col::crcGroup, 1150, crcGroupValues()) << plain("ID", col::id, 700)
          << plain("FUP", col::fupId, 900) << plain("Value", col::value, 1300)
          << plain("Comment", col::comment, 3600);
        addProducerColumns(c);
        c << plain("Min", col::minValue, 1300, Display::Limit)
          << plain("Max", col::maxValue, 1300, Display::Limit)
          << plain("Write", col::writeAccessLevel, 750) << plain("Read", col::readAccessLevel, 750)
          << plain("Modb.Addr", col::modbusAddr, 1250, Display::Modbus)
          << plain("Modb.Scale", col::modbusScale, 1150)
          << listed("SyncCmd", col::syncCmd, 2900, syncCmdValues());
    } else {
        c << plain("Name", col::name, 4000) << plain("ID", col::id, 700)
          << plain("FUP", col::fupId, 1000) << plain("Comment", col::comment, 3600);
        addProducerColumns(c);
        c << plain("Min", col::minValue, 1000) << plain("Max", col::maxValue, 1000)
          << listed("Criterion", col::criterion, 1300, criterionValues())
          << plain("Inhibit", col::inhibit, 750)
          << plain("Modb.Addr", col::modbusAddr, 1250, Display::Modbus)
          << plain("Signal ID", col::signalIndex, 1000)
          << plain("Signal Name", col::signalIndexName, 4000)
          << plain("OnDelay ID", col::onDelayIndex, 1150)
          << plain("OnDelay Name", col::onDelayIndexName, 4000)
          << plain("OffDelay ID", col::offDelayIndex, 1150)
          << plain("OffDelay Name", col::offDelayIndexName, 4000)
          << plain("OnOffDelay ID", col::onOffDelayId, 1400)
          << plain("OnOffDelay Name", col::onOffDelayIdName, 4000);
    }
    for (GridColumn& column : c)
        column.width = column.designWidth;
    return c;
}

// An edit of an alarm's reference name resets its id, which the next index step resolves
// again from the name.
struct NameReset {
    QLatin1String name;
    QLatin1String id;
    int unresolved;
};
constexpr NameReset kNameResets[] = {
    {col::signalIndexName, col::signalIndex, -1},
    {col::onDelayIndexName, col::onDelayIndex, -1},
    {col::offDelayIndexName, col::offDelayIndex, -1},
    {col::onOffDelayIdName, col::onOffDelayId, 255},
};

} // namespace

EditDcGrid::EditDcGrid(EditGrid grid, DataControl& data, QObject* parent)
    : QAbstractTableModel(parent)
    , m_grid(grid)
    , m_data(data)
    , m_columns(designColumns(grid)) {
    m_tipTimer.setSingleShot(true);
    m_tipTimer.setInterval(kTipDelayMs);
    connect(&m_tipTimer, &ClockTimer::timeout, this, &EditDcGrid::showTip);
    connect(&m_data, &DataControl::refreshed, this, &EditDcGrid::refresh);
    refresh();
}

EditDcGrid::~EditDcGrid() = default;

QString EditDcGrid::gridName() const {
    return m_grid == EditGrid::dcEnums ? QStringLiteral("tdbDcEnums")
                                       : QStringLiteral("tdbAlarmEnums");
}

void EditDcGrid::setBound(bool bound) {
    m_bound = bound;
    refresh();
}

const db::Recordset* EditDcGrid::recordset() const {
    return m_bound ? m_data.recordset() : nullptr;
}

void EditDcGrid::refresh() {
    beginResetModel();
    const db::Recordset* rs = recordset();
    m_rowCount = rs ? rs->recordCount() : 0;
    m_fieldIndex.clear();
    for (const GridColumn& c : m_columns)
        m_fieldIndex << (rs ? rs->fieldIndex(c.field) : -1);
    m_rules.clear();
    if (m_bound && m_data.database() && m_data.database()->isOpen())
        m_rules = fieldRules(*m_data.database(),
                             m_grid == EditGrid::dcEnums ? table::dcEnums : table::alarmEnums);
    endResetModel();
    m_tipRow = m_tipColumn = -1;
    m_tipTimer.stop();
}

int EditDcGrid::columnOf(const QString& captionOrField) const {
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].caption == captionOrField)
            return int(i);
    }
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].field.compare(captionOrField, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QVector<int> EditDcGrid::producerColumns() const {
    // The run from the column before "1" to the column after "14".
    QVector<int> run;
    const int first = columnOf(QStringLiteral("1")) - 1;
    const int last = columnOf(QStringLiteral("14")) + 1;
    for (int i = first; i >= 0 && i <= last; ++i)
        run << i;
    return run;
}

void EditDcGrid::resetColumns() {
    for (GridColumn& c : m_columns) {
        c.visible = true;
        c.width = c.designWidth;
        c.locked = false;
        c.backColour = 0;
    }
    emit columnsChanged();
    if (m_rowCount > 0)
        emit dataChanged(index(0, 0), index(m_rowCount - 1, columnCount() - 1));
}

void EditDcGrid::setColumnVisible(int index, bool visible) {
    m_columns[index].visible = visible;
    emit columnsChanged();
}

void EditDcGrid::setColumnWidth(int index, int twips) {
    m_columns[index].width = twips;
    emit columnsChanged();
}

void EditDcGrid::setColumnLocked(int index, bool locked, int backColour) {
    m_columns[index].locked = locked;
    m_columns[index].backColour = backColour;
    emit columnsChanged();
    if (m_rowCount > 0)
        emit dataChanged(this->index(0, index), this->index(m_rowCount - 1, index));
}

QStringList EditDcGrid::visibleCaptions() const {
    QStringList captions;
    for (const GridColumn& c : m_columns) {
        if (c.visible)
            captions << c.caption;
    }
    return captions;
}

QVariant EditDcGrid::storedValue(int row, const QString& field) const {
    const db::Recordset* rs = recordset();
    return rs ? rs->valueAt(row, rs->fieldIndex(field)) : QVariant();
}

QString EditDcGrid::plainText(const QVariant& value) const {
    if (value.typeId() == QMetaType::Double)
        return numberText(value.toDouble());
    return value.toString();
}

QString EditDcGrid::FormatText(int row, int column) const {
    const GridColumn& c = m_columns.at(column);
    const QVariant value = storedValue(row, c.field);
    switch (c.display) {
    case Display::Modbus:
        return modbusText(m_grid, value);
    case Display::Producer:
        return producerBitSet(value, c.bit) ? QStringLiteral("X") : QString();
    case Display::ValueList:
        return value.isNull() ? QString() : valueListText(*c.list, value);
    case Display::Limit:
        if (m_grid == EditGrid::dcEnums && isNoLimit(c.field, value))
            return QStringLiteral("---");
        break;
    case Display::Plain:
        break;
    }
    return plainText(value);
}

QVariant EditDcGrid::editValue(int row, int column) const {
    const GridColumn& c = m_columns.at(column);
    switch (c.display) {
    case Display::Modbus:
    case Display::Producer:
        return FormatText(row, column);
    case Display::ValueList:
        return storedValue(row, c.field);
    case Display::Limit:
    case Display::Plain:
        break;
    }
    return plainText(storedValue(row, c.field));
}

QString EditDcGrid::FetchCellTips(int row, int column) const {
    if (row < 0 || row >= m_rowCount || column < 0 || column >= m_columns.size())
        return {};
    const GridColumn& c = m_columns[column];
    if (c.display == Display::Modbus)
        return modbusTip(m_grid);
    if (c.display == Display::Producer)
        return producerTip(m_grid, c.bit, storedValue(row, col::modbusAddr),
                           storedValue(row, col::producerMask));
    return {};
}

int EditDcGrid::FetchCellStyle(int row, int column) const {
    const GridColumn& c = m_columns.at(column);
    if (m_grid == EditGrid::alarmEnums && c.field == col::name) {
        // An alarm that compares a signal but names none stands out.
        const QVariant criterion = storedValue(row, col::criterion);
        const bool compares = !criterion.isNull() && criterion.toLongLong() != 0;
        return compares && storedValue(row, col::signalIndexName).toString().isEmpty()
                   ? kColourRed
                   : kColourButtonFace;
    }
    return c.backColour;
}

EditDcGrid::Conversion EditDcGrid::BeforeColUpdate(int row, int column, QVariant& value) {
    const GridColumn& c = m_columns[column];
    CellEntry entry{CellEntry::Store, value};
    if (c.display == Display::Modbus)
        entry = modbusEntry(m_grid, value.toString());
    else if (c.display == Display::Producer)
        entry = producerEntry(value.toString(), c.bit,
                              storedValue(row, col::producerMask).toLongLong());
    if (entry.outcome == CellEntry::Refuse)
        return Conversion::Refused;
    if (entry.outcome == CellEntry::OutOfRange) {
        emit refused(sprintf(QStringLiteral("\"{*}\" is no Modbus address: the offset must lie "
                                            "between 0 and 32767.\r\nNothing was stored."),
                             value.toString()));
        return Conversion::Told;
    }
    const CheckedValue checked =
        checkField(m_rules.value(c.field.toLower()), entry.value, c.caption);
    if (!checked.value) {
        emit refused(checked.refusal);
        return Conversion::Told;
    }
    if (m_grid == EditGrid::dcEnums &&
        storedValue(row, col::cls).toString().compare(cls::parameter, Qt::CaseInsensitive) == 0) {
        const ParameterRange range{storedValue(row, col::value), storedValue(row, col::minValue),
                                   storedValue(row, col::maxValue)};
        if (const auto refusal = rangeRefusal(range, storedValue(row, col::name).toString(),
                                              c.field, c.caption, *checked.value)) {
            emit refused(*refusal);
            return Conversion::Told;
        }
    }
    value = *checked.value;
    return Conversion::Stored;
}

void EditDcGrid::writeCell(int row, const GridColumn& column, const QVariant& value) {
    db::Recordset* rs = m_data.recordset();
    // Left in edit, the record set would read the values that were never stored.
    const auto fail = [&](int number) {
        const QString failure = rs->lastError();
        rs->cancelUpdate();
        throwIfWrittenByAnotherProgram(failure, {m_data.databaseName()});
        if (const QString why = whyDatabaseNotWritten(m_data.databaseName(), failure);
            !why.isEmpty())
            throw FileWriteFailure(m_data.databaseName(), why);
        raise(number, QStringLiteral("DAO.Recordset"), failure);
    };
    if (!rs->setAbsolutePosition(row) || !rs->edit() || !rs->setValue(column.field, value))
        fail(3020);
    if (m_grid == EditGrid::alarmEnums) {
        for (const NameReset& reset : kNameResets) {
            if (column.field == reset.name && !rs->setValue(reset.id, reset.unresolved))
                fail(3265);
        }
    }
    if (!rs->update())
        fail(3020);
}

void EditDcGrid::AfterColEdit(int) {
    emit edited();
}

bool EditDcGrid::editCell(int row, int column, const QVariant& entry) {
    if (row < 0 || row >= m_rowCount || column < 0 || column >= m_columns.size() ||
        !(flags(index(row, column)) & Qt::ItemIsEditable))
        return false;
    // An edit that leaves the cell as it was is no edit.
    if (entry.toString() == editValue(row, column).toString())
        return false;
    const QString grid = gridName();
    QVariant value = entry;
    bool converted = false;
    guarded(kObject, qPrintable(grid + QStringLiteral("_BeforeColUpdate")),
            [&] { converted = BeforeColUpdate(row, column, value) == Conversion::Stored; });
    if (!converted)
        return false;
    bool written = false;
    guarded(kObject, qPrintable(grid + QStringLiteral("_AfterColEdit")), [&] {
        try {
            writeCell(row, m_columns[column], value);
        } catch (const FileWriteFailure& failure) {
            emit refused(failure.text() + QStringLiteral("\r\nNothing was stored."));
            return;
        }
        written = true;
        AfterColEdit(column);
    });
    if (written)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    return written;
}

void EditDcGrid::hoverCell(int row, int column) {
    if (row == m_tipRow && column == m_tipColumn)
        return;
    m_tipRow = row;
    m_tipColumn = column;
    m_tipTimer.stop();
    emit tipHidden();
    if (row >= 0 && column >= 0)
        m_tipTimer.start();
}

void EditDcGrid::showTip() {
    QString tip;
    guarded(kObject, qPrintable(gridName() + QStringLiteral("_FetchCellTips")),
            [&] { tip = FetchCellTips(m_tipRow, m_tipColumn); });
    if (!tip.isEmpty())
        emit tipShown(tip);
}

int EditDcGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int EditDcGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant EditDcGrid::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rowCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return FormatText(index.row(), index.column());
    case Qt::EditRole:
        return editValue(index.row(), index.column());
    case Qt::BackgroundRole: {
        const int colour = FetchCellStyle(index.row(), index.column());
        if (colour == 0)
            return {};
        return QBrush(controlColour(colour, QGuiApplication::palette()));
    }
    case ColourCodeRole:
        return FetchCellStyle(index.row(), index.column());
    case Qt::TextAlignmentRole:
        if (m_columns[index.column()].display == Display::Producer)
            return int(Qt::AlignCenter);
        return {};
    default:
        return {};
    }
}

bool EditDcGrid::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return editCell(index.row(), index.column(), value);
}

Qt::ItemFlags EditDcGrid::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int column = index.column();
    if (!m_columns[column].locked && m_fieldIndex.value(column, -1) >= 0 && recordset() &&
        recordset()->isUpdatable())
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant EditDcGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= m_columns.size())
        return {};
    return m_columns[section].caption;
}

} // namespace pxu::dc
