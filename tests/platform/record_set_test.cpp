#include "platform/db/recordset.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu::db;

class RecordSetTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void openRefusesFilesThatAreNoDatabase_data();
    void openRefusesFilesThatAreNoDatabase();
    void movesAndCountsLikeTheOriginalEngine();
    void findsOnTheCriterionForms_data();
    void findsOnTheCriterionForms();
    void findNextAndLastWalkTheMatches();
    void editAddNewAndDeleteWriteThroughByKey();
    void addedRowIsSeenByLaterFinds();
    void openRecordSetNeverLocksOutAnotherWriter();
    void readOnlyDatabaseRefusesEdits();

private:
    std::shared_ptr<Database> openDb(bool readOnly = false);
    QTemporaryDir m_dir;
    QString m_path;
};

std::shared_ptr<Database> RecordSetTest::openDb(bool readOnly) {
    auto db = std::make_shared<Database>();
    if (!db->open(m_path, readOnly))
        qFatal("open failed: %s", qPrintable(db->lastError()));
    return db;
}

void RecordSetTest::init() {
    m_path = m_dir.filePath(QStringLiteral("t%1.mdb").arg(QRandomGenerator::global()->generate()));
    Database db;
    QVERIFY(db.create(m_path));
    QVERIFY(db.execute(QStringLiteral(
        "CREATE TABLE miscellaneous (item TEXT COLLATE NOCASE PRIMARY KEY, value TEXT)")));
    const QList<QPair<QString, QVariant>> rows = {
        {QStringLiteral("applType"), QStringLiteral("ZENT")},
        {QStringLiteral("baudrateMBus"), QStringLiteral("125")},
        {QStringLiteral("it's"), QStringLiteral("quoted")},
        {QStringLiteral("lastUsedBus"), QStringLiteral("M-Bus")},
        {QStringLiteral("nothing"), QVariant()},
    };
    for (const auto& [item, value] : rows)
        QVERIFY(
            db.execute(QStringLiteral("INSERT INTO miscellaneous VALUES (?, ?)"), {item, value}));
    QVERIFY(db.execute(QStringLiteral("CREATE TABLE messages (MessageID INTEGER, MessageText TEXT, "
                                      "okButton INTEGER)")));
    QVERIFY(db.execute(QStringLiteral("INSERT INTO messages VALUES (1, 'one', 0), (3, 'three', 1),"
                                      " (3, 'three again', 0)")));
}

void RecordSetTest::openRefusesFilesThatAreNoDatabase_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("create");
    QTest::newRow("missing file") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("text file") << QByteArray("hello, this is no database\n").repeated(200) << true;
    QByteArray access(4096, '\0');
    access.replace(4, 15, "Standard Jet DB");
    QTest::newRow("access file") << access << true;
}

void RecordSetTest::openRefusesFilesThatAreNoDatabase() {
    QFETCH(QByteArray, content);
    QFETCH(bool, create);
    const QString path = m_dir.filePath(QStringLiteral("bad.mdb"));
    QFile::remove(path);
    if (create) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    Database db;
    QVERIFY(!db.open(path));
    QVERIFY(!db.lastError().isEmpty());
    QCOMPARE(QFile::exists(path), create); // never created
    if (create)
        QCOMPARE(QFileInfo(path).size(), qint64(content.size())); // never touched
}

void RecordSetTest::movesAndCountsLikeTheOriginalEngine() {
    Recordset rs;
    QVERIFY(rs.open(openDb(), QStringLiteral("SELECT * FROM miscellaneous ORDER BY item")));
    QCOMPARE(rs.recordCount(), 5);
    QCOMPARE(rs.fieldCount(), 2);
    QCOMPARE(rs.fieldName(0), QStringLiteral("item"));
    QCOMPARE(rs.text(QStringLiteral("ITEM")), QStringLiteral("applType"));
    QCOMPARE(rs.text(1), QStringLiteral("ZENT"));
    int count = 0;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        ++count;
    QCOMPARE(count, 5);
    QVERIFY(rs.text(0).isEmpty());
    rs.moveLast();
    QCOMPARE(rs.text(0), QStringLiteral("nothing"));
    QCOMPARE(rs.text(QStringLiteral("value")), QString()); // NULL reads as empty text
    QVERIFY(rs.setAbsolutePosition(2));
    QCOMPARE(rs.text(0), QStringLiteral("it's"));
    QCOMPARE(rs.valueAt(1, 1).toString(), QStringLiteral("125")); // read without moving
    QCOMPARE(rs.absolutePosition(), 2);
    QVERIFY(!rs.setAbsolutePosition(5));
    QVERIFY(!rs.valueAt(5, 0).isValid());
    QCOMPARE(rs.absolutePosition(), 2);
    rs.moveFirst();
    rs.movePrevious();
    QVERIFY(rs.bof());

    Recordset empty;
    QVERIFY(empty.open(openDb(), QStringLiteral("SELECT * FROM miscellaneous WHERE item = ?"),
                       {QStringLiteral("none")}));
    QVERIFY(empty.eof());
    QCOMPARE(empty.recordCount(), 0);
}

