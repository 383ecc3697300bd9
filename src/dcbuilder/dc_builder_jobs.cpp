#include "core/desktop.h"
#include "core/error_boundary.h"
#include "core/file_names.h"
#include "core/file_write_failure.h"
#include "core/globals.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "dc_builder.h"
#include "dc_report.h"
#include "dcdatabase/alarm_list_indexes.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/edit_dc.h"
#include "dcdatabase/header_scan.h"
#include "dcdatabase/schema_migration.h"
#include "download_file_build.h"
#include "mainwindow/log_lines.h"

#include <QFile>

// The builder's jobs: the edit buttons, Build, the header scan and the report (the
// signal-list import has a file of its own).
namespace pxu {

namespace {

const char* const kObject = "frmDcBuilder";

} // namespace

DcBuilder::JobScope::JobScope(DcBuilder& builder, const QString& title, bool lockControls)
    : m_builder(builder)
    , m_locked(lockControls) {
    DcBuilderView& v = m_builder.m_view;
    v.busy = true;
    if (m_locked)
        v.scanSignalListEnabled = v.scanHeaderEnabled = v.exitEnabled = v.tabEnabled = false;
    m_builder.addMessage(logOpeningLine(title));
    emit m_builder.changed();
    // Nothing the window's events could start meets the job while the controls are locked.
    if (m_locked)
        m_builder.m_turns.start();
}

DcBuilder::JobScope::~JobScope() {
    DcBuilderView& v = m_builder.m_view;
    m_builder.m_turns.stop();
    m_builder.addMessage(logClosingLine());
    if (m_locked) {
        v.scanSignalListEnabled = v.exitEnabled = v.tabEnabled = true;
        v.scanHeaderEnabled = m_builder.m_headerFilesFound;
    }
    v.busy = false;
    emit m_builder.changed();
}

std::optional<QString> DcBuilder::runJob(const std::function<void(dc::DcJob&)>& body,
                                         bool* unwritable) {
    const bool changed = m_dcChanged;
    std::optional<FileWriteFailure> cannotWrite;
    auto failure = dc::DcJob::run(m_tempDcFile, body, &cannotWrite);
    if (failure) {
        m_dcChanged = changed;
        // Said as what it is, not as the statement that met it.
        const bool held = db::isWrittenByAnotherProgram(*failure);
        if (held)
            failure = db::writtenByAnotherProgram(m_tempDcFile);
        if (unwritable)
            *unwritable = held || cannotWrite.has_value();
    }
    return failure;
}

void DcBuilder::cmdEdit_Click(int index) {
    // The Tags of the three buttons: the class each edits.
    static const QLatin1String classes[] = {dc::cls::parameter, dc::cls::variable, dc::cls::alarm};
    guarded(kObject, "cmdEdit_Click", [&] {
        if (frmEditDC().g_showForm(m_tempDcFile, classes[index]))
            m_dcChanged = true;
    });
}

void DcBuilder::cmdBuild_Click() {
    guarded(kObject, "cmdBuild_Click", [&] {
        JobScope job(*this, QStringLiteral("BUILD DC "), false);
        const QString database = chosenDcFile();
        bool upToDate = false;
        QString unread;
        if (!database.isEmpty())
            dc::g_getDatabaseVersion(database, upToDate, &unread);
        if (db::isWrittenByAnotherProgram(unread)) {
            addMessage(QStringLiteral("   ") + unread);
            addMessage(dc::kCannotBeBuilt);
            g_errorMsgBox(unread + QStringLiteral("\r\n") + dc::kCannotBeBuilt);
            return;
        }
        if (!upToDate) {
            addMessage(sprintf(QStringLiteral("Database {*} is not uptodate."), database));
            addMessage(dc::kCannotBeBuilt);
            return;
        }
        // The plant and software information comes from the working copy.
        const QString specials = m_tempDcExists ? m_tempDcFile : database;
        // Building the build tab's copy of the working copy: the group CRCs and alarm ids
        // the build stores go into the working copy too, so that a later version keeps them.
        const bool copyOfWorkingCopy = isCopyOfWorkingCopy(database);
        std::optional<FileWriteFailure> unwritable;
        const bool written = dc::buildDownloadFile(
            {database, specials, m_view.fileDirectory, m_view.startAdr}, *this, &unwritable);
        if (copyOfWorkingCopy && !unwritable)
            writesFiles([&] { takeIntoWorkingCopy(database); });
        if (written) {
            // The modules are loaded from this version: it stays as it is.
            m_builtVersions.insert(database);
            emit downloadFileWritten();
        } else if (unwritable) {
            // The file the list names.
            g_errorMsgBox(unwritable->text() + QStringLiteral("\r\n") + dc::kCannotBeBuilt);
        }
    });
}

void DcBuilder::cmdScanHeader_Click() {
    guarded(kObject, "cmdScanHeader_Click", [&] {
        JobScope scope(*this, QStringLiteral("SCAN HEADER FILES "));
        const auto failure = runJob([&](dc::DcJob& job) {
            dc::finishAlarmListIndexes(dc::scanHeadersAndRebuild(job, *this), *this);
            setSwInfos(job);
            setDcVersion(job);
        });
        if (failure) {
            // The input's fault, told once: the job rolled back, nothing is saved.
            const QString text = QStringLiteral("Scan failed, nothing written to the working "
                                                "copy: ") +
                                 *failure;
            addMessage(QStringLiteral("   ") +
                       QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")));
            updateProgress(0);
            g_errorMsgBox(text);
            return;
        }
        writesFiles([&] { saveAndContinue(); });
    });
}

void DcBuilder::cmdReport_Click() {
    guarded(kObject, "cmdReport_Click", [&] {
        JobScope job(*this, QStringLiteral("REPORT "), false);
        const QString chosen = chosenDcFile();
        if (chosen.isEmpty()) {
            addMessage(QStringLiteral("No DC-database chosen for the report"));
            return;
        }
        addMessage(QStringLiteral("Produce report out of ") + chosen);
        const QString reportCopy = chosen.chopped(3) + QStringLiteral("rep");
        const QString page = reportCopy + QStringLiteral(".html");
        std::optional<FileWriteFailure> unwritable;
        if (const auto failure = writeDcReport(chosen, reportCopy, page, &unwritable)) {
            addMessage(QStringLiteral("   Report failed: ") + *failure);
            if (unwritable)
                g_errorMsgBox(unwritable->text());
            return;
        }
        for (const QString& file : {reportCopy, page}) {
            if (!m_reportFiles.contains(file))
                m_reportFiles << file;
        }
        if (g_debugMode)
            addMessage(QStringLiteral("Debug: ") + page);
        openFileOrTell(page);
    });
}

void DcBuilder::deleteReports() {
    for (const QString& file : std::as_const(m_reportFiles))
        QFile::remove(file);
    m_reportFiles.clear();
}

} // namespace pxu
