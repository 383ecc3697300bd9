#include "edit_dc.h"

#include "core/database_access.h"
#include "core/dialog_service.h"
#include "core/error_boundary.h"
#include "core/form_support.h"
#include "core/globals.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_schema.h"
#include "edit_dc_form.h"
#include "mainwindow/form_widgets.h"
#include "mainwindow/main_window.h"
#include "mainwindow/window_on_first_use.h"

namespace pxu {

namespace {

constexpr const char* kObject = "frmEditDC";
const QString kAll = QStringLiteral("--ALL--");
// The name column's width beside the group columns.
constexpr int kNameWidth = 4440;

enum OptVarCol { setMinMax, setAccessLevels, setModbus, setProducer, setSyncCmd };

void showColumns(dc::EditDcGrid& grid, std::initializer_list<QLatin1String> fields, bool shown) {
    for (QLatin1String field : fields)
        grid.setColumnVisible(grid.columnOf(field), shown);
}

void showProducerColumns(dc::EditDcGrid& grid, bool shown) {
    for (int column : grid.producerColumns())
        grid.setColumnVisible(column, shown);
}

} // namespace

EditDc::EditDc(QObject* parent)
    : QObject(parent) {
    setObjectName(QString::fromLatin1(kObject));
    // A refusal is told once the grid has closed its editor.
    for (dc::EditDcGrid* grid : {&m_tdbDcEnums, &m_tdbAlarmEnums}) {
        connect(grid, &dc::EditDcGrid::edited, this, [this] { m_edited = true; });
        connect(grid, &dc::EditDcGrid::refused, this, &EditDc::showRefusal, Qt::QueuedConnection);
    }
}

EditDc::~EditDc() {
    delete m_form.data();
}

EditDcForm* EditDc::form() const {
    return m_form;
}

dc::EditDcGrid* EditDc::visibleGrid() {
    if (m_view.tdbDcEnums)
        return &m_tdbDcEnums;
    if (m_view.tdbAlarmEnums)
        return &m_tdbAlarmEnums;
    return nullptr;
}

bool EditDc::g_showForm(const QString& database, const QString& symbolClass) {
    bool result = false;
    guarded(kObject, "g_showForm", [&] {
        m_dbPath = database;
        m_symbolClass = symbolClass;
        load();
        m_edited = false;
        m_loaded = true;
        if (widgetsAvailable()) {
            if (!m_form)
                m_form = new EditDcForm(*this); // deleted by the unload
            // Modal to the whole program: the builder waits for the editor's answer.
            m_form->setWindowModality(Qt::ApplicationModal);
            m_form->show();
            dialogs().modalWindow(*m_form, QString::fromLatin1(kObject));
        }
        unload();
        result = m_edited;
    });
    return result;
}

void EditDc::load() {
    m_settingUp = true;
    m_sortOrder = QStringLiteral("ASC");
    m_sortColumn = -1;
    // Every control starts in its design state.
    m_view = EditDcView{};
    m_tdbDcEnums.resetColumns();
    m_tdbAlarmEnums.resetColumns();

    int option = 0;
    const int value = m_tdbDcEnums.columnOf(dc::col::value);
    if (m_symbolClass == dc::cls::parameter) {
        for (int i = 0; i <= 6; ++i) {
            const QString name = dc::getCrcGroupName(i);
            if (name.isEmpty())
                break;
            m_view.cboCrcGroup << name;
        }
        m_view.cboCrcGroup << kAll;
        // "NORMAL" or "ADJUST": the group worked on most.
        m_view.cboCrcGroupIndex = g_applType == applTypeLorx ? 1 : 2;
        m_view.optShowVarColVisible[setProducer] = false;
        m_view.optShowVarColVisible[setSyncCmd] = true;
        m_tdbDcEnums.setColumnLocked(value, false, kColourWindow);
        m_view.fraGridType[0] = m_view.tdbDcEnums = true;
    } else if (m_symbolClass == dc::cls::variable) {
        setupFupIdSelection(m_dbPath);
        option = setAccessLevels;
        m_view.optShowVarColVisible[setProducer] = true;
        m_view.optShowVarColVisible[setSyncCmd] = false;
        // A variable's value is the control software's, not the plant's.
        m_tdbDcEnums.setColumnLocked(value, true, kColourButtonFace);
        m_view.fraGridType[0] = m_view.tdbDcEnums = true;
    } else if (m_symbolClass == dc::cls::alarm) {
        m_view.cboCrcGroup.clear();
        m_view.cboCrcGroupIndex = -1;
        m_view.fraGridType[1] = m_view.tdbAlarmEnums = true;
    }
    m_tdbDcEnums.setBound(m_view.tdbDcEnums);
    m_tdbAlarmEnums.setBound(m_view.tdbAlarmEnums);
    optShowVarCol_Click(option);
    optShowLogCol_Click(option);

    m_settingUp = false;
    setupTable(dc::col::id);
    if (m_symbolClass == dc::cls::alarm)
        optShowLogCol_Click(option);
    else
        optShowVarCol_Click(option);
    emit changed();
}

void EditDc::setupFupIdSelection(const QString& database) {
    guarded(kObject, "setupFupIdSelection", [&] {
        m_view.cboCrcGroup.clear();
        std::shared_ptr<db::Database> db;
        std::unique_ptr<db::Recordset> rs;
        if (g_iniRecordset(database,
                           sprintf(QStringLiteral("SELECT * FROM dcEnums WHERE ID>={*} ORDER BY "
                                                  "fupId"),
                                   dc::kFirstVariableId),
                           db, rs)) {
            QString prefix;
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                const QString fupId = rs->text(dc::col::fupId);
                if (prefix.isEmpty() || !fupId.contains(prefix, Qt::CaseSensitive)) {
                    prefix = fupId.section(u'.', 0, 0);
                    if (!prefix.isEmpty())
                        m_view.cboCrcGroup << prefix + dc::fupIdGroupTitle(prefix);
                }
            }
        }
        if (rs)
            rs->close();
        m_view.cboCrcGroup << kAll;
        m_view.cboCrcGroupIndex = int(m_view.cboCrcGroup.size()) - 1;
        emit changed();
    });
}