void RecordSetTest::findsOnTheCriterionForms_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    const QString misc = QStringLiteral("miscellaneous");
    const QString msgs = QStringLiteral("messages");
    QTest::newRow("text") << misc << "item='lastUsedBus'" << true << "value"
                          << "M-Bus";
    QTest::newRow("blanks around =") << misc << "item = 'lastUsedBus'" << true << "value"
                                     << "M-Bus";
    QTest::newRow("other letter case") << misc << "item='LASTUSEDBUS'" << true << "value"
                                       << "M-Bus";
    QTest::newRow("reverse on value") << misc << "value='zent'" << true << "item"
                                      << "applType";
    QTest::newRow("doubled quote") << misc << "item='it''s'" << true << "value"
                                   << "quoted";
    QTest::newRow("bracketed field") << misc << "[item]='applType'" << true << "value"
                                     << "ZENT";
    QTest::newRow("number") << msgs << "MessageID=3" << true << "MessageText"
                            << "three";
    QTest::newRow("number and text")
        << msgs << "MessageID=3 AND MessageText='THREE AGAIN'" << true << "okButton"
        << "0";
    QTest::newRow("missing") << misc << "item='nope'" << false << "item"
                             << "applType";
    QTest::newRow("unknown field") << misc << "itm='applType'" << false << "item"
                                   << "applType";
    QTest::newRow("unsupported form") << misc << "item LIKE 'a*'" << false << "item"
                                      << "applType";
}

void RecordSetTest::findsOnTheCriterionForms() {
    QFETCH(QString, table);
    QFETCH(QString, criteria);
    QFETCH(bool, found);
    QFETCH(QString, field);
    QFETCH(QString, text);
    Recordset rs;
    QVERIFY(rs.open(openDb(), QStringLiteral("SELECT * FROM %1").arg(table)));
    QCOMPARE(rs.findFirst(criteria), found);
    QCOMPARE(rs.noMatch(), !found);
    QCOMPARE(rs.text(field), text); // a miss leaves the current row where it was
}

void RecordSetTest::findNextAndLastWalkTheMatches() {
    Recordset rs;
    QVERIFY(rs.open(openDb(), QStringLiteral("SELECT * FROM messages ORDER BY MessageID")));
    QVERIFY(rs.findFirst(QStringLiteral("MessageID=3")));
    QCOMPARE(rs.text(QStringLiteral("MessageText")), QStringLiteral("three"));
    QVERIFY(rs.findNext(QStringLiteral("MessageID=3")));
    QCOMPARE(rs.text(QStringLiteral("MessageText")), QStringLiteral("three again"));
    QVERIFY(!rs.findNext(QStringLiteral("MessageID=3")));
    QVERIFY(rs.findLast(QStringLiteral("MessageID=1")));
    QCOMPARE(rs.text(QStringLiteral("MessageText")), QStringLiteral("one"));
}

void RecordSetTest::editAddNewAndDeleteWriteThroughByKey() {
    auto db = openDb();
    Recordset rs;
    QVERIFY(rs.open(db, QStringLiteral("SELECT * FROM miscellaneous ORDER BY item")));
    QVERIFY(rs.findFirst(QStringLiteral("item='lastUsedBus'")));
    QVERIFY(rs.edit());
    QVERIFY(rs.setValue(QStringLiteral("value"), QStringLiteral("S-Bus")));
    QVERIFY(rs.update());
    QCOMPARE(rs.text(QStringLiteral("value")), QStringLiteral("S-Bus"));
    QVERIFY(rs.addNew());
    QVERIFY(rs.setValue(QStringLiteral("item"), QStringLiteral("new'item")));
    QVERIFY(rs.setValue(QStringLiteral("value"), QStringLiteral("x")));
    QVERIFY(rs.update());
    QVERIFY(rs.findFirst(QStringLiteral("item='nothing'")));
    QVERIFY(rs.remove());

    Recordset fresh;
    QVERIFY(fresh.open(openDb(), QStringLiteral("SELECT * FROM miscellaneous ORDER BY item")));
    QVERIFY(fresh.findFirst(QStringLiteral("item='lastUsedBus'")));
    QCOMPARE(fresh.text(QStringLiteral("value")), QStringLiteral("S-Bus"));
    QVERIFY(fresh.findFirst(QStringLiteral("item='new''item'")));
    QVERIFY(!fresh.findFirst(QStringLiteral("item='nothing'")));
    QCOMPARE(fresh.recordCount(), 5);
}

void RecordSetTest::addedRowIsSeenByLaterFinds() {
    Recordset rs;
    QVERIFY(rs.open(openDb(), QStringLiteral("SELECT * FROM miscellaneous ORDER BY item")));
    QVERIFY(rs.addNew());
    QVERIFY(rs.setValue(QStringLiteral("item"), QStringLiteral("alias")));
    QVERIFY(rs.update());
    QVERIFY(rs.findFirst(QStringLiteral("item='ALIAS'")));
    QCOMPARE(rs.recordCount(), 6);
}

void RecordSetTest::openRecordSetNeverLocksOutAnotherWriter() {
    Recordset kept;
    QVERIFY(kept.open(openDb(), QStringLiteral("SELECT * FROM miscellaneous ORDER BY item")));
    kept.moveNext();
    auto writer = openDb();
    QVERIFY2(writer->execute(QStringLiteral("UPDATE miscellaneous SET value = 'x' WHERE item = ?"),
                             {QStringLiteral("applType")}),
             qPrintable(writer->lastError()));
    Recordset other;
    QVERIFY(other.open(openDb(), QStringLiteral("SELECT * FROM miscellaneous")));
    QVERIFY(other.findFirst(QStringLiteral("item='baudrateMBus'")));
    QVERIFY(other.edit());
    QVERIFY(other.setValue(QStringLiteral("value"), QStringLiteral("250")));
    QVERIFY2(other.update(), qPrintable(other.lastError()));
}

void RecordSetTest::readOnlyDatabaseRefusesEdits() {
    Recordset rs;
    QVERIFY(rs.open(openDb(true), QStringLiteral("SELECT * FROM miscellaneous")));
    QVERIFY(!rs.isUpdatable());
    QVERIFY(!rs.edit());
    QVERIFY(!rs.addNew());
}

QTEST_GUILESS_MAIN(RecordSetTest)
#include "record_set_test.moc"
