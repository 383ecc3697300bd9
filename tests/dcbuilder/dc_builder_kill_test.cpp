// The builder's jobs killed half-way: a child process runs the header scan, the signal-list
// import, the build or Exit and is killed (SIGKILL) in the middle of a transaction, right
// after it wrote a database file; the next start must open the builder, find every version
// whole, and keep the working copy as the session committed it.
#include "builder_process.h"
#include "core/globals.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcdatabase/special_symbols.h"
#include "platform/db/database.h"
#include "platform/db/database_file.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kVersions = QStringLiteral("*-PXU-DC-???.mdb");
const QString kWorkingCopy = QStringLiteral("DORN Update Tool-PXU-DC-temp.md");

// A database as a dump, after SQLite's check of the whole file; the check's complaint in
// place of the dump when it fails.
QString stateOf(const QString& file) {
    const QString check = queryValue(file, QStringLiteral("PRAGMA integrity_check")).toString();
    return check == QLatin1String("ok") ? dumpDatabase(file) : check;
}

// Each version of the folder as stateOf gives it.
QMap<QString, QString> versionDumps(const QString& folder, const QString& pattern = kVersions) {
    QMap<QString, QString> dumps;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({pattern}, QDir::Files))
        dumps[name] = stateOf(dir.filePath(name));
    return dumps;
}

// The databases of a folder (versions and the working copy) as a kill left them.
struct KilledFiles {
    // Each with its journal rolled back, by SQLite itself on a copy: what was committed.
    QMap<QString, QString> committed;
    // Each file alone, as a recovery that deleted the journal would leave it.
    QMap<QString, QString> withoutJournal;
};

KilledFiles killedFiles(const QString& folder) {
    KilledFiles files;
    const QDir dir(folder);
    QTemporaryDir rolledBack;
    QTemporaryDir alone;
    for (const QString& name : dir.entryList({kVersions, kWorkingCopy}, QDir::Files)) {
        const QString journal = dir.filePath(name) + QStringLiteral("-journal");
        const QString copy = QDir(rolledBack.path()).filePath(name);
        if (!QFile::copy(dir.filePath(name), copy) ||
            (QFile::exists(journal) && !QFile::copy(journal, copy + QStringLiteral("-journal"))) ||
            !QFile::copy(dir.filePath(name), QDir(alone.path()).filePath(name)))
            qFatal("cannot copy %s", qPrintable(name));
        {
            db::Database rollBack; // its first read rolls a journal back
            rollBack.open(copy);
        }
        files.committed[name] = stateOf(copy);
        files.withoutJournal[name] = stateOf(QDir(alone.path()).filePath(name));
    }
    return files;
}

} // namespace

class DcBuilderKillTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_plant = sampleKillPlant(); }
    void init() { g_baseAdrDC = 0xC0000; }
    void killedJobLeavesEveryVersionWhole_data();
    void killedJobLeavesEveryVersionWhole();

private:
    // The whole states each version passes through in the job's complete run.
    QMultiMap<QString, QString> wholeStates(const QString& job);
    // Runs the helper on the folder's plant until it stops, and kills it there.
    static KilledFiles killIn(const QString& folder, const QStringList& arguments,
                              QString& written);
    QByteArray m_plant;
    QMap<QString, QMultiMap<QString, QString>> m_wholeStates;
};

QMultiMap<QString, QString> DcBuilderKillTest::wholeStates(const QString& job) {
    if (!m_wholeStates.contains(job)) {
        DcFixture fixture;
        preparePlant(fixture.folder(), m_plant);
        BuilderProcess run(fixture.folder(), {job, QStringLiteral("--whole-states")});
        if (run.waitUntilStopped() || !run.waitUntilEnded())
            qFatal("the complete run of %s failed: %s", qPrintable(job), qPrintable(run.output()));
        QMultiMap<QString, QString> states;
        const QMap<QString, QString> dumps =
            versionDumps(fixture.path(QStringLiteral("states")), kVersions + QStringLiteral(".*"));
        for (auto it = dumps.cbegin(); it != dumps.cend(); ++it)
            states.insert(it.key().section(u'.', 0, -2), it.value());
        m_wholeStates[job] = states;
    }
    return m_wholeStates[job];
}

