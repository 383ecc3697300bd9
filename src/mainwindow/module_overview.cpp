#include "module_overview.h"

#include "bus/main_window_services.h"
#include "core/error_boundary.h"
#include "core/form_support.h"
#include "form_widgets.h"
#include "info_block_details.h"
#include "log_lines.h"
#include "module_overview_form.h"
#include "window_on_first_use.h"

namespace pxu {

namespace {

constexpr const char* kObject = "frmModuleOverview";
constexpr int kInfoBlockCrcColumn = 8;

void log(const QString& text) {
    mainWindowServices().addMessage(text);
}

// The grid's captions: the report's, and one for the date column the report leaves out.
QStringList gridCaptions() {
    QStringList captions;
    for (int c = 0; c < kInfoColumns; ++c)
        captions << reportColumnCaption(c);
    captions[4] = QStringLiteral("Date");
    return captions;
}

} // namespace

ModuleOverview::ModuleOverview(QObject* parent)
    : QObject(parent) {
    setObjectName(QString::fromLatin1(kObject));
    m_grid.setCellColour(
        [this](int row, int column) { return tdbModuleInfo_FetchCellStyle(row, column); });
}

ModuleOverviewForm* ModuleOverview::form() const {
    return m_form;
}

ModuleOverview::~ModuleOverview() {
    delete m_form.data();
}

bool ModuleOverview::cellEqual(int row, int column) const {
    if (row < 0 || row >= kInfoRows || column < 0 || column >= kInfoColumns)
        return false;
    return m_cellEqual[row][column];
}

QString ModuleOverview::cellText(int row, int column) const {
    return m_grid.text(row, column);
}

void ModuleOverview::g_show(const ModuleMask& mask, const ModuleInfoValues& values) {
    guarded(kObject, "g_show", [&] {
        m_mask = mask;
        m_values = values;
        m_cellEqual = {};

        m_moduleCount = 0;
        for (int m = 0; m < kModuleCount; ++m)
            m_moduleCount += m_mask[m] ? 1 : 0;
        // The spare module differs from the cylinders by design: a cylinder is the
        // reference whenever there is one.
        m_reference = 0;
        for (int m = 1; m < kModuleCount; ++m) {
            if (m_mask[m]) {
                m_reference = m;
                break;
            }
        }
        const ModuleInfoRows& reference = m_values[m_reference];

        log(logClosingLine());
        log(QStringLiteral("Infoblock values:"));
        log(QStringLiteral("      * = value is not equal on all Modules"));
        QString header = QStringLiteral("   ");
        for (int c = 0; c < kInfoColumns; ++c)
            header += reportColumnCaption(c).leftJustified(reportColumnWidth(c));
        log(header);

        QList<QStringList> cells;
        for (int r = 0; r < kInfoRows; ++r) {
            QString line = QStringLiteral("   ");
            QStringList row;
            for (int c = 0; c < kInfoColumns; ++c) {
                // Values that belong to each module alone are not worth showing for one.
                const bool own =
                    c == kInfoBlockCrcColumn ||
                    (reference[r][0] == QLatin1String("Hardware") && c > kInfoBlockCrcColumn);
                const QString text =
                    m_moduleCount >= 2 && own ? QStringLiteral("***") : reference[r][c];
                row << text;
                bool equal = true;
                for (int m = 1; m < kModuleCount; ++m) {
                    if (m_mask[m] && m_values[m][r][c] != reference[r][c])
                        equal = false;
                }
                m_cellEqual[r][c] = equal;
                const QString reportText = equal ? text : QLatin1Char('*') + text;
                if (reportColumnWidth(c) > 0)
                    line += reportText.leftJustified(reportColumnWidth(c));
            }
            cells << row;
            log(line);
        }
        m_grid.setCells(cells, gridCaptions());

        log(logClosingLine());
        m_loaded = true;
        if (widgetsAvailable()) {
            if (!m_form)
                m_form = new ModuleOverviewForm(*this); // deleted by the unload
            m_form->show();
            m_form->raise();
        }
    });
}

int ModuleOverview::tdbModuleInfo_FetchCellStyle(int row, int column) const {
    const QString text = cellText(row, column);
    if (column == 0)
        return kColourButtonFace;
    if (text == QLatin1String("---"))
        return kColourAppWorkspace;
    if (text == QLatin1String("***") || cellEqual(row, column))
        return kColourButtonFace;
    if (row == modUpload::getDisplayIndex(2) || row == modUpload::getDisplayIndex(1))
        return kColourAppWorkspace;
    return kColourRed;
}

void ModuleOverview::tdbModuleInfo_RowColChange(int row, int column) {
    guarded(kObject, "tdbModuleInfo_RowColChange", [&] {
        m_selectedRow = row;
        m_selectedColumn = column;
        showDetailView();
    });
}

void ModuleOverview::showDetailView() {
    guarded(kObject, "showDetailView", [&] {
        const QString caption = cellText(m_selectedRow, 0) + QStringLiteral(" : ") +
                                m_grid.headerData(m_selectedColumn, Qt::Horizontal).toString();
        if (m_selectedColumn > 0)
            frmInfoBlockDetails().g_show(m_selectedRow, m_selectedColumn, m_values, m_mask,
                                         caption);
    });
}

void ModuleOverview::cmdExit_Click() {
    guarded(kObject, "cmdExit_Click", [&] {
        m_loaded = false;
        if (m_form) {
            m_form->hide();
            m_form->deleteLater();
            m_form = nullptr;
        }
    });
}

ModuleOverview& frmModuleOverview() {
    return windowOnFirstUse(UnloadSlot::moduleOverview, &ModuleOverview::cmdExit_Click);
}

} // namespace pxu
