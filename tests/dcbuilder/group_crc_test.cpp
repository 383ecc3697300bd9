#include "dcbuilder/group_crc.h"
#include "dcbuilder/image_fields.h"
#include "image_fixture.h"
#include "platform/crc/crc.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

// The USER group (2) holds only the parameters the statements put into it.
const QString kOnlyTheseInUser =
    QStringLiteral("UPDATE dcEnums SET crcGroup = 0 WHERE crcGroup = 2;\n");

struct CrcRun {
    std::optional<QString> failure;
    qint32 crc = -7;
    qint32 length = -7;
    QString label;
    QStringList lines;
};

CrcRun runBuildCrc(const QString& file, int group, const QString& label = {}) {
    CrcRun run;
    run.label = label;
    RecordingSink sink;
    run.failure = DcJob::run(
        file, [&](DcJob& job) { buildCrc(job, group, run.label, run.crc, run.length, sink); });
    run.lines = sink.lines;
    return run;
}

QVariant crcSymbol(const QString& file,
                   const QString& name = QStringLiteral("PAR_CRC_FIRST_USER")) {
    return queryValue(file, "SELECT value FROM dcEnums WHERE name = ?", {name});
}

qint32 expectedCrc(const QByteArray& input) {
    return quint16(CrcCalculation(input.constData(), qint32(input.size()), 0));
}

// Three USER parameters with the values.
QString userValues(qint32 a, qint32 b, qint32 c) {
    return kOnlyTheseInUser + QStringLiteral("UPDATE dcEnums SET crcGroup = 2, value = CASE name "
                                             "WHEN 'ENG_KNOCK_LIMIT' THEN %1 WHEN 'ENG_GOV_DROOP' "
                                             "THEN %2 ELSE %3 END WHERE name IN "
                                             "('ENG_KNOCK_LIMIT', 'ENG_GOV_DROOP', "
                                             "'ENG_GOV_DEADBAND');")
                                  .arg(a)
                                  .arg(b)
                                  .arg(c);
}

} // namespace

class GroupCrcTest : public QObject {
    Q_OBJECT
private slots:
    void labels_data();
    void labels();
    void crcOverTheValuesAsLongs();
    void unchangedCrcIsNotWrittenAgain();
    void crcWithTheTopBitIsStoredPositive();
    void groupWithoutParameters();
    void missingCrcSymbolIsLogged();
    void valueThatIsNoNumberFails();

private:
    ScriptedDialogs m_dialogs;
};

void GroupCrcTest::labels_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
    QTest::newRow("BASIC") << "BASIC"
                           << "BASIC Paras CRC   = ";
    QTest::newRow("IMO") << "IMO"
                         << "IMO Paras CRC     = ";
    QTest::newRow("COMMIS") << "COMMIS"
                            << "COMMIS Paras CRC  = ";
}

void GroupCrcTest::labels() {
    QFETCH(QString, name);
    QFETCH(QString, label);
    QCOMPARE(crcGroupLabel(QLatin1String(name.toLatin1())), label);
    QCOMPARE(label.size(), 20);
}

void GroupCrcTest::crcOverTheValuesAsLongs() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), userValues(1, 256, -1));

    const CrcRun run = runBuildCrc(file, 2, crcGroupLabel(QLatin1String("USER")));

    QVERIFY(!run.failure);
    const qint32 crc = expectedCrc(hexBytes("00000001 00000100 FFFFFFFF"));
    QCOMPARE(run.crc, crc);
    QCOMPARE(run.length, 12);
    QCOMPARE(crcSymbol(file).toInt(), crc);
    const QString hex = QString::number(crc, 16).toUpper().rightJustified(4, u'0');
    QCOMPARE(run.lines, QStringList{"      USER Paras CRC    = 0x" + hex + "    12"});
}

void GroupCrcTest::unchangedCrcIsNotWrittenAgain() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), userValues(1, 256, -1));
    execute(file, "CREATE TABLE writes (name TEXT)");
    execute(file, "CREATE TRIGGER written AFTER UPDATE ON dcEnums BEGIN INSERT INTO writes "
                  "VALUES (new.name); END");
    QVERIFY(!runBuildCrc(file, 2).failure);
    QCOMPARE(queryColumn(file, "SELECT name FROM writes"), QVariantList{"PAR_CRC_FIRST_USER"});

    const CrcRun again = runBuildCrc(file, 2);

    QVERIFY(!again.failure);
    QCOMPARE(queryColumn(file, "SELECT name FROM writes"), QVariantList{"PAR_CRC_FIRST_USER"});
    QCOMPARE(again.label, QStringLiteral("PAR_CRC_FIRST_USER = "));
    QCOMPARE(again.lines.size(), 1);
}

void GroupCrcTest::crcWithTheTopBitIsStoredPositive() {
    // A value whose CRC has the top bit set.
    qint32 value = 0;
    while (expectedCrc(hexBytes("00000001 00000100") + numberField(value, 4)) < 0x8000)
        ++value;
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), userValues(1, 256, value));

    const CrcRun run = runBuildCrc(file, 2);

    QVERIFY(run.crc >= 0x8000 && run.crc <= 0xFFFF);
    QCOMPARE(crcSymbol(file).toInt(), run.crc);
}

void GroupCrcTest::groupWithoutParameters() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), kOnlyTheseInUser);
    const QVariant before = crcSymbol(file);

    const CrcRun run = runBuildCrc(file, 2, crcGroupLabel(QLatin1String("USER")));

    QVERIFY(!run.failure);
    QCOMPARE(run.crc, -7);
    QCOMPARE(run.length, -7);
    QCOMPARE(crcSymbol(file), before);
    QCOMPARE(run.lines,
             QStringList{QStringLiteral("      USER Paras CRC    = no parameters in this group!")});
}

void GroupCrcTest::missingCrcSymbolIsLogged() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"),
        userValues(1, 2, 3) +
            QStringLiteral("\nDELETE FROM dcEnums WHERE name = 'PAR_CRC_FIRST_USER';"));

    const CrcRun run = runBuildCrc(file, 2);

    QVERIFY(!run.failure);
    QCOMPARE(run.length, 12);
    QCOMPARE(run.lines, QStringList{QStringLiteral("      PAR_CRC_FIRST_USER = Parameter "
                                                   "PAR_CRC_FIRST_USER not found in DC!")});
}

void GroupCrcTest::valueThatIsNoNumberFails() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"),
        userValues(1, 2, 3) +
            QStringLiteral("\nUPDATE dcEnums SET value = 'x' WHERE name = 'ENG_GOV_DROOP';"));
    const QVariant before = crcSymbol(file);

    const CrcRun run = runBuildCrc(file, 2, crcGroupLabel(QLatin1String("USER")));

    QVERIFY(run.failure);
    QCOMPARE(*run.failure, QStringLiteral("USER Paras CRC    = the value 'x' of ENG_GOV_DROOP is "
                                          "no number of 32 bits."));
    QCOMPARE(crcSymbol(file), before);
}

QTEST_MAIN(GroupCrcTest)
#include "group_crc_test.moc"
