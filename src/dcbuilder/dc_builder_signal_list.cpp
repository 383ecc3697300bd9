#include "core/dialog_service.h"
#include "core/error_boundary.h"
#include "core/file_write_failure.h"
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
        if (modExcel::openExcelForm(*file)) {
            for (const QLatin1String sheet : {dc::table::dcEnums, dc::table::alarmEnums}) {
                if (readExcelSheet(m_tempDcFile, sheet, *this))
                    imported = true;
            }
        } else {
            const QString why = modExcel::excelError();
            addMessage(QStringLiteral("   ") + why);
            g_errorMsgBox(why);
        }
        modExcel::closeExcelForm();
        modExcel::terminateExcel();
        if (!imported) {
            addMessage(QStringLiteral("   Nothing imported: no new DC-Version"));
            if (const QString why = whyNotWritable(m_tempDcFile); !why.isEmpty())
                g_errorMsgBox(cannotBeWritten(m_tempDcFile, why));
            return;
        }
        dc::buildAlarmListIndexes(m_tempDcFile, *this);
        writesFiles([&] { saveAndContinue(); });
    });
}

} // namespace pxu
