#pragma once

#include "module_info_values.h"
#include "text_grid_model.h"

#include <QObject>
#include <QPointer>

namespace pxu {

class ModuleOverviewForm;

// The module overview (frmModuleOverview): the info-block values of a reference module,
// one row per section, with every value that differs on a cylinder module marked, and the
// same table as text in the main window's log. A cell opens the info-block details of
// its value for all modules. The window does not hold up its caller.
class ModuleOverview : public QObject {
    Q_OBJECT
public:
    explicit ModuleOverview(QObject* parent = nullptr);
    ~ModuleOverview() override;

    // Fills the grid from the values of the masked modules, logs the report and shows
    // the window.
    void g_show(const ModuleMask& mask, const ModuleInfoValues& values);
    // Opens the details of the last cell selected (none for the section names).
    void showDetailView();
    // The grid's current cell changed to (row, column).
    void tdbModuleInfo_RowColChange(int row, int column);
    // A cell's background colour.
    int tdbModuleInfo_FetchCellStyle(int row, int column) const;
    void cmdExit_Click();
    void Form_Unload() { cmdExit_Click(); }

    TextGridModel& grid() { return m_grid; }
    bool loaded() const { return m_loaded; }
    int referenceModule() const { return m_reference; }
    int moduleCount() const { return m_moduleCount; }
    bool cellEqual(int row, int column) const;
    ModuleOverviewForm* form() const;

private:
    QString cellText(int row, int column) const;

    ModuleMask m_mask{};
    ModuleInfoValues m_values{};
    std::array<std::array<bool, kInfoColumns>, kInfoRows> m_cellEqual{};
    int m_moduleCount = 0;
    int m_reference = 0;
    int m_selectedRow = 0;
    int m_selectedColumn = 0;
    bool m_loaded = false;
    TextGridModel m_grid;
    QPointer<ModuleOverviewForm> m_form;
};

// The program's overview window, made on first use beside the main window.
ModuleOverview& frmModuleOverview();

} // namespace pxu
