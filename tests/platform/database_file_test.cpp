#include "platform/db/database.h"
#include "platform/db/database_file.h"
#include "support/killed_session.h"
#include "support/other_writer.h"
#include "support/virtual_time.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;
using namespace pxu::db;
using pxu::test::leaveKilledInTransaction;
using pxu::test::OtherWriter;

namespace {

// A database whose one committed row holds the value.
void makeDatabase(const QString& path, int value) {
    Database db;
    QVERIFY(db.create(path));
    QVERIFY(db.execute(QStringLiteral("CREATE TABLE t (v INTEGER)")));
    QVERIFY(db.execute(QStringLiteral("INSERT INTO t VALUES (?)"), {value}));
}

// What the file holds when SQLite opens it as it lies: its value, "damaged" when SQLite
// finds it broken, "half a transaction" when it holds part of a killed one.
QString holds(const QString& path) {
    Database db;
    if (!db.open(path))
        return QStringLiteral("<%1>").arg(db.lastError());
    QSqlQuery query(db.connection());
    if (!query.exec(QStringLiteral("PRAGMA integrity_check")) || !query.next() ||
        query.value(0).toString() != QLatin1String("ok"))
        return QStringLiteral("damaged");
    if (query.exec(QStringLiteral("SELECT count(*) FROM killedSession")))
        return QStringLiteral("half a transaction");
    if (!query.exec(QStringLiteral("SELECT v FROM t")) || !query.next())
        return QStringLiteral("<%1>").arg(query.lastError().text());
    return query.value(0).toString();
}

QStringList companions(const QString& path) {
    QStringList found;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        if (QFile::exists(path + QLatin1String(suffix)))
            found << QFileInfo(path).fileName() + QLatin1String(suffix);
    }
    return found;
}

} // namespace

// A database is copied, moved or replaced only whole: a journal that a killed process left
// beside it is rolled back where the file lies first, and none stays behind to be rolled
// into the next file of that name.
class DatabaseFileTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void killedTransactionIsRolledBackWhereItLies_data();
    void killedTransactionIsRolledBackWhereItLies();
    void renameLeavesNoJournalUnderEitherName_data();
    void renameLeavesNoJournalUnderEitherName();
    void committedWriteAheadLogMovesWithTheFile();
    void fileAnotherProgramWritesIsToldSoAfterAShortWait_data();
    void fileAnotherProgramWritesIsToldSoAfterAShortWait();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void DatabaseFileTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
}

void DatabaseFileTest::killedTransactionIsRolledBackWhereItLies_data() {
    QTest::addColumn<bool>("writtenIntoTheFile");
    QTest::newRow("killed after it wrote pages into the file") << true;
    QTest::newRow("killed before it wrote the file") << false;
}

void DatabaseFileTest::killedTransactionIsRolledBackWhereItLies() {
    QFETCH(bool, writtenIntoTheFile);
    const QString file = path(QStringLiteral("a.mdb"));
    makeDatabase(file, 1);
    leaveKilledInTransaction(file, QStringLiteral("UPDATE t SET v = 2"), writtenIntoTheFile);

    QCOMPARE(recoverInPlace(file), std::nullopt);

    QCOMPARE(companions(file), QStringList());
    QCOMPARE(holds(file), QStringLiteral("1"));
    // Nothing left to do the second time.
    QCOMPARE(recoverInPlace(file), std::nullopt);
}

void DatabaseFileTest::renameLeavesNoJournalUnderEitherName_data() {
    QTest::addColumn<bool>("sourceKilled");
    QTest::addColumn<QString>("target"); // what lies at the target's name
    QTest::newRow("journal of a killed job beside the source") << true << "nothing";
    QTest::newRow("journal of a killed job beside the file replaced") << false << "killed";
    // The file was moved away without its journal, as a copy could have been.
    QTest::newRow("journal without its file at the target") << false << "journal alone";
}

