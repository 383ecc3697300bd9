// The builder in a process of its own, for the kill and two-session tests: it opens the
// builder on a plant folder, types a manufacturer number (an edit committed to the working
// copy; not before a build, so that the build is of the newest version as it lies) and runs
// one job as the user would, then closes the builder. Every list line goes to stdout.
//   builder_kill_helper <folder> <job> [<line> <occurrence> [--at-line] [--jobs-cache]]
//   builder_kill_helper <folder> <job> --whole-states
// job:  scan    "Scan Header-Files"
//       import  "Scan Signal-List" of the folder's signal list
//       build   "Build" of the newest version
//       exit    the build tab (the working copy copied to the next version), a second
//               edit, and Exit
// line: the beginning of the list line to stop after, its occurrence-th one (from 1). The
// helper goes on to the next write of a page of a database file past its first, lets that
// write happen and stops there, in the middle of a transaction: it writes "stopped after
// writing <file>" and waits to be killed, or to go on at SIGUSR1. With --at-line it stops
// at the line itself ("stopped"), where no database is half written.
// --whole-states: the job runs to its end, and at every list line each version that is
// whole (no journal of a transaction beside it) and differs from its last copy is copied to
// "states/<version>.<n>": the states the job leaves a version in.
// SQLite runs with a small page cache here, so that a job writes pages into the file before
// it commits, as the jobs on a large plant do: stopped at a write, a job has changed the file
// half-way. --jobs-cache keeps the jobs' own cache, with which a job writes the file only
// when it commits.
#include "core/config_items.h"
#include "core/globals.h"
#include "dcbuilder/dc_builder.h"
#include "platform/db/database_file.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <csignal>
#include <cstdio>
#include <sqlite3.h>

namespace {

const QLatin1String kWholeStates{"--whole-states"};

volatile std::sig_atomic_t g_goOn = 0;

// SIGUSR1 is blocked from the start, so that one sent before the wait is not lost.
void holdUntilToldToGoOn(const char* what) {
    std::fputs(what, stdout);
    std::fflush(stdout);
    sigset_t waiting;
    sigprocmask(SIG_BLOCK, nullptr, &waiting);
    sigdelset(&waiting, SIGUSR1);
    while (!g_goOn)
        sigsuspend(&waiting);
    g_goOn = 0;
}

// A file system between SQLite and the disk that, once armed, stops the process after the
// next write into a database file (not a journal) past its first page.
namespace stop_at_write {

bool armed = false;
sqlite3_vfs* disk = nullptr;
sqlite3_vfs vfs;
sqlite3_io_methods methods;

struct File {
    sqlite3_file base;
    sqlite3_file* real; // the disk's file, right behind this one
    bool database;
    const char* name;
};

sqlite3_file* real(sqlite3_file* file) {
    return reinterpret_cast<File*>(file)->real;
}

int xClose(sqlite3_file* f) {
    return real(f)->pMethods->xClose(real(f));
}
int xRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
}
int xWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    const int result = real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
    const File* file = reinterpret_cast<File*>(f);
    // Past the first page, which a commit writes first and which may differ in no more than
    // the file's change counter: a write that changes what the file holds.
    if (result == SQLITE_OK && armed && file->database && offset > 0) {
        armed = false;
        holdUntilToldToGoOn(qPrintable(
            QStringLiteral("stopped after writing %1\n").arg(QString::fromUtf8(file->name))));
    }
    return result;
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return real(f)->pMethods->xTruncate(real(f), size);
}
int xSync(sqlite3_file* f, int flags) {
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int xLock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xLock(real(f), level);
}
int xUnlock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xUnlock(real(f), level);
}
int xCheckReservedLock(sqlite3_file* f, int* reserved) {
    return real(f)->pMethods->xCheckReservedLock(real(f), reserved);
}
int xFileControl(sqlite3_file* f, int op, void* argument) {
    return real(f)->pMethods->xFileControl(real(f), op, argument);
}
int xSectorSize(sqlite3_file* f) {
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** memory) {
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, memory);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file* f) {
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file* f, int deleteFlag) {
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}
int xFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** pages) {
    return real(f)->pMethods->xFetch(real(f), offset, amount, pages);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* pages) {
    return real(f)->pMethods->xUnfetch(real(f), offset, pages);
}

int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    File* file = reinterpret_cast<File*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    file->database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    file->name = name;
    const int result = disk->xOpen(disk, name, file->real, flags, outFlags);
    // The disk's file methods are of version 3; ours pass every call on.
    f->pMethods = file->real->pMethods ? &methods : nullptr;
    return result;
}

void install() {
    disk = sqlite3_vfs_find(nullptr);
    vfs = *disk;
    vfs.zName = "stop-at-write";
    vfs.szOsFile = int(sizeof(File)) + disk->szOsFile;
    vfs.xOpen = xOpen;
    methods = {3,
               xClose,
               xRead,
               xWrite,
               xTruncate,
               xSync,
               xFileSize,
               xLock,
               xUnlock,
               xCheckReservedLock,
               xFileControl,
               xSectorSize,
               xDeviceCharacteristics,
               xShmMap,
               xShmLock,
               xShmBarrier,
               xShmUnmap,
               xFetch,
               xUnfetch};
    sqlite3_vfs_register(&vfs, 1);
}

} // namespace stop_at_write

