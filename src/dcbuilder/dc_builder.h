#pragma once

#include "core/event_turns.h"
#include "core/folder_lock.h"
#include "core/form_support.h"
#include "core/message_list.h"
#include "dcdatabase/message_sink.h"
#include "dcdatabase/migration_host.h"
#include "info_boxes.h"
#include "mainwindow/form_widgets.h"
#include "mod_excel.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace pxu {

namespace dc {
class SpecialSymbols;
}
class DcBuilderForm;

// The tabs of the builder, numbered as the window numbers them.
enum DcBuilderTab : int { tabEdit = 1, tabInfo = 2, tabBuild = 3, tabScan = 4 };

struct InfoBoxView {
    QString text;
    int maxLength = 0; // the characters it takes: no more than its symbol stores
    bool locked = false;
    int backColour = kColourWindow; // the button face when locked
    bool edited = false;            // typed since it was filled or written
};

// What the builder window shows besides its message list.
struct DcBuilderView {
    bool visible = false;
    int tab = tabBuild;
    bool tabEnabled = true; // tabAction
    std::array<InfoBoxView, kInfoBoxCount> infos;
    QString startAdr = QStringLiteral("C0000"); // txtStartAdr
    QStringList sourceFiles;                    // filSourceDC
    int sourceIndex = -1;
    std::array<QString, 3> documentation{
        QStringLiteral("   global.h\r\n   datacontainer.h\r\n   library.h"), QString(),
        QStringLiteral("\r\n   PXU_Data.S19")}; // txtDocumentation
    bool scanHeaderEnabled = false;
    bool scanSignalListEnabled = true;
    bool exitEnabled = true;
    QString fileDirectory; // txtFileDirectory
    double progress = 0;   // prgProgress, 0 to 1
    bool busy = false;     // the hourglass
};

// The newest version among the file names: the highest number of the versions pattern
// ("<project>-PXU-DC-???.mdb"), else the unnumbered version; -1 when none is a version.
int newestVersionIndex(const QStringList& files, const QString& pattern);

