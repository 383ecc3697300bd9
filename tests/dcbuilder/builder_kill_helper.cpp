// The builder in a process of its own, for the kill test: it opens the builder on a plant
// folder, types a manufacturer number (an edit committed to the working copy; not before a
// build, so that the build is of the newest version as it lies) and runs one job as the
// user would, then closes the builder. Every list line goes to stdout; at the given list line
// it writes "stopped" and waits there, in the middle of the job, to be killed.
//   builder_kill_helper <folder> <job> [<line> <occurrence> | --whole-states]
// job:  scan    "Scan Header-Files"
//       import  "Scan Signal-List" of the folder's signal list
//       build   "Build" of the newest version
//       exit    the build tab (the working copy copied to the next version), a second
//               edit, and Exit
// line: the beginning of the list line to stop at, its occurrence-th one (from 1).
// --whole-states: the job runs to its end, and at every list line each version that is
// whole (no journal of a transaction beside it) and differs from its last copy is copied to
// "states/<version>.<n>": the states the job leaves a version in.
// SQLite runs with a small page cache here, so that a job writes pages into the file before
// it commits, as the jobs on a large plant do: a kill then leaves a journal that matters.
#include "core/config_items.h"
#include "core/globals.h"
#include "dcbuilder/dc_builder.h"
#include "platform/db/database_file.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const QLatin1String kWholeStates{"--whole-states"};

class HeldBuilder : public pxu::DcBuilder {
public:
    HeldBuilder(QString folder, QString stopLine, int occurrence)
        : m_folder(std::move(folder))
        , m_stopLine(std::move(stopLine))
        , m_left(occurrence) {}

    void addMessage(const QString& text) override {
        DcBuilder::addMessage(text);
        std::fputs(qPrintable(QString(text).replace(u'\r', u'\n') + u'\n'), stdout);
        std::fflush(stdout);
        if (m_stopLine == kWholeStates)
            copyWholeStates();
        else if (!m_stopLine.isEmpty() && text.startsWith(m_stopLine) && --m_left == 0) {
            std::fputs("stopped\n", stdout);
            std::fflush(stdout);
            for (;;)
                pause();
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
    QHash<QString, QByteArray> m_lastStates;
    int m_copies = 0;
};

// The jobs ask for a large cache of their own; here that request is passed over.
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
    QApplication app(argc, argv);
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(smallPageCache));
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3 || arguments.size() > 5) {
        std::fputs("usage: builder_kill_helper <folder> <job> [<line> <occurrence> | "
                   "--whole-states]\n",
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

    HeldBuilder builder(folder, arguments.value(3), arguments.value(4).toInt());
    builder.g_show(folder);
    if (!builder.isLoaded())
        return 4;
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