void EditDc::setupTable(const QString& sortField) {
    guarded(kObject, "setupTable", [&] {
        const bool dcEnums =
            m_symbolClass == dc::cls::parameter || m_symbolClass == dc::cls::variable;
        if (!dcEnums && m_symbolClass != dc::cls::alarm)
            return;
        dc::EditDcGrid& grid = dcEnums ? m_tdbDcEnums : m_tdbAlarmEnums;
        // Only a column of the grid orders the rows.
        const int sortColumn = grid.columnOf(sortField);
        const QString orderBy =
            dc::columnId(sortColumn >= 0 ? grid.column(sortColumn).field : QString(dc::col::id));
        const QString order =
            m_sortOrder == QLatin1String("DESC") ? QStringLiteral("DESC") : QStringLiteral("ASC");
        QString filter;
        QVariantList values;
        if (dcEnums) {
            filter = sprintf(QStringLiteral("WHERE {*}=? "), dc::columnId(dc::col::cls));
            values << m_symbolClass;
            const bool all = m_view.cboCrcGroupIndex < 0 ||
                             m_view.cboCrcGroupIndex >= m_view.cboCrcGroup.size() - 1;
            const QString item = m_view.cboCrcGroup.value(m_view.cboCrcGroupIndex);
            const int nameColumn = grid.columnOf(dc::col::name);
            const int crcGroup = grid.columnOf(dc::col::crcGroup);
            const int varGroup = grid.columnOf(dc::col::varGroup);
            // The group column shows only where the rows of every group are listed.
            const int groupColumn = m_symbolClass == dc::cls::parameter ? crcGroup : varGroup;
            grid.setColumnVisible(groupColumn == crcGroup ? varGroup : crcGroup, false);
            const qsizetype colon = item.indexOf(u':');
            if (!all && m_symbolClass == dc::cls::parameter) {
                filter += sprintf(QStringLiteral("AND {*}=? "), dc::columnId(dc::col::crcGroup));
                values << m_view.cboCrcGroupIndex + 1;
            } else if (!all && colon >= 0) {
                filter += sprintf(QStringLiteral("AND substr({*}, 1, ?)=? COLLATE NOCASE "),
                                  dc::columnId(dc::col::fupId));
                values << int(colon) << item.left(colon);
            }
            const bool grouped = !all && (m_symbolClass == dc::cls::parameter || colon >= 0);
            grid.setColumnVisible(groupColumn, !grouped);
            grid.setColumnWidth(nameColumn,
                                grouped ? kNameWidth : kNameWidth - grid.column(groupColumn).width);
        }
        if (m_view.chkNewLine) {
            filter += sprintf(QStringLiteral("{*}{*}=? "),
                              filter.isEmpty() ? QStringLiteral("WHERE ") : QStringLiteral("AND "),
                              dc::columnId(dc::col::upDate));
            values << int(dc::upDateNew);
        }
        const QString sql =
            sprintf(QStringLiteral("SELECT * FROM {*} {*}ORDER BY {*} {*}, {*}"),
                    dc::tableId(dcEnums ? dc::table::dcEnums : dc::table::alarmEnums), filter,
                    orderBy, order, dc::columnId(dc::col::id));
        g_iniDataObject(m_datDc, m_dbPath, sql, false, values);
    });
}

