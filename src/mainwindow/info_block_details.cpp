#include "info_block_details.h"

#include "bus/main_window_services.h"
#include "core/dialog_service.h"
#include "core/error_boundary.h"
#include "core/form_support.h"
#include "form_widgets.h"
#include "info_block_details_form.h"
#include "log_lines.h"
#include "window_on_first_use.h"

namespace pxu {

namespace {

constexpr const char* kObject = "frmInfoBlockDetails";

void log(const QString& text) {
    mainWindowServices().addMessage(text);
}

} // namespace

InfoBlockDetails::InfoBlockDetails(QObject* parent)
    : QObject(parent) {
    setObjectName(QString::fromLatin1(kObject));
    m_grid.setCellColour(
        [this](int row, int column) { return tdbDetailInfo_FetchCellStyle(row, column); });
}

InfoBlockDetailsForm* InfoBlockDetails::form() const {
    return m_form;
}

InfoBlockDetails::~InfoBlockDetails() {
    delete m_form.data();
}

void InfoBlockDetails::g_show(int row, int column, const ModuleInfoValues& values,
                              const ModuleMask& mask, const QString& caption) {
    guarded(kObject, "g_show", [&] {
        m_row = row;
        m_column = column;
        m_values = values;
        m_mask = mask;
        m_caption = caption;
        displayDetailData();
    });
}

void InfoBlockDetails::displayDetailData() {
    const bool inRange =
        m_row >= 0 && m_row < kInfoRows && m_column >= 0 && m_column < kInfoColumns;
    QList<QStringList> cells;
    for (int m = 0; m < kModuleCount; ++m) {
        const QString value =
            m_mask[m] && inRange ? m_values[m][m_row][m_column] : QStringLiteral("---");
        cells << QStringList{QString::number(m), value};
    }
    m_grid.setCells(cells, {QStringLiteral("Module"), m_caption});

    log(logOpeningLine(QStringLiteral("INFO BLOCK ")));
    log(QStringLiteral("Info Block Details:"));
    log(QStringLiteral("   Module     ") + m_caption);
    for (int m = 0; m < kModuleCount; ++m)
        log(QString::number(m).rightJustified(7) + QString(7, QLatin1Char(' ')) +
            m_grid.text(m, 1));
    log(logClosingLine());

    m_loaded = true;
    if (!widgetsAvailable())
        return;
    if (!m_form)
        m_form = new InfoBlockDetailsForm(*this); // deleted by the unload
    // Modal to the whole program: the overview and the main window wait for its Exit.
    m_form->setWindowModality(Qt::ApplicationModal);
    m_form->show();
    dialogs().modalWindow(*m_form, QString::fromLatin1(kObject));
    // A window the dialog service let go of is closed as its Exit button closes it.
    cmdExit_Click();
}

int InfoBlockDetails::tdbDetailInfo_FetchCellStyle(int row, int) const {
    return row >= 0 && row < kModuleCount && m_mask[row] ? kColourButtonFace : kColourAppWorkspace;
}

void InfoBlockDetails::cmdExit_Click() {
    guarded(kObject, "cmdExit_Click", [&] {
        m_loaded = false;
        if (InfoBlockDetailsForm* form = m_form) {
            m_form = nullptr;
            form->done(0);
            form->deleteLater();
        }
    });
}

InfoBlockDetails& frmInfoBlockDetails() {
    return windowOnFirstUse(UnloadSlot::infoBlockDetails, &InfoBlockDetails::cmdExit_Click);
}

} // namespace pxu
