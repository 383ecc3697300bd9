#include "platform/db/recordset.h"
#include "platform/db/sql_script.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace pxu::db;

class SqlScriptTest : public QObject {
    Q_OBJECT
private slots:
    void statementsEndAtTheirSemicolon_data();
    void statementsEndAtTheirSemicolon();
    void scriptStopsAtTheFirstFailingStatement();
};

void SqlScriptTest::statementsEndAtTheirSemicolon_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("two, the last without semicolon")
        << "CREATE TABLE t (a);\nINSERT INTO t VALUES (1)"
        << QStringList{"CREATE TABLE t (a)", "INSERT INTO t VALUES (1)"};
    QTest::newRow("semicolon and dashes inside a text")
        << "INSERT INTO t VALUES ('a;b -- c');" << QStringList{"INSERT INTO t VALUES ('a;b -- c')"};
    QTest::newRow("comments, with a semicolon and a quote")
        << "-- the table; it's new\nCREATE TABLE t (a); -- done; 'x\n"
        << QStringList{"CREATE TABLE t (a)"};
    QTest::newRow("empty statements dropped")
        << ";\n ; CREATE TABLE t (a);;" << QStringList{"CREATE TABLE t (a)"};
    QTest::newRow("a trigger's body up to its END")
        << "CREATE TRIGGER w AFTER INSERT ON t BEGIN INSERT INTO u VALUES (1); DELETE FROM v; "
           "END;\nSELECT 1;"
        << QStringList{"CREATE TRIGGER w AFTER INSERT ON t BEGIN INSERT INTO u VALUES (1); "
                       "DELETE FROM v; END",
                       "SELECT 1"};
    QTest::newRow("a temporary trigger, any letter case")
        << "create  temp trigger w after insert on t begin select 1; end; SELECT 2"
        << QStringList{"create  temp trigger w after insert on t begin select 1; end", "SELECT 2"};
}

void SqlScriptTest::statementsEndAtTheirSemicolon() {
    QFETCH(QString, text);
    QTEST(splitSqlStatements(text), "statements");
}

void SqlScriptTest::scriptStopsAtTheFirstFailingStatement() {
    QTemporaryDir dir;
    auto database = std::make_shared<Database>();
    QVERIFY(database->create(dir.filePath(QStringLiteral("s.mdb"))));
    QString failure;

    QVERIFY(!runSqlScript(*database,
                          QStringLiteral("CREATE TABLE t (a); INSERT INTO nothing VALUES (1); "
                                         "INSERT INTO t VALUES (2);"),
                          &failure));

    QVERIFY2(failure.endsWith(QStringLiteral("\nin: INSERT INTO nothing VALUES (1)")),
             qPrintable(failure));
    // The statement before it ran, the one after it did not.
    Recordset rows;
    QVERIFY(rows.open(database, QStringLiteral("SELECT * FROM t")));
    QCOMPARE(rows.recordCount(), 0);
}

QTEST_GUILESS_MAIN(SqlScriptTest)
#include "sql_script_test.moc"
