// The builder's jobs on a full disk: a disk that fills at any point of a job (a small file
// system of the test's own filled to every size, or a write of our own that fails at every
// step) loses nothing and leaves no file half written; the job either ends whole or says in
// one box which file could not be written and that the disk is full.
#include "core/folder_lock.h"
#include "core/globals.h"
#include "core/new_file.h"
#include "core/scratch_files.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/download_file_build.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/special_symbols.h"
#include "image_fixture.h"
#include "platform/db/database.h"
#include "sample_versions.h"
#include "support/recording_desktop.h"
#include "support/recording_error_handler.h"
#include "support/scripted_dialogs.h"
#include "support/small_disk.h"

#include <QDir>
#include <QSqlQuery>
#include <QtTest>
#include <cerrno>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kDiskFull = QStringLiteral(" cannot be written: the disk is full.");
const QString kOldPlant = QStringLiteral("older-schema.mdb");
const QString kList = QStringLiteral(PXU_SAMPLE_SIGNAL_LIST);

// One try of a job: its builder, its boxes and what reached the error reporter.
struct Try {
    QString folder;
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    RecordingDesktop desktop;
    DcBuilder builder;
    QString path(const QString& name) const { return QDir(folder).filePath(name); }
    QString version(int n) const { return path(DcFixture::versionName(n)); }
};

using Step = std::function<void(Try&)>;

// A job: what is done while the disk has room, what is done on the disk that fills, and
// what a job that ended without an error box has left.
struct Job {
    Step prepare;
    Step act;
    Step succeeded;
    bool writesItself = false; // copies or writes a file through our own code
    bool toldInList = true;    // the list tells the failure as the box does
};

void typeHullNumber(DcBuilder& builder, const QString& hull) {
    builder.tabAction_Click(tabInfo);
    builder.setInfoText(InfoBox::txtHullNo, hull);
    builder.txtInfo_LostFocus(InfoBox::txtHullNo);
}

void open(Try& t) {
    t.builder.g_show(t.folder);
    QVERIFY(t.builder.isLoaded());
}

void emptyFolder(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        QFile::remove(dir.filePath(name));
}

// The file a text names in the folder, with the words after it: "<file> cannot be ...".
QString namedFile(const QString& text, const QString& folder) {
    const qsizetype from = text.indexOf(QDir::toNativeSeparators(folder) + u'/');
    const qsizetype to = text.indexOf(kDiskFull, from);
    return from < 0 || to < 0 ? QString() : text.mid(from, to + kDiskFull.size() - from);
}

bool wholeDatabase(const QString& file) {
    db::Database database;
    if (!database.open(file, true))
        return false;
    QSqlQuery check(database.connection());
    return check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next() &&
           check.value(0).toString() == QLatin1String("ok");
}

QStringList files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// What every try leaves, whatever its end: no scratch file, every database whole, and each
// version the list says it saved there.
void checkNothingHalfWritten(Try& t) {
    for (const QString& name : files(t.folder)) {
        QVERIFY2(!isScratchFile(name), qPrintable(name));
        if (name.endsWith(QLatin1String(".mdb")) || name.endsWith(QLatin1String(".md")) ||
            name.endsWith(QLatin1String(".rep")))
            QVERIFY2(wholeDatabase(t.path(name)), qPrintable(name));
    }
    const QString saved = QStringLiteral("Result saved in new DC-Version ");
    for (const QString& line : t.builder.messages().lines()) {
        if (line.startsWith(saved))
            QVERIFY2(QFileInfo::exists(t.path(line.mid(saved.size()))), qPrintable(line));
    }
}

QMap<QString, Job> jobs() {
    QMap<QString, Job> all;
    all["opening"] = {[](Try&) {}, [](Try& t) { t.builder.g_show(t.folder); },
                      [](Try& t) { QVERIFY(t.builder.isLoaded()); }, true};
    // The schema update of the working copy, after the question.
    all["opening an older version"] = {
        [](Try& t) { QVERIFY(QFile::rename(t.path(kOldPlant), t.version(5))); },
        [](Try& t) { t.builder.g_show(t.folder); },
        [](Try& t) {
            QVERIFY(t.builder.isLoaded());
            QVERIFY(t.builder.dcChanged());
        },
        true, false};
    all["the build tab after an edit"] = {[](Try& t) {
                                              open(t);
                                              typeHullNumber(t.builder, QStringLiteral("H-9"));
                                          },
                                          [](Try& t) { t.builder.tabAction_Click(tabBuild); },
                                          [](Try& t) {
                                              QCOMPARE(specialText(t.version(5), dc::alias::hullNo),
                                                       QStringLiteral("H-9"));
                                          },
                                          true};
    all["an information box"] = {
        open, [](Try& t) { typeHullNumber(t.builder, QStringLiteral("H-9")); },
        [](Try& t) {
            QCOMPARE(specialText(t.builder.tempDcFile(), dc::alias::hullNo), QStringLiteral("H-9"));
        }};
    all["a header scan"] = {open, [](Try& t) { t.builder.cmdScanHeader_Click(); },
                            [](Try& t) { QVERIFY(QFileInfo::exists(t.version(5))); }, true};
    all["a signal-list import"] = {
        open,
        [](Try& t) {
            t.dialogs.answerFile(kList);
            t.builder.cmdScanSignalList_Click();
        },
        [](Try& t) {
            // Both sheets: the symbols the list does not name are marked (2) in each table.
            for (const auto& [table, notListed] : {std::pair{"dcEnums", 4}, {"alarmEnums", 2}})
                QCOMPARE(queryValue(t.version(5), QStringLiteral("SELECT count(*) FROM %1 WHERE "
                                                                 "\"upDate\" = 2")
                                                      .arg(QLatin1String(table)))
                             .toInt(),
                         notListed);
        },
        true};
    all["Build"] = {open, [](Try& t) { t.builder.cmdBuild_Click(); },
                    [](Try& t) {
                        QVERIFY(QFileInfo(t.path(dc::kDownloadFile)).size() > 1000);
                        QVERIFY(t.builder.messages().lines().filter(dc::kCannotBeBuilt).isEmpty());
                    },
                    true};
    all["Report"] = {open, [](Try& t) { t.builder.cmdReport_Click(); },
                     [](Try& t) {
                         QVERIFY(wholeDatabase(t.path("DORN Update Tool-PXU-DC-004.rep")));
                         QCOMPARE(t.desktop.urls().size(), 1);
                     },
                     true};
    return all;
}

} // namespace

class DcBuilderDiskFullTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        g_baseAdrDC = 0xC0000;
        g_debugMode = false;
    }
    void cleanup() { clearInjectedWriteFailure(); }
    void fullDiskIsToldInOneBoxAndLosesNothing_data();
    void fullDiskIsToldInOneBoxAndLosesNothing();
};

void DcBuilderDiskFullTest::fullDiskIsToldInOneBoxAndLosesNothing_data() {
    QTest::addColumn<QString>("job");
    QTest::addColumn<bool>("smallDisk"); // else our own writes fail, one step after the other
    for (auto [name, job] : jobs().asKeyValueRange()) {
        QTest::newRow(qPrintable(name + QStringLiteral(", small disk"))) << name << true;
        if (job.writesItself)
            QTest::newRow(qPrintable(name + QStringLiteral(", failed write"))) << name << false;
    }
}

void DcBuilderDiskFullTest::fullDiskIsToldInOneBoxAndLosesNothing() {
    QFETCH(QString, job);
    QFETCH(bool, smallDisk);
    const Job what = jobs().value(job);
    ScriptedDialogs setupDialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, setupDialogs, 4);
    fixture.samplePlant(kOldPlant);
    copySampleLoadFiles(fixture.folder());
    for (const char* name : {"global.h", "library.h", "dataContainer.h"})
        QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_HEADERS "/") + QLatin1String(name),
                            fixture.path(QLatin1String(name))));
    // A download file of an earlier build, which stays unless a build writes it whole.
    {
        QFile earlier(fixture.path(dc::kDownloadFile));
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("S9030000FC\r\n") == 12);
    }
    const QString folder = fixture.path(QStringLiteral("plant"));
    std::optional<SmallDisk> disk;
    if (smallDisk) {
        disk.emplace(folder, 8 * 1024 * 1024);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
    }
    constexpr qint64 kStep = 12 * 1024;
    int failures = 0;
    for (int k = 0;; ++k) {
        QVERIFY2(k < 400, "the job never ends whole");
        QDir().mkpath(folder);
        emptyFolder(folder);
        for (const QString& name : files(fixture.folder()))
            QVERIFY(QFile::copy(fixture.path(name), QDir(folder).filePath(name)));
        Try t;
        t.folder = folder;
        what.prepare(t);
        if (QTest::currentTestFailed())
            return;
        t.dialogs.clear();
        t.builder.messages().clear();
        const auto before = folderState(folder);
        if (disk)
            disk->leaveFree(k * kStep);
        else
            injectWriteFailure(k, ENOSPC);
        what.act(t);
        const bool filled = disk || injectedWriteFailureCame();
        clearInjectedWriteFailure();
        if (disk)
            disk->freeAll();

        QVERIFY(t.errors.reports().isEmpty());
        const QStringList lines = t.builder.messages().lines();
        const QString told = (t.dialogs.texts() + lines).join(u'\n');
        QVERIFY2(!told.contains(QLatin1String("database or disk is full")), qPrintable(told));
        QVERIFY2(!told.contains(QLatin1String("~scratch")), qPrintable(told));
        checkNothingHalfWritten(t);
        if (QTest::currentTestFailed())
            return;
        QStringList errorBoxes;
        for (const BoxRequest& shown : t.dialogs.shown()) {
            if (shown.icon == BoxIcon::Critical)
                errorBoxes << shown.text;
        }
        if (errorBoxes.isEmpty()) {
            // On a small disk, the job may have had room; a write of ours that failed is told.
            QVERIFY2(disk || !filled, "a failed write went untold");
            what.succeeded(t);
            break;
        }
        ++failures;
        // One error box: the file that could not be written, and that the disk is full.
        QCOMPARE(errorBoxes.size(), 1);
        const QString file = namedFile(errorBoxes[0], folder);
        QVERIFY2(!file.isEmpty(), qPrintable(errorBoxes[0]));
        // The list names the same file, with the same words.
        if (what.toldInList)
            QVERIFY2(!lines.filter(file).isEmpty(), qPrintable(told));
        // A failed job saves no version (a scan or an import may have saved its own, and
        // then found no room for the fresh working copy); what was there stays.
        if (!lines.filter(QStringLiteral("Result saved in new DC-Version")).isEmpty())
            QVERIFY2(file.startsWith(QDir::toNativeSeparators(t.builder.tempDcFile()) + u' '),
                     qPrintable(told));
        const auto after = folderState(folder);
        // The session's own lock goes with the builder, which a failed job may have closed.
        for (auto [name, digest] : before.asKeyValueRange()) {
            if (name != QLatin1String("DORN Update Tool-PXU-DC-temp.md") &&
                name != QLatin1String("DORN Update Tool-PXU-DC-004.mdb") &&
                name != FolderLock::fileName())
                QVERIFY2(after.value(name) == digest, qPrintable(name));
        }
        t.builder.unload();
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY2(failures > 0, "the disk never filled in the job");
}

QTEST_MAIN(DcBuilderDiskFullTest)
#include "dc_builder_disk_full_test.moc"