class HeldBuilder : public pxu::DcBuilder {
public:
    HeldBuilder(QString folder, QString stopLine, int occurrence, bool atLine)
        : m_folder(std::move(folder))
        , m_stopLine(std::move(stopLine))
        , m_left(occurrence)
        , m_atLine(atLine) {}

    void addMessage(const QString& text) override {
        DcBuilder::addMessage(text);
        std::fputs(qPrintable(QString(text).replace(u'\r', u'\n') + u'\n'), stdout);
        std::fflush(stdout);
        if (m_stopLine == kWholeStates)
            copyWholeStates();
        else if (!m_stopLine.isEmpty() && text.startsWith(m_stopLine) && --m_left == 0) {
            if (m_atLine)
                holdUntilToldToGoOn("stopped\n");
            else
                stop_at_write::armed = true;
        }
    }

    void copyWholeStates() {
        const QDir folder(m_folder);
        folder.mkpath(QStringLiteral("states"));
        for (const QString& name :
             folder.entryList({QStringLiteral("*-PXU-DC-???.mdb")}, QDir::Files)) {
            const QString version = folder.filePath(name);
            QFile file(version);
            if (!pxu::db::pendingJournals(version).isEmpty() || !file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            if (m_lastStates.value(name) == bytes)
                continue;
            m_lastStates[name] = bytes;
            QFile state(folder.filePath(QStringLiteral("states/%1.%2").arg(name).arg(++m_copies)));
            if (!state.open(QIODevice::WriteOnly) || state.write(bytes) != bytes.size())
                std::abort();
        }
    }

private:
    QString m_folder;
    QString m_stopLine;
    int m_left;
    bool m_atLine;
    QHash<QString, QByteArray> m_lastStates;
    int m_copies = 0;
};

// The jobs ask for a large cache of their own; with the small cache that request is passed
// over.
int keepCacheSize(void*, int action, const char* pragma, const char*, const char*, const char*) {
    return action == SQLITE_PRAGMA && sqlite3_stricmp(pragma, "cache_size") == 0 ? SQLITE_IGNORE
                                                                                 : SQLITE_OK;
}

int smallPageCache(sqlite3* db, char**, const sqlite3_api_routines*) {
    const int result = sqlite3_exec(db, "PRAGMA cache_size = 10", nullptr, nullptr, nullptr);
    return result == SQLITE_OK ? sqlite3_set_authorizer(db, keepCacheSize, nullptr) : result;
}

void typeManufacturerNumber(pxu::DcBuilder& builder, const QString& number) {
    builder.tabAction_Click(pxu::tabInfo);
    builder.setInfoText(pxu::InfoBox::txtManufacNo, number);
    builder.txtInfo_LostFocus(pxu::InfoBox::txtManufacNo);
}

} // namespace

int main(int argc, char* argv[]) {
    sigset_t goOn;
    sigemptyset(&goOn);
    sigaddset(&goOn, SIGUSR1);
    sigprocmask(SIG_BLOCK, &goOn, nullptr);
    std::signal(SIGUSR1, [](int) { g_goOn = 1; });

    QApplication app(argc, argv);
    QStringList arguments = app.arguments();
    const bool atLine = arguments.removeAll(QStringLiteral("--at-line")) > 0;
    if (arguments.removeAll(QStringLiteral("--jobs-cache")) == 0)
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(smallPageCache));
    stop_at_write::install();
    if (arguments.size() < 3 || arguments.size() > 5) {
        std::fputs("usage: builder_kill_helper <folder> <job> [<line> <occurrence> [--at-line] "
                   "[--jobs-cache] | --whole-states]\n",
                   stderr);
        return 2;
    }
    const QString folder = arguments[1];
    const QString job = arguments[2];

    pxu::test::ScriptedDialogs dialogs;
    pxu::g_configDbPath = QDir(folder).filePath(QStringLiteral("DORN Update Tool-Config.mdb"));
    pxu::g_projectName = pxu::g_toolName;
    pxu::g_workDir = folder;
    pxu::g_baseAdrDC = 0xC0000;
    if (!pxu::g_iniGlobals())
        return 3;

    HeldBuilder builder(folder, arguments.value(3), arguments.value(4).toInt(), atLine);
    builder.g_show(folder);
    if (!builder.isLoaded()) {
        std::fputs(qPrintable(dialogs.texts().join(u'\n') + u'\n'), stdout);
        pxu::closeConfigRecordsets();
        return 4;
    }
    if (job != QLatin1String("build"))
        typeManufacturerNumber(builder, QStringLiteral("M-KILL-1"));
    if (job == QLatin1String("scan")) {
        builder.cmdScanHeader_Click();
    } else if (job == QLatin1String("import")) {
        dialogs.answerFile(QDir(folder).filePath(QStringLiteral("signal-list.xlsx")));
        builder.cmdScanSignalList_Click();
    } else if (job == QLatin1String("build")) {
        builder.tabAction_Click(pxu::tabBuild);
        builder.cmdBuild_Click();
    } else if (job == QLatin1String("exit")) {
        builder.tabAction_Click(pxu::tabBuild);
        typeManufacturerNumber(builder, QStringLiteral("M-KILL-2"));
    } else {
        return 2;
    }
    builder.cmdExit_Click();
    if (arguments.value(3) == kWholeStates)
        builder.copyWholeStates();
    pxu::closeConfigRecordsets();
    return 0;
}