void DatabaseFileTest::renameLeavesNoJournalUnderEitherName() {
    QFETCH(bool, sourceKilled);
    QFETCH(QString, target);
    const QString from = path(QStringLiteral("from.mdb"));
    const QString to = path(QStringLiteral("to.mdb"));
    makeDatabase(from, 1);
    if (sourceKilled)
        leaveKilledInTransaction(from, QStringLiteral("UPDATE t SET v = 2"));
    if (target != QLatin1String("nothing")) {
        makeDatabase(to, 7);
        leaveKilledInTransaction(to, QStringLiteral("UPDATE t SET v = 8"));
    }
    if (target == QLatin1String("journal alone"))
        QVERIFY(QFile::rename(to, path(QStringLiteral("moved away.mdb"))));

    QCOMPARE(renameDatabase(from, to), std::nullopt);

    QVERIFY(!QFile::exists(from));
    QCOMPARE(companions(from), QStringList());
    QCOMPARE(companions(to), QStringList());
    QCOMPARE(holds(to), QStringLiteral("1"));
}

void DatabaseFileTest::committedWriteAheadLogMovesWithTheFile() {
    const QString from = path(QStringLiteral("from.mdb"));
    const QString to = path(QStringLiteral("to.mdb"));
    makeDatabase(from, 1);
    {
        // A process that committed into its write-ahead log and was killed before the log
        // went into the file.
        Database killed;
        QVERIFY(killed.open(from));
        QVERIFY(killed.execute(QStringLiteral("PRAGMA journal_mode = WAL")));
        QVERIFY(killed.execute(QStringLiteral("PRAGMA wal_autocheckpoint = 0")));
        QVERIFY(killed.execute(QStringLiteral("UPDATE t SET v = 3")));
        for (const char* suffix : {"", "-wal"})
            QVERIFY(QFile::copy(from + QLatin1String(suffix),
                                path(QStringLiteral("killed")) + QLatin1String(suffix)));
    }
    for (const char* suffix : {"", "-wal"}) {
        QFile::remove(from + QLatin1String(suffix));
        QVERIFY(QFile::rename(path(QStringLiteral("killed")) + QLatin1String(suffix),
                              from + QLatin1String(suffix)));
    }
    QCOMPARE(pendingJournals(from), QStringList{from + QStringLiteral("-wal")});

    QCOMPARE(renameDatabase(from, to), std::nullopt);

    QCOMPARE(companions(from), QStringList());
    QCOMPARE(companions(to), QStringList());
    QCOMPARE(holds(to), QStringLiteral("3"));
}

using Attempt = std::function<QString(const QString& path)>;

void DatabaseFileTest::fileAnotherProgramWritesIsToldSoAfterAShortWait_data() {
    QTest::addColumn<OtherWriter::Stage>("stage");
    QTest::addColumn<Attempt>("attempt"); // the failure it meets
    const Attempt opening = [](const QString& path) {
        Database db;
        return db.open(path) ? QStringLiteral("<opened>") : db.lastError();
    };
    const Attempt writing = [](const QString& path) {
        Database db;
        if (!db.open(path))
            return db.lastError();
        return db.execute(QStringLiteral("BEGIN IMMEDIATE")) ? QStringLiteral("<writes>")
                                                             : db.lastError();
    };
    const Attempt recovering = [](const QString& path) {
        return recoverInPlace(path).value_or(QStringLiteral("<recovered>"));
    };
    using Stage = OtherWriter::Stage;
    QTest::newRow("opened while it writes the file") << Stage::writingTheFile << opening;
    QTest::newRow("written while it changes it") << Stage::changing << writing;
    QTest::newRow("recovered while it changes it") << Stage::changing << recovering;
    QTest::newRow("recovered while it writes the file") << Stage::writingTheFile << recovering;
}

void DatabaseFileTest::fileAnotherProgramWritesIsToldSoAfterAShortWait() {
    QFETCH(OtherWriter::Stage, stage);
    QFETCH(Attempt, attempt);
    const QString file = path(QStringLiteral("plant.mdb"));
    makeDatabase(file, 1);
    test::VirtualTime time;
    OtherWriter other(file, QStringLiteral("UPDATE t SET v = 2"), stage);
    const qint64 start = time.nowMs();
    QCOMPARE(attempt(file), writtenByAnotherProgram(file));
    // A short wait for the other program's commit, in program time: the window is not held.
    const qint64 waited = time.nowMs() - start;
    QVERIFY2(waited > 0 && waited <= 300, qPrintable(QString::number(waited)));
}

QTEST_GUILESS_MAIN(DatabaseFileTest)
#include "database_file_test.moc"
