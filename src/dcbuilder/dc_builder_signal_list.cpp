#include "core/dialog_service.h"
#include "core/error_boundary.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_builder.h"
#include "dc_builder_form.h"
#include "dcdatabase/alarm_list_indexes.h"
#include "dcdatabase/dc_schema.h"
#include "mod_excel.h"
#include "signal_list_import.h"

// The builder's signal-list import: the workbook the user chooses is read into the working
// copy sheet by sheet, and what was imported is saved as a new version at once.
namespace pxu {

void DcBuilder::cmdScanSignalList_Click() {
    guarded("frmDcBuilder", "cmdScanSignalList_Click", [&] {
        FileRequest request;
        request.caption = QStringLiteral("Choose Signal-List");
        request.startDir = m_sourceFolder;
        request.filter = QStringLiteral("*.xls* (*.xls*)");
        request.defaultSuffix = QStringLiteral("xlsx");
        const std::optional<QString> file = dialogs().chooseFile(form(), request);
        if (!file)
            return;

        JobScope job(*this, QStringLiteral("SCAN SIGNAL LIST "));
        addMessage(sprintf(QStringLiteral("Scan Signal-List {*}"), *file));
        modExcel::initiateExcel(*this);
        addMessage(sprintf(QStringLiteral("   Open Excel {*}"), *file));
        bool imported = false;
        int unresolved = 0;
        std::optional<QString> failure;
        if (modExcel::openExcelForm(*file)) {
            // One job: a working copy that cannot take a sheet takes none of the list.
            failure = runJob([&](dc::DcJob& job) {
                for (const QLatin1String sheet : {dc::table::dcEnums, dc::table::alarmEnums}) {
                    if (readExcelSheet(job, sheet, *this))
                        imported = true;
                }
                if (imported)
                    unresolved = dc::resolveAlarmListIndexes(job, *this);
            });
        } else {
            const QString why = modExcel::excelError();
            addMessage(QStringLiteral("   ") + why);
            g_errorMsgBox(why);
        }
        modExcel::closeExcelForm();
        modExcel::terminateExcel();
        if (failure) {
            const QString text = QStringLiteral("Import failed, nothing written to the working "
                                                "copy: ") +
                                 *failure;
            addMessage(QStringLiteral("   ") + text);
            updateProgress(0);
            g_errorMsgBox(text);
            return;
        }
        if (!imported) {
            addMessage(QStringLiteral("   Nothing imported: no new DC-Version"));
            return;
        }
        dc::finishAlarmListIndexes(unresolved, *this);
        writesFiles([&] { saveAndContinue(); });
    });
}

} // namespace pxu
