// Files written whole: a write that fails anywhere (a full disk, a folder that cannot be
// written) leaves the file as it was and says which file and why; scratch files of killed
// jobs are removed at the next start.
#include "core/file_write_failure.h"
#include "core/new_file.h"
#include "core/scratch_files.h"
#include "support/small_disk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

using namespace pxu;
using namespace pxu::test;

namespace {

constexpr int kChunks = 5;
constexpr int kChunkBytes = 40 * 1024;
const QString kDiskFull = QStringLiteral("the disk is full");

QByteArray chunk(int n) {
    return QByteArray(kChunkBytes, char('a' + n));
}

// The text written in chunks, as the S-record and report writers write theirs.
bool writeChunks(QIODevice& out) {
    for (int n = 0; n < kChunks; ++n) {
        if (out.write(chunk(n)) != kChunkBytes)
            return false;
    }
    return true;
}

QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// A process id that no process has: that of a child that has ended.
qint64 endedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// This machine as scratch names carry it.
QString machine() {
    const QString name = QFileInfo(scratchFileTemplate(QStringLiteral("/x"), {})).fileName();
    return name.mid(9).section(u'-', 0, -3); // after "~scratch-", before "-<pid>-XXXXXX"
}

} // namespace

class NewFileTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { clearInjectedWriteFailure(); }
    void failedWriteAtAnyStepLeavesTheFileAsItWas_data();
    void failedWriteAtAnyStepLeavesTheFileAsItWas();
    void fullDiskLeavesTheFileAsItWas_data();
    void fullDiskLeavesTheFileAsItWas();
    void folderThatCannotTakeTheFileIsNamed();
    void scratchFilesOfEndedJobsAreRemoved();
};

void NewFileTest::failedWriteAtAnyStepLeavesTheFileAsItWas_data() {
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a new file, disk full") << false << ENOSPC << kDiskFull;
    QTest::newRow("over a file, disk full") << true << ENOSPC << kDiskFull;
    QTest::newRow("over a file, quota used up") << true << EDQUOT << kDiskFull;
    QTest::newRow("over a file, an input/output error")
        << true << EIO << QStringLiteral("Input/output error");
}

void NewFileTest::failedWriteAtAnyStepLeavesTheFileAsItWas() {
    QFETCH(bool, existing);
    QFETCH(int, error);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("PXU_DATA.S19"));
    const QByteArray old = "the old file\r\n";
    if (existing) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    }
    const QStringList before = filesIn(dir.path());
    int steps = 0;
    for (;; ++steps) {
        injectWriteFailure(steps, error);
        const auto failure = writeFileWhole(target, writeChunks);
        if (!injectedWriteFailureCame()) {
            QVERIFY(!failure);
            break;
        }
        QVERIFY2(failure, qPrintable(QString::number(steps)));
        QCOMPARE(failure->file(), target);
        QCOMPARE(failure->reason(), reason);
        QCOMPARE(contents(target), existing ? old : QByteArray("<none>"));
        QCOMPARE(filesIn(dir.path()), before); // no scratch file stays
    }
    // Every chunk, the flush to the disk and the rename.
    QCOMPARE(steps, kChunks + 2);
    QByteArray whole;
    for (int n = 0; n < kChunks; ++n)
        whole += chunk(n);
    QCOMPARE(contents(target), whole);
    QCOMPARE(filesIn(dir.path()), QStringList{"PXU_DATA.S19"});
}

void NewFileTest::fullDiskLeavesTheFileAsItWas_data() {
    QTest::addColumn<bool>("existing");
    QTest::newRow("a new file") << false;
    QTest::newRow("over a file") << true;
}

void NewFileTest::fullDiskLeavesTheFileAsItWas() {
    QFETCH(bool, existing);
    QTemporaryDir dir;
    SmallDisk disk(dir.filePath(QStringLiteral("disk")), 1024 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.whyNot()));
    const QString target = QDir(disk.path()).filePath(QStringLiteral("PXU_DATA.S19"));
    const QByteArray old(10000, 'o');
    if (existing) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    }
    const QStringList before = filesIn(disk.path());
    bool failed = false;
    for (qint64 free = 0;; free += 12 * 1024) {
        QVERIFY(free < 2 * kChunks * kChunkBytes);
        disk.leaveFree(free);
        const auto failure = writeFileWhole(target, writeChunks);
        if (!failure)
            break;
        failed = true;
        QCOMPARE(failure->text(), cannotBeWritten(target, kDiskFull));
        QCOMPARE(contents(target), existing ? old : QByteArray("<none>"));
        QCOMPARE(filesIn(disk.path()), before);
    }
    QVERIFY(failed);
    QCOMPARE(contents(target).size(), kChunks * kChunkBytes);
    disk.leaveFree(0);
    QCOMPARE(whyNotWritable(target), kDiskFull);
}

void NewFileTest::folderThatCannotTakeTheFileIsNamed() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("missing"));
    const QString target = QDir(folder).filePath(QStringLiteral("x.bin"));
    const auto failure = writeFileWhole(target, QByteArrayView("x"));
    QVERIFY(failure);
    QCOMPARE(failure->text(), cannotBeWritten(target, QStringLiteral("the folder %1 does not exist")
                                                          .arg(QDir::toNativeSeparators(folder))));
}

void NewFileTest::scratchFilesOfEndedJobsAreRemoved() {
    QTemporaryDir dir;
    const QString here = machine();
    QVERIFY(!here.isEmpty());
    const QString ended = QString::number(endedProcess());
    const QStringList gone{
        // A killed job's copy with its journal, and one of an older program without owner.
        "~scratch-" + here + "-" + ended + "-aB3dE9.mdb",
        "~scratch-" + here + "-" + ended + "-aB3dE9.mdb-journal",
        "~scratch-Xy12Zq.mdb",
    };
    const QStringList kept{
        // A running process's (the first process's), another machine's, and a version.
        "~scratch-" + here + "-1-Qw3rTy.mdb",
        "~scratch-another.machine-" + ended + "-Qw3rTy.mdb",
        "DORN Update Tool-PXU-DC-001.mdb",
    };
    for (const QString& name : gone + kept) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // And one of this process, in use.
    QTemporaryFile own(scratchFileTemplate(dir.path(), QStringLiteral(".mdb")));
    QVERIFY(own.open());
    QVERIFY(isScratchFile(QFileInfo(own.fileName()).fileName()));

    QCOMPARE(removeLeftoverScratchFiles(dir.path()), QStringList{});
    QStringList expected = kept;
    expected << QFileInfo(own.fileName()).fileName();
    expected.sort();
    QCOMPARE(filesIn(dir.path()), expected);
}

QTEST_MAIN(NewFileTest)
#include "new_file_test.moc"