KilledFiles DcBuilderKillTest::killIn(const QString& folder, const QStringList& arguments,
                                      QString& written) {
    BuilderProcess run(folder, arguments);
    if (!run.waitUntilStopped()) {
        qWarning("%s", qPrintable(run.output()));
        return {};
    }
    run.kill();
    written = QFileInfo(run.written()).fileName();
    return killedFiles(folder);
}

void DcBuilderKillTest::killedJobLeavesEveryVersionWhole_data() {
    QTest::addColumn<QString>("job");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("occurrence");
    // The database the job is killed in right after writing it, in the middle of a
    // transaction. Empty: killed at the line itself, where no database is half written,
    // because the row tests a kill between two files.
    QTest::addColumn<QString>("halfWritten");
    // The manufacturer number the kept working copy holds; when none is kept, the newest
    // version. Before the build nothing is edited.
    QTest::addColumn<QString>("committed");
    const QString saved = QStringLiteral("Result saved in new DC-Version ");
    const QString scanned = QStringLiteral("      Number of scanned signals");
    const QString indexes = QStringLiteral("   Update id's in alarmEnums-table");
    const QString first = DcFixture::versionName(1);
    QTest::newRow("scan: at its start") << "scan"
                                        << "SCAN HEADER FILES " << 1 << kWorkingCopy << "M-KILL-1";
    QTest::newRow("scan: reading the headers")
        << "scan"
        << "   Scan file " << 2 << kWorkingCopy << "M-KILL-1";
    QTest::newRow("scan: comparing") << "scan"
                                     << "   Compare scan" << 1 << kWorkingCopy << "M-KILL-1";
    QTest::newRow("scan: rebuilding alarmEnums")
        << "scan"
        << "   Update attributes of scanned symbols in alarmEnums" << 1 << kWorkingCopy
        << "M-KILL-1";
    QTest::newRow("scan: at its last step")
        << "scan"
        << "   Write DC-version" << 1 << kWorkingCopy << "M-KILL-1";
    // The scan's result renamed into place as the next version, no fresh working copy yet.
    QTest::newRow("scan: saved, before the fresh working copy")
        << "scan" << saved << 1 << QString() << "M-KILL-1";
    QTest::newRow("import: at its start") << "import"
                                          << "Scan Signal-List" << 1 << kWorkingCopy << "M-KILL-1";
    // The import is one job: until it is saved, nothing of the signal list is committed.
    QTest::newRow("import: in the first sheet")
        << "import" << scanned << 1 << kWorkingCopy << "M-KILL-1";
    QTest::newRow("import: between the sheets")
        << "import"
        << "   Scan Sheet alarmEnums" << 1 << kWorkingCopy << "M-KILL-1";
    QTest::newRow("import: in the second sheet")
        << "import" << scanned << 2 << kWorkingCopy << "M-KILL-1";
    QTest::newRow("import: resolving the alarms' ids")
        << "import" << indexes << 1 << kWorkingCopy << "M-KILL-1";
    // The import's result renamed into place, no fresh working copy yet. The signal list
    // has a manufacturer number of its own.
    QTest::newRow("import: saved") << "import" << saved << 1 << QString() << "M-40417";
    const QString none = QStringLiteral("M-BEFORE");
    QTest::newRow("build: at its start") << "build"
                                         << "Build DC-S19-File out of" << 1 << first << none;
    QTest::newRow("build: resolving the alarms' ids") << "build" << indexes << 1 << first << none;
    QTest::newRow("build: storing the group CRCs") << "build"
                                                   << "      USER Paras" << 1 << first << none;
    // From the software check on, the build writes no database, only the image and the
    // S-record file: killed there, it must leave every version as it was.
    QTest::newRow("build: the software check") << "build"
                                               << "   ZENT-6183" << 1 << QString() << none;
    QTest::newRow("build: writing the image") << "build"
                                              << "   Build DC-Bin-File" << 1 << QString() << none;
    QTest::newRow("build: writing the S-record file")
        << "build"
        << "   Build S-Rec-file" << 1 << QString() << none;
    QTest::newRow("exit: the build tab's copy")
        << "exit" << saved << 1 << kWorkingCopy << "M-KILL-1";
    // Told within the job that writes it: killed there, the edit is not committed.
    QTest::newRow("exit: writing the second edit")
        << "exit"
        << "      PAR_SWINFO_MANUFAC_NO_" << 2 << kWorkingCopy << "M-KILL-1";
    // The working copy renamed to the next version at Exit.
    QTest::newRow("exit: saved") << "exit" << saved << 2 << QString() << "M-KILL-2";
}

