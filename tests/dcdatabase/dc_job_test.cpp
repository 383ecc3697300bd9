#include "core/error.h"
#include "dc_fixture.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/dc_schema.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

class DcJobTest : public QObject {
    Q_OBJECT
private slots:
    void jobCommitsWhatItWrote();
    void failureRollsBackEveryStatementAndEdit_data();
    void failureRollsBackEveryStatementAndEdit();
    void fileThatCannotBeOpenedIsAFailure();
    void tableCopyKeepsTypesCollationAndRows();
    void identifiersOnlyFromTheKnownSet_data();
    void identifiersOnlyFromTheKnownSet();
    void columnsAreComparedExactly();
};

void DcJobTest::jobCommitsWhatItWrote() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const auto failure = DcJob::run(file, [](DcJob& job) {
        job.execute(QStringLiteral("UPDATE dcEnums SET value = 9 WHERE name = ?"),
                    {QStringLiteral("PAR_TOT_NO_OF_CYL")});
        auto rs =
            job.select(QStringLiteral("SELECT * FROM dcEnums WHERE name = 'PAR_RATED_SPEED'"));
        editRow(*rs, {{col::value, 750}});
    });
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QCOMPARE(queryValue(file, "SELECT value FROM dcEnums WHERE name = 'PAR_TOT_NO_OF_CYL'").toInt(),
             9);
    QCOMPARE(queryValue(file, "SELECT value FROM dcEnums WHERE name = 'PAR_RATED_SPEED'").toInt(),
             750);
}

using Failing = std::function<void(DcJob&)>;

void DcJobTest::failureRollsBackEveryStatementAndEdit_data() {
    QTest::addColumn<Failing>("fail");
    QTest::addColumn<QString>("told");
    QTest::newRow("job failure") << Failing([](DcJob&) { failJob(QStringLiteral("step 3")); })
                                 << "step 3";
    QTest::newRow("statement the database refuses")
        << Failing([](DcJob& job) { job.execute(QStringLiteral("UPDATE noSuchTable SET x = 1")); })
        << "noSuchTable";
    QTest::newRow("unexpected failure of the program")
        << Failing([](DcJob&) { raise(6, QStringLiteral("test"), QStringLiteral("Overflow")); })
        << "Overflow";
}

void DcJobTest::failureRollsBackEveryStatementAndEdit() {
    QFETCH(Failing, fail);
    QFETCH(QString, told);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const QString before = dumpDatabase(file);
    const auto failure = DcJob::run(file, [&](DcJob& job) {
        job.execute(QStringLiteral("ALTER TABLE dcEnums ADD COLUMN introduced smallint"));
        job.copyTable(table::dcEnums, table::dcEnumsBackup);
        job.execute(QStringLiteral("DELETE FROM dcEnums WHERE id >= 0"));
        auto rs = job.select(QStringLiteral("SELECT * FROM plantInfo"));
        editRow(*rs, {{col::hullNo, QStringLiteral("X")}});
        fail(job);
    });
    QVERIFY(failure);
    QVERIFY2(failure->contains(told), qPrintable(*failure));
    QCOMPARE(dumpDatabase(file), before);
}

void DcJobTest::fileThatCannotBeOpenedIsAFailure() {
    DcFixture fixture;
    bool ran = false;
    const auto failure =
        DcJob::run(fixture.path(QStringLiteral("missing.mdb")), [&](DcJob&) { ran = true; });
    QVERIFY(failure);
    QVERIFY(!ran);
    QVERIFY(!QFile::exists(fixture.path(QStringLiteral("missing.mdb"))));
}

void DcJobTest::tableCopyKeepsTypesCollationAndRows() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QVERIFY(!DcJob::run(file, [](DcJob& job) {
        job.copyTable(table::dcEnums, table::dcEnumsBackup);
        QVERIFY_THROWS_EXCEPTION(JobFailure, job.copyTable(table::dcEnums, table::dcEnumsBackup));
    }));
    const QString columns = QStringLiteral("SELECT group_concat(name || ' ' || type, ',') FROM "
                                           "pragma_table_info(?)");
    QCOMPARE(queryValue(file, columns, {QStringLiteral("dcEnumsBackup")}),
             queryValue(file, columns, {QStringLiteral("dcEnums")}));
    QCOMPARE(queryValue(file, "SELECT count(*) FROM dcEnumsBackup").toInt(),
             queryValue(file, "SELECT count(*) FROM dcEnums").toInt());
    // Text compares without regard to letter case in the copy too.
    QCOMPARE(
        queryValue(file, "SELECT id FROM dcEnumsBackup WHERE name = 'par_tot_no_of_cyl'").toInt(),
        1026);
}

void DcJobTest::identifiersOnlyFromTheKnownSet_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind"); // 0 table, 1 column, 2 a column of the table's own
    QTest::addColumn<bool>("known");
    QTest::newRow("table") << "dcEnums" << 0 << true;
    QTest::newRow("table in another case") << "DCENUMS" << 0 << true;
    QTest::newRow("backup table") << "alarmEnumsBackup" << 0 << true;
    QTest::newRow("statement as table") << "dcEnums; DROP TABLE version" << 0 << false;
    QTest::newRow("column named like a keyword") << "upDate" << 1 << true;
    QTest::newRow("column index") << "index" << 1 << true;
    QTest::newRow("column from a file") << "value\" = 0 --" << 1 << false;
    QTest::newRow("the table's own column") << "plantColumn" << 2 << true;
    QTest::newRow("no column of the table") << "minValue" << 2 << false;
    QTest::newRow("own column from a file") << "value\" = 0 --" << 2 << false;
}

void DcJobTest::identifiersOnlyFromTheKnownSet() {
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(bool, known);
    const QStringList tableColumns{QStringLiteral("value"), QStringLiteral("plantColumn")};
    const auto quoted = [&] {
        return kind == 0   ? tableId(name)
               : kind == 1 ? columnId(name)
                           : ownColumnId(tableColumns, name);
    };
    if (known)
        QCOMPARE(quoted(), u'"' + name + u'"');
    else
        QVERIFY_THROWS_EXCEPTION(JobFailure, quoted());
}

void DcJobTest::columnsAreComparedExactly() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QVERIFY(!DcJob::run(file, [](DcJob& job) {
        QVERIFY(job.hasTable(QStringLiteral("DCENUMS")));
        QVERIFY(job.hasColumn(table::dcEnums, col::deadBand));
        QVERIFY(!job.hasColumn(table::dcEnums, QStringLiteral("DeadBand")));
        QVERIFY(!job.hasColumn(table::dcEnums, col::introduced));
        QVERIFY(!job.dropTable(table::version));
    }));
}

QTEST_MAIN(DcJobTest)
#include "dc_job_test.moc"
