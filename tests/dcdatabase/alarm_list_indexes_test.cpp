#include "dc_fixture.h"
#include "dcdatabase/alarm_list_indexes.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

const QString kAlarm = QStringLiteral("ALM_OVERSPEED");

struct Resolved {
    std::optional<QString> failure;
    int unresolved = -1;
    QStringList lines;
};

Resolved resolveColumn(const QString& file, const QString& column) {
    Resolved r;
    RecordingSink sink;
    r.failure = DcJob::run(
        file, [&](DcJob& job) { r.unresolved = g_buildAlarmListIndexes(job, column, sink); });
    r.lines = sink.lines;
    return r;
}

QVariant alarmField(const QString& file, const QString& column, const QString& alarm = kAlarm) {
    return queryValue(
        file, QStringLiteral("SELECT \"%1\" FROM alarmEnums WHERE name = ?").arg(column), {alarm});
}

// A field as text, NULL told apart from the empty text.
QString shown(const QVariant& v) {
    return v.isNull() ? QStringLiteral("NULL") : v.toString();
}

} // namespace

class AlarmListIndexesTest : public QObject {
    Q_OBJECT
private slots:
    void oneReference_data();
    void oneReference();
    void defaultRowsAreNoAlarms();
    void emptyAlarmTableCountsNothing();
    void unknownColumnFailsTheJob();
    void indexStepCompletesTheSamplePlant();
    void indexStepWarnsOnceAndGoesOn();
};

void AlarmListIndexesTest::oneReference_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<QVariant>("id");
    QTest::addColumn<QVariant>("nameAfter");
    QTest::addColumn<QVariant>("idAfter");
    QTest::addColumn<QString>("notFound"); // the reference the log names; empty: resolved
    const QVariant null;
    const QString signal = QStringLiteral("signalIndex");
    const QString delay = QStringLiteral("onOffDelayId");
    QTest::newRow("the name wins over the id")
        << signal << QVariant("GLB_ENGINE_SPEED") << QVariant(9999) << QVariant("GLB_ENGINE_SPEED")
        << QVariant(2048) << "";
    QTest::newRow("a name in other letter case")
        << signal << QVariant("glb_engine_speed") << null << QVariant("glb_engine_speed")
        << QVariant(2048) << "";
    QTest::newRow("an unknown name leaves the row")
        << signal << QVariant("NO_SUCH_SIGNAL") << QVariant(2048) << QVariant("NO_SUCH_SIGNAL")
        << QVariant(2048) << "NO_SUCH_SIGNAL";
    QTest::newRow("an id fills an empty name")
        << signal << QVariant("") << QVariant(2112) << QVariant("GLB_CYL_EXH_TEMP_00")
        << QVariant(2112) << "";
    QTest::newRow("an id fills a null name")
        << signal << null << QVariant(2112) << QVariant("GLB_CYL_EXH_TEMP_00") << QVariant(2112)
        << "";
    QTest::newRow("an unknown id")
        << signal << null << QVariant(7777) << null << QVariant(7777) << "7777";
    QTest::newRow("-1 is no signal")
        << signal << QVariant("") << QVariant(-1) << QVariant("") << QVariant(-1) << "";
    QTest::newRow("a null id is no signal") << signal << null << null << null << null << "";
    QTest::newRow("a parameter by id") << QStringLiteral("offDelayIndex") << null << QVariant(1207)
                                       << QVariant("LUB_PRESS_ALM_DELAY") << QVariant(1207) << "";
    QTest::newRow("a delay instance by id")
        << delay << QVariant("") << QVariant(7) << QVariant("ALM_DLY_120S") << QVariant(7) << "";
    QTest::newRow("255 is no delay")
        << delay << QVariant("") << QVariant(255) << QVariant("") << QVariant(255) << "";
    QTest::newRow("a delay name wins") << delay << QVariant("ALM_DLY_1S") << QVariant(4)
                                       << QVariant("ALM_DLY_1S") << QVariant(1) << "";
    QTest::newRow("a variable is no delay instance")
        << delay << QVariant("GLB_ENGINE_SPEED") << QVariant(255) << QVariant("GLB_ENGINE_SPEED")
        << QVariant(255) << "GLB_ENGINE_SPEED";
}

void AlarmListIndexesTest::oneReference() {
    QFETCH(QString, column);
    QFETCH(QVariant, name);
    QFETCH(QVariant, id);
    QFETCH(QVariant, nameAfter);
    QFETCH(QVariant, idAfter);
    QFETCH(QString, notFound);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    execute(file,
            QStringLiteral("UPDATE alarmEnums SET \"%1Name\" = ?, \"%1\" = ? WHERE name = ?")
                .arg(column),
            {name, id, kAlarm});

    const Resolved r = resolveColumn(file, column);

    QVERIFY2(!r.failure, qPrintable(r.failure.value_or(QString())));
    QCOMPARE(shown(alarmField(file, column + QStringLiteral("Name"))), shown(nameAfter));
    QCOMPARE(shown(alarmField(file, column)), shown(idAfter));
    QCOMPARE(r.unresolved, notFound.isEmpty() ? 0 : 1);
    QCOMPARE(
        r.lines,
        notFound.isEmpty()
            ? QStringList()
            : QStringList{
                  QStringLiteral("      Variable %1 not found (see %2)!").arg(notFound, kAlarm)});
}