// The data-container builder (frmDcBuilder): opens the newest version of a plant's
// data-container database as a working copy, brings it to the program's schema, shows
// and stores its plant and software information, imports the signal list, exports a
// report, and saves a changed working copy as the next version when it closes. It is the
// message sink of the jobs it runs and holds the spreadsheet application of the import.
// The form only shows what this class holds, so tests drive it without one.
class DcBuilder : public QObject,
                  public dc::MessageSink,
                  public dc::MigrationHost,
                  public ExcelOwner {
    Q_OBJECT
public:
    explicit DcBuilder(QObject* parent = nullptr);
    ~DcBuilder() override;

    // Opens the builder on a working copy of the newest version in the source folder; an
    // open builder is only raised.
    void g_show(const QString& sourceFolder);
    // Message sink.
    void addMessage(const QString& text) override;
    void updateProgress(double value, bool relative = false) override;
    void stillWorking() override { m_turns.takeIfDue(); }
    // The schema update's copy of the old plant information.
    bool g_copyPlantInfosToDcEnums(dc::DcJob& job, const dc::PendingAliases& aliases) override;

    // Events of the window.
    void tabAction_Click(int tab);
    void cmdEdit_Click(int index); // 0 parameters, 1 variables, 2 logs
    void cmdBuild_Click();
    void cmdReport_Click();
    void cmdScanHeader_Click();
    void cmdScanSignalList_Click();
    void cmdExit_Click() { unload(); }
    void filSourceDC_Click(int index);
    void setStartAdr(const QString& text);
    // An information box typed into, and left.
    void setInfoText(InfoBox box, const QString& text);
    void txtInfo_LostFocus(InfoBox box);
    // Every way of closing (Exit, the window's close box, the shut-down): the working copy
    // is saved as the next version when it changed, else deleted.
    void unload();

    // Locks (or unlocks) the information boxes; one box alone (the software version and
    // developer number when the scan did not find them).
    void setSwInfoReadWriteAccess(bool readOnly);
    void setInfoBoxLocked(InfoBox box, bool locked);

    // Special symbols of the working copy; the setters mark it changed when they write.
    QString getSpecialDcStringValue(const QString& alias);
    QString getSpecialDcLongValue(const QString& alias, const QString& format);
    void setSpecialDcStringValue(const QString& value, const QString& alias, QString& label);
    void setSpecialDcLongValue(const QString& value, const QString& alias, QString& label,
                               const QString& format, bool showHex);

    bool isLoaded() const { return m_loaded; }
    const DcBuilderView& view() const { return m_view; }
    MessageList& messages() { return m_messages; } // lstMessage
    DcBuilderForm* form() const;
    QString dcPattern() const { return m_dcPattern; }
    QString newestDcFile() const { return m_newestDcFile; }
    QString tempDcFile() const { return m_tempDcFile; }
    QString nextDcFile() const { return m_nextDcFile; }
    QString sourceFolder() const { return m_sourceFolder; }
    bool tempDcExists() const { return m_tempDcExists; }
    bool dcChanged() const { return m_dcChanged; }
    void setDcChanged() { m_dcChanged = true; }
    // The version chosen in the build tab's list, empty when none.
    QString chosenDcFile() const;

    // After a header scan, on the scan's job: software version, developer number and the
    // application's CRC (a box whose value was not found is unlocked for typing), and the
    // data-container version.
    void setSwInfos(dc::DcJob& job);
    void setDcVersion(dc::DcJob& job);

    // A long job of the window (a scan, an import): the hourglass, the scan buttons, Exit
    // and the tab strip disabled, the opening banner; at its end the closing banner and
    // everything enabled again. With its controls locked the window paints while the job
    // runs: its lines, progress and long steps hand the event loop a turn now and then.
    class JobScope {
    public:
        JobScope(DcBuilder& builder, const QString& title, bool lockControls = true);
        ~JobScope();
        JobScope(const JobScope&) = delete;
        JobScope& operator=(const JobScope&) = delete;

    private:
        DcBuilder& m_builder;
        bool m_locked;
        BusyCursor m_hourglass;
    };

    // Runs body on the working copy as one job with the special symbols; their writes
    // mark the working copy changed. A failure rolls the job back and is told in the list.
    // False on failure.
    bool onWorkingCopy(const std::function<void(dc::SpecialSymbols&)>& body);
    // The working copy as the next version now, and a fresh working copy of it (a scan or
    // an import saves at once).
    void saveAndContinue();

signals:
    void changed();
    // Of the view only the progress changed.
    void progressChanged();
    // The window is to come to the front.
    void raiseRequested();
    // "Build" wrote the download file: the main window's load files are to be checked again.
    void downloadFileWritten();

private:
    // Runs a step that writes files. A file it cannot write is told in one box that names
    // the file, why, and where the changes are; false then. Without a working copy left to
    // go on with, the window closes.
    bool writesFiles(const std::function<void()>& step);
    // Every job on the working copy runs here: one that fails rolls back, and so does the
    // changed mark. Nothing on success, else the failure's text; a working copy that cannot
    // be written is named with why (and unwritable set).
    std::optional<QString> runJob(const std::function<void(dc::DcJob&)>& body,
                                  bool* unwritable = nullptr);
    void computePaths();
    void createTempDc();
    void closeTempDc();
    // The build tab's copy of a changed working copy to the next version's name.
    void copyToNextVersion();
    // Where the next version goes: the next version's name unless a file there is not one
    // this window wrote, or was built, else the next free number (logged).
    QString versionTarget();
    // Writes a version file through a temporary file and a rename, and says so in the list;
    // move takes the working copy itself.
    void writeVersion(const QString& from, const QString& to, bool move);
    // The working copy holds nothing but what the version last copied from it holds.
    bool holdsOnlyWhatWasSaved() const;
    // A working copy found at opening holds nothing but what the newest version holds.
    bool holdsOnlyTheNewestVersion();
    // Deletes a working copy that holds no unsaved changes; one that cannot be deleted is told.
    void removeUnchangedWorkingCopy();
    // The version is the build tab's copy of the working copy, and nothing was changed since.
    bool isCopyOfWorkingCopy(const QString& version) const;
    // Replaces the working copy by a copy of a version this window wrote from it.
    void takeIntoWorkingCopy(const QString& version);
    void fillInfoBoxes();
    void writeInfoBox(InfoBox box);
    void writeEditedInfoBoxes();
    void listSourceFiles();
    void deleteReports();

    DcBuilderView m_view;
    MessageList m_messages;
    EventTurns m_turns;
    QString m_dcPattern;
    QString m_newestDcFile;
    QString m_tempDcFile;
    QString m_nextDcFile;
    QString m_sourceFolder;
    bool m_tempDcExists = false;
    bool m_dcChanged = false;
    bool m_loaded = false;
    bool m_headerFilesFound = false; // the three header files lie beside the working copy
    QSet<QString> m_writtenVersions; // files this window wrote as versions
    QSet<QString> m_builtVersions;   // versions a build turned into the download file
    QString m_lastWrittenVersion;    // the build tab's last copy of the working copy
    QStringList m_reportFiles;       // report copies and pages this window made
    QStringList m_notes;             // told again after the list is cleared at opening
    FolderLock m_folderLock;         // the source folder's, while the window is open
    QPointer<DcBuilderForm> m_form;
};

} // namespace pxu
