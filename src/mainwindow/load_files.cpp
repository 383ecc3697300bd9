#include "load_files.h"

#include "core/config_items.h"
#include "core/database_access.h"
#include "core/error_boundary.h"
#include "core/file_names.h"
#include "core/globals.h"
#include "core/msg_box.h"
#include "core/sprintf.h"
#include "log_lines.h"
#include "selection.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace pxu {

namespace {

const QString kMissing = QStringLiteral("---");

// The entry of folder whose name equals name in any letter case, the exact spelling first.
QString entryIgnoringCase(const QDir& folder, const QString& name, QDir::Filters filter) {
    if (folder.exists(name))
        return name;
    const QStringList entries = folder.entryList(filter | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

} // namespace

QString findFileIgnoringCase(const QString& path) {
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).isFile())
        return path;
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    QStringList parts = clean.split(QLatin1Char('/'));
    QString resolved;
    if (clean.startsWith(QLatin1Char('/'))) {
        resolved = QStringLiteral("/");
        parts.removeFirst();
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool last = i == parts.size() - 1;
        const QDir folder(resolved.isEmpty() ? QStringLiteral(".") : resolved);
        const QString part = parts[i];
        QString found;
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            found = part;
        else
            found = entryIgnoringCase(folder, part, last ? QDir::Files : QDir::Dirs);
        if (found.isEmpty())
            return {};
        resolved = resolved.isEmpty() ? found : g_fullName(resolved, found);
    }
    return QFileInfo(resolved).isFile() ? resolved : QString();
}

QString newLoadFileName(const QString& path) {
    QString name = g_fileName(path);
    name.replace(QStringLiteral(".S19"), QStringLiteral("_New.S19"), Qt::CaseInsensitive);
    const QString folder = path.left(path.size() - g_fileName(path).size());
    const QString swapped = folder + name;
    const QString found = findFileIgnoringCase(swapped);
    return found.isEmpty() ? swapped : found;
}

LoadFiles::LoadFiles(Selection& selection, Log log, QObject* parent)
    : QObject(parent)
    , m_selection(selection)
    , m_log(std::move(log)) {}

void LoadFiles::setDirectory(const QString& directory) {
    if (std::exchange(m_directory, directory) != directory)
        emit changed();
}

void LoadFiles::setBoxes(int index, const LoadFileBoxes& boxes) {
    m_boxes.at(index) = boxes;
    emit changed();
}

void LoadFiles::setSectionNew(int value) {
    if (std::exchange(m_sectionNew, value) != value) {
        chkSectionNew_Click();
        emit changed();
    }
}

