// The builder's jobs killed half-way: a child process runs the header scan, the signal-list
// import, the build or Exit and is killed (SIGKILL) at a list line of the job; the next
// start must open the builder, find every version whole, and keep the working copy with
// what the session committed.
#include "core/globals.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/special_symbols.h"
#include "image_fixture.h"
#include "sample_versions.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kVersions = QStringLiteral("*-PXU-DC-???.mdb");

// Version 001 of the plant with its headers, signal list and load files: what each job
// needs.
void preparePlant(DcFixture& fixture, const QByteArray& plant) {
    QFile version(fixture.path(DcFixture::versionName(1)));
    QVERIFY(version.open(QIODevice::WriteOnly) && version.write(plant) == plant.size());
    version.close();
    for (const char* name : {"global.h", "library.h", "dataContainer.h"})
        QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_HEADERS "/") + QLatin1String(name),
                            fixture.path(QLatin1String(name))));
    QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_SIGNAL_LIST),
                        fixture.path(QStringLiteral("signal-list.xlsx"))));
    copySampleLoadFiles(fixture.folder());
}

// Runs the helper; with a stop line, until it stopped there. Its output.
QString runHelper(const QString& folder, const QStringList& arguments, bool& stopped) {
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral(PXU_KILL_HELPER), QStringList{folder} + arguments);
    QString output;
    stopped = false;
    while (!stopped && child.state() != QProcess::NotRunning && child.waitForReadyRead(60'000)) {
        output += QString::fromLocal8Bit(child.readAll());
        stopped = output.endsWith(QLatin1String("\nstopped\n"));
    }
    if (stopped)
        child.kill(); // SIGKILL
    child.waitForFinished(60'000);
    output += QString::fromLocal8Bit(child.readAll());
    if (!stopped && (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0))
        output += QStringLiteral("\n<ended with %1>").arg(child.exitCode());
    return output;
}

// Each version of the folder as a dump, after SQLite's check of the whole file; the check's
// complaint in place of the dump when it fails.
QMap<QString, QString> versionDumps(const QString& folder, const QString& pattern = kVersions) {
    QMap<QString, QString> dumps;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({pattern}, QDir::Files)) {
        const QString file = dir.filePath(name);
        const QString check = queryValue(file, QStringLiteral("PRAGMA integrity_check")).toString();
        dumps[name] = check == QLatin1String("ok") ? dumpDatabase(file) : check;
    }
    return dumps;
}

} // namespace

class DcBuilderKillTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { g_baseAdrDC = 0xC0000; }
    void killedJobLeavesEveryVersionWhole_data();
    void killedJobLeavesEveryVersionWhole();

private:
    // The whole states each version passes through in the job's complete run.
    QMultiMap<QString, QString> wholeStates(const QString& job);
    QByteArray m_plant;
    QMap<QString, QMultiMap<QString, QString>> m_wholeStates;
};

void DcBuilderKillTest::initTestCase() {
    // The sample plant on the program's schema, once, so that every run starts from the same
    // bytes; a manufacturer number that neither the edits nor the signal list have.
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString plant = currentSampleVersions(fixture, dialogs, 1);
    RecordingSink sink;
    QString label;
    QVERIFY(!dc::DcJob::run(plant, [&](dc::DcJob& job) {
        dc::SpecialSymbols(job, sink).setString(QStringLiteral("M-BEFORE"), dc::alias::manufacNo,
                                                label);
    }));
    QFile file(plant);
    QVERIFY(file.open(QIODevice::ReadOnly));
    m_plant = file.readAll();
}

QMultiMap<QString, QString> DcBuilderKillTest::wholeStates(const QString& job) {
    if (!m_wholeStates.contains(job)) {
        DcFixture fixture;
        preparePlant(fixture, m_plant);
        bool stopped = false;
        const QString output =
            runHelper(fixture.folder(), {job, QStringLiteral("--whole-states")}, stopped);
        if (output.contains(QLatin1String("<ended with")))
            qFatal("the complete run of %s failed: %s", qPrintable(job), qPrintable(output));
        QMultiMap<QString, QString> states;
        const QMap<QString, QString> dumps =
            versionDumps(fixture.path(QStringLiteral("states")), kVersions + QStringLiteral(".*"));
        for (auto it = dumps.cbegin(); it != dumps.cend(); ++it)
            states.insert(it.key().section(u'.', 0, -2), it.value());
        m_wholeStates[job] = states;
    }
    return m_wholeStates[job];
}