void AlarmListIndexesTest::defaultRowsAreNoAlarms() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"),
        QStringLiteral(
            "UPDATE alarmEnums SET signalIndexName = 'NOPE', signalIndex = 5 WHERE id < 0;"));
    const Resolved r = resolveColumn(file, QStringLiteral("signalIndex"));
    QCOMPARE(r.unresolved, 0);
    QCOMPARE(alarmField(file, QStringLiteral("signalIndex"), QStringLiteral("ALM_DEFAULT")).toInt(),
             5);
}

void AlarmListIndexesTest::emptyAlarmTableCountsNothing() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"),
                                             QStringLiteral("DELETE FROM alarmEnums WHERE id >= 0;"
                                                            "\nDROP TABLE sourceScan;"));
    for (QLatin1String column : kAlarmReferenceColumns) {
        const Resolved r = resolveColumn(file, column);
        QVERIFY(!r.failure);
        QCOMPARE(r.unresolved, 0);
        QVERIFY(r.lines.isEmpty());
    }
}

void AlarmListIndexesTest::unknownColumnFailsTheJob() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const Resolved r = resolveColumn(file, QStringLiteral("name"));
    QVERIFY(r.failure);
    QVERIFY(r.failure->contains(QLatin1String("'name'")));
}

void AlarmListIndexesTest::indexStepCompletesTheSamplePlant() {
    DcFixture fixture;
    ScriptedDialogs dialogs;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    RecordingSink sink;

    QCOMPARE(buildAlarmListIndexes(file, sink), std::optional<int>(0));

    QCOMPARE(sink.lines, (QStringList{QStringLiteral("   Update id's in alarmEnums-table"),
                                      QStringLiteral(" ")}));
    QVERIFY(dialogs.shown().isEmpty());
    // The per-cylinder alarms gave their signal and delay by id only.
    QCOMPARE(alarmField(file, QStringLiteral("signalIndexName"),
                        QStringLiteral("ALM_CYL_EXH_TEMP_HIGH_03"))
                 .toString(),
             QStringLiteral("GLB_CYL_EXH_TEMP_03"));
    QCOMPARE(alarmField(file, QStringLiteral("onOffDelayIdName"),
                        QStringLiteral("ALM_CYL_EXH_TEMP_HIGH_03"))
                 .toString(),
             QStringLiteral("ALM_DLY_10S"));
    QCOMPARE(queryValue(file, "SELECT count(*) FROM alarmEnums WHERE id >= 0 AND signalIndex >= 0 "
                              "AND coalesce(signalIndexName, '') = ''")
                 .toInt(),
             0);
}

void AlarmListIndexesTest::indexStepWarnsOnceAndGoesOn() {
    DcFixture fixture;
    ScriptedDialogs dialogs;
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"),
        QStringLiteral("UPDATE alarmEnums SET signalIndexName = 'GONE' WHERE name = 'ALM_HORN';\n"
                       "UPDATE alarmEnums SET onOffDelayIdName = 'ALM_DLY_3S' WHERE name = "
                       "'ALM_SLOWDOWN';\n"
                       "UPDATE alarmEnums SET offDelayIndex = 4000 WHERE name = 'ALM_SHUTDOWN';"));
    RecordingSink sink;

    QCOMPARE(buildAlarmListIndexes(file, sink), std::optional<int>(3));

    QCOMPARE(sink.lines,
             (QStringList{QStringLiteral("   Update id's in alarmEnums-table"),
                          QStringLiteral("      Variable ALM_DLY_3S not found (see ALM_SLOWDOWN)!"),
                          QStringLiteral("      Variable GONE not found (see ALM_HORN)!"),
                          QStringLiteral("      Variable 4000 not found (see ALM_SHUTDOWN)!"),
                          QStringLiteral(" ")}));
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().first().title, QStringLiteral("ERROR"));
    QCOMPARE(dialogs.shown().first().icon, BoxIcon::Critical);
    QCOMPARE(dialogs.shown().first().text,
             QStringLiteral("Not all id's could be built because\r\nthe symbols are not found in "
                            "dcEnums!\r\nPlease check log and correct alarmEnums."));
    // The resolvable references were still written.
    QCOMPARE(alarmField(file, QStringLiteral("signalIndexName"),
                        QStringLiteral("ALM_CYL_EXH_TEMP_HIGH_00"))
                 .toString(),
             QStringLiteral("GLB_CYL_EXH_TEMP_00"));
}

QTEST_MAIN(AlarmListIndexesTest)
#include "alarm_list_indexes_test.moc"
