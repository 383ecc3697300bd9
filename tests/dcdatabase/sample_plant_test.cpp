#include "core/config_items.h"
#include "core/globals.h"
#include "dc_fixture.h"
#include "dcdatabase/special_symbols.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

// The sample plant is what scripts/run and the later data-container tests start from: it
// must be a database the migration, the build and the reconstruction can work on.
class SamplePlantTest : public QObject {
    Q_OBJECT
private slots:
    void isAnOldDatabase();
    void hullNumberIsTheProjectName();
    void idRulesHold();
    void loopConstantsCountTheirSymbols();
    void specialStepsLieWhereTheImageNeedsThem();
    void alarmReferencesAllResolve_data();
    void alarmReferencesAllResolve();
    void everyAliasHasItsSymbol();
};

void SamplePlantTest::isAnOldDatabase() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QCOMPARE(queryValue(file, "SELECT count(*) FROM sqlite_master WHERE name = 'version'").toInt(),
             0);
    const QString columns =
        QStringLiteral("SELECT group_concat(name, ',') FROM pragma_table_info(?)");
    const QString dcEnums = queryValue(file, columns, {QStringLiteral("dcEnums")}).toString();
    for (const char* old : {"deadBand", "module", "index", "oldId"})
        QVERIFY2(dcEnums.split(u',').contains(QLatin1String(old)), old);
    QVERIFY(!dcEnums.contains(QLatin1String("introduced")));
    QCOMPARE(queryValue(file, "SELECT count(*) FROM plantInfo").toInt(), 1);
}

void SamplePlantTest::hullNumberIsTheProjectName() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QCOMPARE(g_projectName.size(), 16);
    QCOMPARE(queryValue(file, "SELECT HullNo FROM plantInfo").toString(), g_projectName);
    QCOMPARE(specialText(file, alias::hullNo), g_projectName);
}

void SamplePlantTest::idRulesHold() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QCOMPARE(queryValue(file, "SELECT count(*) FROM dcEnums WHERE class = 'PARAMETER' AND id >= "
                              "2048")
                 .toInt(),
             0);
    QCOMPARE(queryValue(file, "SELECT count(*) FROM dcEnums WHERE class = 'VARIABLE' AND id "
                              "BETWEEN 0 AND 2047")
                 .toInt(),
             0);
    QCOMPARE(queryColumn(file, "SELECT id FROM dcEnums WHERE id < 0 ORDER BY id"),
             (QVariantList{-2, -1}));
    QVERIFY(queryValue(file, "SELECT count(*) FROM dcEnums WHERE id >= 0 AND class = "
                             "'PARAMETER'")
                .toInt() >= 140);
    QCOMPARE(queryValue(file, "SELECT count(*) FROM (SELECT name FROM dcEnums GROUP BY name "
                              "HAVING count(*) > 1)")
                 .toInt(),
             0);
}

void SamplePlantTest::loopConstantsCountTheirSymbols() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const QString loops = QStringLiteral(
        "SELECT b.loops, c.id, (SELECT count(*) FROM %1Enums e WHERE e.id >= 0 AND e.class = "
        "b.class AND (b.class <> 'PARAMETER' OR e.varGroup = b.varGroup)) "
        "FROM %1BinFile b LEFT JOIN sourceScan c ON c.name = b.loops AND c.class = 'CONSTANT' "
        "WHERE b.loops IS NOT NULL");
    for (const char* part : {"dc", "alarm"}) {
        auto d = std::make_shared<db::Database>();
        QVERIFY(d->open(file, true));
        db::Recordset rs;
        QVERIFY(rs.open(d, loops.arg(QLatin1String(part))));
        QVERIFY(rs.recordCount() > 0);
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            QVERIFY2(!rs.value(1).isNull() && rs.value(1).toInt() == rs.value(2).toInt(),
                     qPrintable(rs.text(0)));
    }
}

void SamplePlantTest::specialStepsLieWhereTheImageNeedsThem() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const QVariantList widths =
        queryColumn(file, "SELECT noOfBytes FROM dcBinFile ORDER BY step LIMIT 7");
    QList<int> starts;
    int address = 0;
    for (const QVariant& w : widths) {
        const int n = w.toInt();
        if (address % n)
            address += n - address % n;
        starts << address;
        address += n;
    }
    QCOMPARE(starts, (QList<int>{0, 16, 32, 48, 64, 68, 72}));
    QCOMPARE(queryValue(file, "SELECT count(*) FROM dcBinFile WHERE content = 'deadBand'").toInt(),
             1);
    QCOMPARE(
        queryValue(file, "SELECT value FROM dcBinFile WHERE content = 'dcVersion'").toString(),
        queryValue(file, "SELECT id FROM sourceScan WHERE name = 'DAT_DC_VERSION'").toString());
}

void SamplePlantTest::alarmReferencesAllResolve_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("references");
    QTest::addColumn<int>("none");
    const QString symbols = QStringLiteral("SELECT id, name FROM dcEnums WHERE id >= 0");
    QTest::newRow("signalIndex") << "signalIndex" << symbols << -1;
    QTest::newRow("onDelayIndex") << "onDelayIndex" << symbols << -1;
    QTest::newRow("offDelayIndex") << "offDelayIndex" << symbols << -1;
    QTest::newRow("onOffDelayId") << "onOffDelayId"
                                  << "SELECT id, name FROM sourceScan WHERE class = 'DELAY_INST'"
                                  << 255;
}

void SamplePlantTest::alarmReferencesAllResolve() {
    QFETCH(QString, column);
    QFETCH(QString, references);
    QFETCH(int, none);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    // A name resolves to its symbol's id; an id alone resolves to a symbol.
    const QString unresolved = QStringLiteral(
        "SELECT count(*) FROM alarmEnums a WHERE a.id >= 0 AND CASE "
        "WHEN length(coalesce(a.%1Name, '')) > 0 THEN NOT EXISTS (SELECT 1 FROM (%2) r WHERE "
        "r.name = a.%1Name AND r.id = a.%1) "
        "WHEN a.%1 <> %3 THEN NOT EXISTS (SELECT 1 FROM (%2) r WHERE r.id = a.%1) "
        "ELSE 0 END");
    QCOMPARE(queryValue(file, unresolved.arg(column, references).arg(none)).toInt(), 0);
    QVERIFY(queryValue(file, QStringLiteral("SELECT count(*) FROM alarmEnums WHERE id >= 0 AND "
                                            "%1 <> %2")
                                 .arg(column)
                                 .arg(none))
                .toInt() > 0);
}

void SamplePlantTest::everyAliasHasItsSymbol() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QStringList numbers{alias::swVersion, alias::build, alias::developerNo,
                        alias::bootloaderVersion, alias::crcFirstApplication};
    for (int group = 1; group <= 7; ++group)
        numbers << alias::crcFirstGroup + QString::number(group);
    for (const QString& a : numbers)
        QVERIFY2(
            queryValue(file, "SELECT count(*) FROM dcEnums WHERE name = ?", {g_getSymbolName(a)})
                    .toInt() == 1,
            qPrintable(a));
    for (const QString& a :
         {QString(alias::engineType), QString(alias::hullNo), QString(alias::manufacNo),
          QString(alias::epiDbNo), QString(alias::imoSwNo)})
        QVERIFY2(queryValue(file, "SELECT count(*) FROM dcEnums WHERE name = ?",
                            {g_getSymbolName(a) + QStringLiteral("4")})
                         .toInt() == 1,
                 qPrintable(a));
}

QTEST_MAIN(SamplePlantTest)
#include "sample_plant_test.moc"