void DcBuilderKillTest::killedJobLeavesEveryVersionWhole() {
    QFETCH(QString, job);
    QFETCH(QString, line);
    QFETCH(int, occurrence);
    QFETCH(QString, halfWritten);
    QFETCH(QString, committed);
    const QMultiMap<QString, QString> whole = wholeStates(job);
    QStringList arguments{job, line, QString::number(occurrence)};
    if (halfWritten.isEmpty())
        arguments << QStringLiteral("--at-line");

    ScriptedDialogs dialogs;
    DcFixture fixture;
    preparePlant(fixture.folder(), m_plant);
    const QMap<QString, QString> before = versionDumps(fixture.folder());
    QString written;
    const KilledFiles killed = killIn(fixture.folder(), arguments, written);
    QVERIFY(!killed.committed.isEmpty());
    // The kill left a journal that matters: without it, the file holds half the job.
    QCOMPARE(written, halfWritten);
    if (!halfWritten.isEmpty()) {
        QVERIFY(!db::pendingJournals(fixture.path(halfWritten)).isEmpty());
        QVERIFY(killed.withoutJournal.value(halfWritten) != killed.committed.value(halfWritten));
    }
    // The small page cache kills the same states: with the jobs' own cache a job writes its
    // file only as it commits, and killed at that write, it leaves every file with the same
    // committed state. The small cache only makes the job write the file earlier, half-way.
    {
        QTemporaryDir jobsCache;
        preparePlant(jobsCache.path(), m_plant);
        QString writtenThere;
        const KilledFiles there =
            killIn(jobsCache.path(), arguments + QStringList{QStringLiteral("--jobs-cache")},
                   writtenThere);
        QCOMPARE(writtenThere, halfWritten);
        QCOMPARE(there.committed, killed.committed);
    }

    // The next start.
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY2(builder.isLoaded(), qPrintable(dialogs.texts().join(u'\n')));
    builder.unload();

    const QDir folder(fixture.folder());
    QCOMPARE(folder.entryList({"*-journal", "*-wal"}, QDir::Files), QStringList());
    const QMap<QString, QString> after = versionDumps(fixture.folder());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.contains(it.key()), qPrintable(it.key()));
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        QVERIFY2(it.value() == killed.committed.value(it.key()),
                 qPrintable(it.key() + QStringLiteral(" is not as it was committed")));
        QVERIFY2(it.value() == before.value(it.key()) ||
                     whole.values(it.key()).contains(it.value()),
                 qPrintable(it.key() + QStringLiteral(" is in none of its whole states")));
    }

    // The working copy, whole as it was committed: kept aside, or, holding nothing but the
    // newest version, made anew.
    const QStringList kept = folder.entryList({"*-temp-leftover-*.md"}, QDir::Files);
    QVERIFY(kept.size() <= 1);
    const QString newest = QFileInfo(builder.newestDcFile()).fileName();
    if (killed.committed.contains(kWorkingCopy)) {
        const QString keeper = kept.isEmpty() ? newest : kept[0];
        QCOMPARE(stateOf(folder.filePath(keeper)), killed.committed[kWorkingCopy]);
    } else {
        QVERIFY(kept.isEmpty());
    }
    const QString holder = folder.filePath(kept.isEmpty() ? newest : kept[0]);
    QCOMPARE(specialText(holder, dc::alias::manufacNo), committed);
}

QTEST_MAIN(DcBuilderKillTest)
#include "dc_builder_kill_test.moc"
