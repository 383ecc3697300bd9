#pragma once

#include "module_info_values.h"
#include "text_grid_model.h"

#include <QObject>
#include <QPointer>

namespace pxu {

class InfoBlockDetailsForm;

// The info-block details (frmInfoBlockDetails): one value of the overview for all fifteen
// modules, "---" for those that were not connected; also written to the main window's
// log. Modal.
class InfoBlockDetails : public QObject {
    Q_OBJECT
public:
    explicit InfoBlockDetails(QObject* parent = nullptr);
    ~InfoBlockDetails() override;

    // Fills the grid with the value at (row, column) of every module, logs it and shows
    // the window until it is closed.
    void g_show(int row, int column, const ModuleInfoValues& values, const ModuleMask& mask,
                const QString& caption);
    int tdbDetailInfo_FetchCellStyle(int row, int column) const;
    void cmdExit_Click();

    TextGridModel& grid() { return m_grid; }
    QString caption() const { return m_caption; }
    bool loaded() const { return m_loaded; }
    InfoBlockDetailsForm* form() const;

private:
    void displayDetailData();

    int m_row = 0;
    int m_column = 0;
    ModuleInfoValues m_values{};
    ModuleMask m_mask{};
    QString m_caption;
    bool m_loaded = false;
    TextGridModel m_grid;
    QPointer<InfoBlockDetailsForm> m_form;
};

// The program's details window, made on first use beside the main window.
InfoBlockDetails& frmInfoBlockDetails();

} // namespace pxu
