// Two sessions of the tool on one plant folder, as two users' sessions (whose instance locks
// lie in runtime folders of their own) start them: the builder helper in a child process is
// the first, this process or a second helper the other.
#include "builder_process.h"
#include "core/folder_lock.h"
#include "core/globals.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_reconstruction.h"
#include "dcbuilder/dc_template.h"
#include "dcdatabase/special_symbols.h"
#include "support/recording_error_handler.h"
#include "support/scripted_dialogs.h"
#include "work_folders.h"

#include <QDir>
#include <QSysInfo>
#include <QtTest>
#include <pwd.h>
#include <unistd.h>

using namespace pxu;
using namespace pxu::test;

namespace {

// The second session's attempt on the plant folder; the text it showed.
using Attempt = std::function<QString(const WorkFolders&, ScriptedDialogs&)>;

const QString kWorkingCopy = QStringLiteral("DORN Update Tool-PXU-DC-temp.md");

// The first session: the builder open on the folder with an edit in its working copy, about
// to scan the headers.
QStringList aboutToScan() {
    return {QStringLiteral("scan"), QStringLiteral("SCAN HEADER FILES "), QStringLiteral("1"),
            QStringLiteral("--at-line")};
}

} // namespace

class DcBuilderSessionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_plant = sampleKillPlant(); }
    void init() { g_baseAdrDC = 0xC0000; }
    void secondSessionIsRefusedAndTheFirstLosesNothing_data();
    void secondSessionIsRefusedAndTheFirstLosesNothing();
    void lockOfAKilledSessionIsTakenOver();
    void toolsOfOneSessionShareTheFolder();

private:
    QByteArray m_plant;
};

void DcBuilderSessionsTest::secondSessionIsRefusedAndTheFirstLosesNothing_data() {
    QTest::addColumn<Attempt>("attempt");
    QTest::newRow("the builder") << Attempt([](const WorkFolders& folders, ScriptedDialogs& d) {
        DcBuilder builder;
        builder.g_show(folders.work);
        return builder.isLoaded() ? QStringLiteral("<opened>") : d.texts().join(u'\n');
    });
    QTest::newRow("the builder's import in another process")
        << Attempt([](const WorkFolders& folders, ScriptedDialogs&) {
               BuilderProcess second(folders.work, {QStringLiteral("import")});
               return second.waitUntilEnded() ? QStringLiteral("<imported>") : second.output();
           });
    QTest::newRow("template creation")
        << Attempt([](const WorkFolders& folders, ScriptedDialogs& d) {
               RecordingSink log;
               const bool created = g_createDCTemplate(folders.work, log);
               return created || !QDir(folders.templates).isEmpty() ? QStringLiteral("<created>")
                                                                    : d.texts().join(u'\n');
           });
    QTest::newRow("reconstruction") << Attempt([](const WorkFolders&, ScriptedDialogs& d) {
        DcReconstruction reconstruction;
        reconstruction.g_show();
        d.clear();
        reconstruction.cmdReconstructDC_Click();
        return d.texts().join(u'\n');
    });
}

void DcBuilderSessionsTest::secondSessionIsRefusedAndTheFirstLosesNothing() {
    QFETCH(Attempt, attempt);
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    DcFixture fixture;
    WorkFolders folders(fixture);
    preparePlant(folders.work, m_plant);
    BuilderProcess first(folders.work, aboutToScan());
    QVERIFY2(first.waitUntilStopped(), qPrintable(first.output()));
    const auto held = folderState(folders.work);

    const QString refusal = attempt(folders, dialogs);
    const passwd* user = ::getpwuid(::geteuid());
    QVERIFY(user);
    const QString holder =
        QStringLiteral("The folder %1 is in use by another PXU Loader: user %2 "
                       "on %3, process %4, since ")
            .arg(QDir::toNativeSeparators(folders.work), QString::fromLocal8Bit(user->pw_name),
                 QSysInfo::machineHostName(), QString::number(first.pid()));
    QVERIFY2(refusal.contains(holder), qPrintable(refusal));
    QVERIFY(errors.reports().isEmpty());
    // Nothing of the first session's is touched, nothing is added.
    QCOMPARE(folderState(folders.work), held);
    QVERIFY(QDir(folders.upload).isEmpty());

    // The first session goes on and closes: its edit and its scan are in its version, and
    // nothing is left beside it.
    first.goOn();
    QVERIFY2(first.waitUntilEnded(), qPrintable(first.output()));
    const QString saved = QDir(folders.work).filePath(DcFixture::versionName(2));
    QCOMPARE(specialText(saved, dc::alias::manufacNo), QStringLiteral("M-KILL-1"));
    QVERIFY(queryValue(saved, "SELECT count(*) FROM sourceScan").toInt() > 0);
    QVERIFY(!QFile::exists(QDir(folders.work).filePath(DcFixture::versionName(3))));
    const QDir work(folders.work);
    QCOMPARE(work.entryList({"*-temp*", FolderLock::fileName()}, QDir::Files), QStringList());
}

void DcBuilderSessionsTest::lockOfAKilledSessionIsTakenOver() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    preparePlant(fixture.folder(), m_plant);
    BuilderProcess first(fixture.folder(), aboutToScan());
    QVERIFY2(first.waitUntilStopped(), qPrintable(first.output()));
    first.kill();
    const QString lockFile = fixture.path(FolderLock::fileName());
    QVERIFY(QFile::exists(lockFile)); // the killed session's, with no lock on it

    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY2(builder.isLoaded(), qPrintable(dialogs.texts().join(u'\n')));
    QFile lock(lockFile);
    QVERIFY(lock.open(QIODevice::ReadOnly));
    QVERIFY(lock.readAll().contains(
        QStringLiteral("process=%1\n").arg(QCoreApplication::applicationPid()).toUtf8()));
    lock.close();
    // The killed session's edit is kept aside as its leftover.
    const QStringList kept =
        QDir(fixture.folder()).entryList({"*-temp-leftover-*.md"}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(specialText(fixture.path(kept[0]), dc::alias::manufacNo), QStringLiteral("M-KILL-1"));
    builder.unload();
    QVERIFY(!QFile::exists(lockFile));
}

void DcBuilderSessionsTest::toolsOfOneSessionShareTheFolder() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    WorkFolders folders(fixture);
    preparePlant(folders.work, m_plant);
    DcBuilder builder;
    builder.g_show(folders.work);
    QVERIFY(builder.isLoaded());
    RecordingSink log;
    QVERIFY2(g_createDCTemplate(folders.work, log), qPrintable(log.lines.join(u'\n')));
    // The template's end leaves the builder's hold on the folder.
    BuilderProcess other(folders.work, {QStringLiteral("scan")});
    QVERIFY(!other.waitUntilEnded());
    QVERIFY2(other.output().contains(QStringLiteral("is in use by another PXU Loader")),
             qPrintable(other.output()));
    builder.unload();
    QVERIFY(!QFile::exists(QDir(folders.work).filePath(FolderLock::fileName())));
}

QTEST_MAIN(DcBuilderSessionsTest)
#include "dc_builder_sessions_test.moc"