void EditDc::optShowVarCol_Click(int index) {
    guarded(kObject, "optShowVarCol_Click", [&] {
        m_view.optShowVarCol = index;
        emit changed();
        if (m_settingUp)
            return;
        dc::EditDcGrid& g = m_tdbDcEnums;
        using namespace dc::col;
        showColumns(g, {comment, value}, true);
        showColumns(g,
                    {minValue, maxValue, writeAccessLevel, readAccessLevel, modbusAddr, modbusScale,
                     syncCmd},
                    false);
        showProducerColumns(g, false);
        switch (index) {
        case setMinMax:
            showColumns(g, {minValue, maxValue}, true);
            break;
        case setAccessLevels:
            showColumns(g, {writeAccessLevel, readAccessLevel}, true);
            break;
        case setModbus:
            showColumns(g, {modbusAddr, modbusScale}, true);
            break;
        case setProducer:
            showColumns(g, {comment}, false);
            showColumns(g, {modbusAddr}, true);
            showProducerColumns(g, true);
            break;
        case setSyncCmd:
            showColumns(g, {syncCmd}, true);
            break;
        default:
            break;
        }
    });
}

void EditDc::optShowLogCol_Click(int index) {
    guarded(kObject, "optShowLogCol_Click", [&] {
        m_view.optShowLogCol = index;
        emit changed();
        if (m_settingUp)
            return;
        dc::EditDcGrid& g = m_tdbAlarmEnums;
        using namespace dc::col;
        showColumns(g, {comment}, true);
        showColumns(g,
                    {minValue, maxValue, criterion, inhibit, modbusAddr, signalIndex,
                     signalIndexName, onDelayIndex, onDelayIndexName, offDelayIndex,
                     offDelayIndexName, onOffDelayId, onOffDelayIdName},
                    false);
        showProducerColumns(g, false);
        switch (index) {
        case 0:
            showColumns(g, {minValue, maxValue, criterion, inhibit, modbusAddr}, true);
            break;
        case 1:
            showColumns(g, {comment}, false);
            showProducerColumns(g, true);
            showColumns(g, {modbusAddr}, true);
            break;
        case 2:
            showColumns(g, {signalIndex, signalIndexName}, true);
            break;
        case 3:
            showColumns(g, {onDelayIndex, onDelayIndexName}, true);
            break;
        case 4:
            showColumns(g, {offDelayIndex, offDelayIndexName}, true);
            break;
        case 5:
            showColumns(g, {onOffDelayId, onOffDelayIdName}, true);
            break;
        default:
            break;
        }
    });
}

void EditDc::cboCrcGroup_Click(int index) {
    guarded(kObject, "cboCrcGroup_Click", [&] {
        m_view.cboCrcGroupIndex = index;
        emit changed();
        if (!m_settingUp)
            setupTable(dc::col::id);
    });
}

void EditDc::chkNewLine_Click(bool checked) {
    guarded(kObject, "chkNewLine_Click", [&] {
        m_view.chkNewLine = checked;
        emit changed();
        setupTable(dc::col::id);
    });
}

void EditDc::HeadClick(int column) {
    dc::EditDcGrid* grid = visibleGrid();
    if (!grid || column < 0 || column >= grid->columns().size())
        return;
    guarded(kObject, qPrintable(grid->gridName() + QStringLiteral("_HeadClick")), [&] {
        if (column == m_sortColumn)
            m_sortOrder = m_sortOrder == QLatin1String("ASC") ? QStringLiteral("DESC")
                                                              : QStringLiteral("ASC");
        else
            m_sortOrder = QStringLiteral("ASC");
        m_sortColumn = column;
        setupTable(grid->column(column).field);
    });
}

EditDcGridPlacement EditDc::Form_Resize(int windowWidth, int windowHeight) {
    const int height = std::max(windowHeight, 2000);
    return {height, std::max(windowWidth - 330, 0), height - 1110};
}

void EditDc::showRefusal(const QString& message) {
    g_warningMsgBox(message);
}

void EditDc::unload() {
    guarded(kObject, "Form_Unload", [&] {
        m_loaded = false;
        m_datDc.close();
        if (EditDcForm* form = m_form) {
            m_form = nullptr;
            form->done(0);
            form->deleteLater();
        }
    });
}

EditDc& frmEditDC() {
    return windowOnFirstUse(UnloadSlot::editDC, &EditDc::unload);
}

} // namespace pxu
