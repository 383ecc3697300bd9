#pragma once

#include "core/data_control.h"
#include "edit_dc_grid.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>

namespace pxu {

class EditDcForm;

// The frames, option buttons, group box and grids of the table editor as the window shows
// them.
struct EditDcView {
    std::array<bool, 2> fraGridType{}; // 0: parameters and variables, 1: alarms
    std::array<bool, 5> optShowVarColVisible{true, true, true, true, true};
    std::array<bool, 6> optShowLogColVisible{true, true, true, true, true, true};
    int optShowVarCol = -1; // the selected option, -1 none
    int optShowLogCol = -1;
    QStringList cboCrcGroup; // the items
    int cboCrcGroupIndex = -1;
    bool chkNewLine = false; // "Show Only New"
    bool tdbDcEnums = false; // shown
    bool tdbAlarmEnums = false;
};

// Where Form_Resize puts the visible grid, in twips.
struct EditDcGridPlacement {
    int windowHeight; // raised to 2000 when below
    int gridWidth;
    int gridHeight;
};

// The table editor (frmEditDC): a modal window that shows the parameters or variables of
// dcEnums or the alarms of alarmEnums of one database in a grid, narrowed by a group and
// to new symbols, with a choice of attribute columns, sorted on a header click. Every
// completed cell edit is written to the database at once. The form only shows what this
// class holds, so tests drive it without one.
class EditDc : public QObject {
    Q_OBJECT
public:
    explicit EditDc(QObject* parent = nullptr);
    ~EditDc() override;

    // Shows the editor on the database for the class ("PARAMETER", "VARIABLE", "ALARM")
    // until it is closed; true when at least one cell edit was completed. Any other class
    // shows an empty window.
    bool g_showForm(const QString& database, const QString& symbolClass);
    // Binds the visible grid to its record source: the class, the group, "Show Only New",
    // ordered by sortField (one of the grid's columns; "id" otherwise) in the sort order.
    void setupTable(const QString& sortField);
    // Fills the group box with the fupId groups of the variables.
    void setupFupIdSelection(const QString& database);

    // Events of the window.
    static EditDcGridPlacement Form_Resize(int windowWidth, int windowHeight);
    void cboCrcGroup_Click(int index);
    void chkNewLine_Click(bool checked);
    void optShowVarCol_Click(int index);
    void optShowLogCol_Click(int index);
    // A click on the header of a column of the visible grid.
    void HeadClick(int column);
    // Closes the window: the grids let go of the database.
    void unload();

    const EditDcView& view() const { return m_view; }
    dc::EditDcGrid& tdbDcEnums() { return m_tdbDcEnums; }
    dc::EditDcGrid& tdbAlarmEnums() { return m_tdbAlarmEnums; }
    // The grid of the class, or nothing for another class.
    dc::EditDcGrid* visibleGrid();
    const DataControl& datDc() const { return m_datDc; }
    bool isLoaded() const { return m_loaded; }
    bool edited() const { return m_edited; }
    QString sortOrder() const { return m_sortOrder; }
    int sortColumn() const { return m_sortColumn; }
    EditDcForm* form() const;

signals:
    // The view changed: the form shows it again.
    void changed();

private:
    void load();
    void showRefusal(const QString& message);

    QString m_dbPath;
    QString m_symbolClass;
    bool m_settingUp = false;
    bool m_edited = false;
    QString m_sortOrder = QStringLiteral("ASC");
    int m_sortColumn = -1;
    bool m_loaded = false;
    EditDcView m_view;
    DataControl m_datDc;
    dc::EditDcGrid m_tdbDcEnums{dc::EditGrid::dcEnums, m_datDc};
    dc::EditDcGrid m_tdbAlarmEnums{dc::EditGrid::alarmEnums, m_datDc};
    QPointer<EditDcForm> m_form;
};

// The program's table editor, made on first use beside the main window, which unloads it
// at the shut-down.
EditDc& frmEditDC();

} // namespace pxu