void DcBuilderKillTest::killedJobLeavesEveryVersionWhole_data() {
    QTest::addColumn<QString>("job");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("occurrence");
    // The manufacturer number the kept working copy holds; when none is kept, the newest
    // version. Before the build nothing is edited.
    QTest::addColumn<QString>("committed");
    const QString saved = QStringLiteral("Result saved in new DC-Version ");
    const QString scanned = QStringLiteral("      Number of scanned signals");
    const QString indexes = QStringLiteral("   Update id's in alarmEnums-table");
    QTest::newRow("scan: at its start") << "scan"
                                        << "SCAN HEADER FILES " << 1 << "M-KILL-1";
    QTest::newRow("scan: reading the headers") << "scan"
                                               << "   Scan file " << 2 << "M-KILL-1";
    QTest::newRow("scan: comparing") << "scan"
                                     << "   Compare scan" << 1 << "M-KILL-1";
    QTest::newRow("scan: rebuilding alarmEnums")
        << "scan"
        << "   Update attributes of scanned symbols in alarmEnums" << 1 << "M-KILL-1";
    QTest::newRow("scan: at its last step") << "scan"
                                            << "   Write DC-version" << 1 << "M-KILL-1";
    QTest::newRow("scan: saved, before the fresh working copy")
        << "scan" << saved << 1 << "M-KILL-1";
    QTest::newRow("import: at its start") << "import"
                                          << "Scan Signal-List" << 1 << "M-KILL-1";
    // The import is one job: until it is saved, nothing of the signal list is committed.
    QTest::newRow("import: in the first sheet") << "import" << scanned << 1 << "M-KILL-1";
    QTest::newRow("import: between the sheets") << "import"
                                                << "   Scan Sheet alarmEnums" << 1 << "M-KILL-1";
    QTest::newRow("import: in the second sheet") << "import" << scanned << 2 << "M-KILL-1";
    QTest::newRow("import: resolving the alarms' ids") << "import" << indexes << 1 << "M-KILL-1";
    // The signal list has a manufacturer number of its own.
    QTest::newRow("import: saved") << "import" << saved << 1 << "M-40417";
    const QString none = QStringLiteral("M-BEFORE");
    QTest::newRow("build: at its start") << "build"
                                         << "Build DC-S19-File out of" << 1 << none;
    QTest::newRow("build: resolving the alarms' ids") << "build" << indexes << 1 << none;
    QTest::newRow("build: storing the group CRCs") << "build"
                                                   << "      USER Paras" << 1 << none;
    QTest::newRow("build: the software check") << "build"
                                               << "   ZENT-6183" << 1 << none;
    QTest::newRow("build: writing the image") << "build"
                                              << "   Build DC-Bin-File" << 1 << none;
    QTest::newRow("build: writing the S-record file") << "build"
                                                      << "   Build S-Rec-file" << 1 << none;
    QTest::newRow("exit: the build tab's copy") << "exit" << saved << 1 << "M-KILL-1";
    // Told within the job that writes it: killed there, the edit is not committed.
    QTest::newRow("exit: writing the second edit")
        << "exit"
        << "      PAR_SWINFO_MANUFAC_NO_" << 2 << "M-KILL-1";
    QTest::newRow("exit: saved") << "exit" << saved << 2 << "M-KILL-2";
}

void DcBuilderKillTest::killedJobLeavesEveryVersionWhole() {
    QFETCH(QString, job);
    QFETCH(QString, line);
    QFETCH(int, occurrence);
    QFETCH(QString, committed);
    const QMultiMap<QString, QString> whole = wholeStates(job);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    preparePlant(fixture, m_plant);
    const QMap<QString, QString> before = versionDumps(fixture.folder());
    bool stopped = false;
    const QString output =
        runHelper(fixture.folder(), {job, line, QString::number(occurrence)}, stopped);
    QVERIFY2(stopped, qPrintable(output));

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
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        QVERIFY2(it.value() == before.value(it.key()) ||
                     whole.values(it.key()).contains(it.value()),
                 qPrintable(it.key() + QStringLiteral(" is in none of its whole states")));

    const QStringList kept = folder.entryList({"*-temp-leftover-*.md"}, QDir::Files);
    QVERIFY(kept.size() <= 1);
    const QString holder = kept.isEmpty() ? builder.newestDcFile() : folder.filePath(kept[0]);
    QCOMPARE(queryValue(holder, "PRAGMA integrity_check").toString(), QStringLiteral("ok"));
    QCOMPARE(specialText(holder, dc::alias::manufacNo), committed);
}

QTEST_MAIN(DcBuilderKillTest)
#include "dc_builder_kill_test.moc"