void LoadFiles::g_checkFileExist(const QString& moduleType, bool quiet) {
    guarded("frmMain", "g_checkFileExist", [&] {
        if (!quiet)
            log(logOpeningLine(QStringLiteral("CHECK LOAD FILES ")));

        for (int i = 0; i < sectionBoxKevAppl; ++i) {
            bool enabled = true;
            if (i == sectionBoxFPGA)
                enabled = !g_forceFpgaDownload;
            else if (i == sectionBoxBL2)
                enabled = !g_mBusMode || g_applType != applTypeZent;
            m_selection.setSectionEnabled(i, enabled);
            m_selection.setSection(i, unticked);
            m_boxes[i] = LoadFileBoxes{};
        }
        emit changed();

        // The module type is matched here, not in the statement, so no text of ours is
        // spliced into it; equal sections keep the table's order.
        std::shared_ptr<db::Database> database;
        std::unique_ptr<db::Recordset> rs;
        bool any = g_iniRecordset(
            g_configDbPath,
            QStringLiteral("SELECT * FROM loadFiles WHERE fileType='OUT' ORDER BY section, rowid"),
            database, rs, false, false, false);
        struct Row {
            int section;
            QString fileName;
        };
        QList<Row> rows;
        if (any) {
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                if (rs->text(QStringLiteral("module")).compare(moduleType, Qt::CaseInsensitive))
                    continue;
                rows << Row{rs->value(QStringLiteral("section")).toInt(),
                            rs->text(QStringLiteral("fileName"))};
            }
            rs->close();
        }
        if (rows.isEmpty()) {
            log(QStringLiteral("   Error: Could not open ") + g_configDbPath);
            return;
        }

        for (const Row& row : rows) {
            // Names in the table may still carry the other separator.
            const QString path = g_fullName(
                m_directory, QString(row.fileName).replace(QLatin1Char('\\'), QLatin1Char('/')));
            const int i = m_selection.sectionBoxOf(row.section);
            if (i < 0)
                continue;
            m_uploadFileName[i] = row.fileName;
            const QString found = findFileIgnoringCase(path);
            m_loadFileFound[i] = !found.isEmpty();
            const QString caption = m_selection.section(i).caption;
            if (!found.isEmpty()) {
                const QDateTime date = g_getFileDate(found);
                m_boxes[i].emhPath = found;
                m_boxes[i].emhText = found;
                m_boxes[i].version = QLocale::c().toString(date, QStringLiteral("MMM dd yyyy"));
                m_boxes[i].build = QLocale::c().toString(date, QStringLiteral("HH:mm:ss"));
                if (!quiet)
                    log(sprintf(QStringLiteral("   Section {*}: File {*} selected"), caption,
                                found));
            } else {
                m_selection.setSection(i, unticked);
                log(sprintf(QStringLiteral("   Section {*}: File {*} not found!"), caption, path));
                m_boxes[i] = LoadFileBoxes{kMissing, {}, kMissing, kMissing};
            }
        }
        emit changed();

        if (!quiet)
            log(logClosingLine());
    });
}

void LoadFiles::txtFileDirectory_Validate() {
    guarded("frmMain", "txtFileDirectory_Validate", [&] {
        if (!m_directory.endsWith(QLatin1Char('/')))
            setDirectory(m_directory + QLatin1Char('/'));
        const QDir folder(m_directory);
        const bool missing = !folder.exists() || folder.entryList(QDir::Files).isEmpty();
        if (missing) {
            g_informationMsgBox(QStringLiteral("Directory doesn't exist!"), {}, true);
            // Unticked first: a box's rules would enable the others again.
            for (int i = 0; i < kSectionBoxCount; ++i)
                m_selection.setSection(i, unticked);
            for (int i = 0; i < kSectionBoxCount; ++i)
                m_selection.setSectionEnabled(i, false);
            return;
        }
        g_checkFileExist(g_moduleType, false);
    });
}

void LoadFiles::chkSectionNew_Click() {
    guarded("frmMain", "chkSectionNew_Click", [&] {
        const SectionTags tags = sectionTags(g_moduleType, m_sectionNew == 1);
        for (int i = 0; i < kSectionBoxCount; ++i)
            m_selection.setSectionTag(i, tags[i]);
    });
}

bool LoadFiles::checkS19FileDate() {
    bool ok = true;
    guarded("frmMain", "checkS19FileDate", [&] {
        QString workingCopy, nextVersion;
        const QString pattern =
            g_getDcName(g_fullName(m_directory, g_projectName + QStringLiteral("-PXU-DC-???.mdb")));
        const QString newest = g_getHighestFileVersion(pattern, workingCopy, nextVersion);
        const QDateTime s19Date = g_getFileDate(m_boxes[sectionBoxDC].emhText);
        const QDateTime dbDate = g_getFileDate(newest);
        if (s19Date.toSecsSinceEpoch() - dbDate.toSecsSinceEpoch() < 0) {
            ok = g_questionMsgBox(
                sprintf(QStringLiteral(
                            "The datacontainer-S19-file is older then the newest "
                            "datacontainer-mdb-file!\\nS19-File: {*}\\nMDB-File: {*}\\nPlease "
                            "check if the S19-file should be built first!\\n\\nDo you want to "
                            "continue?"),
                        generalDateTime(s19Date), generalDateTime(dbDate)),
                {}, true);
        }
    });
    return ok;
}

} // namespace pxu
