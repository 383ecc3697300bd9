#include "dcbuilder/build_bin_file.h"
#include "image_fixture.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

bool bothPasses(const QString& database, DcImage& image, bool build, QStringList* lines = nullptr) {
    RecordingSink sink;
    const bool ok = buildBinFileParts(database, image, build, sink);
    if (lines)
        *lines = sink.lines;
    return ok;
}

// Clears every column the layout carries, but the ids that order the symbols.
void clearSymbolValues(const QString& database) {
    for (const QString part : {"dc", "alarm"}) {
        QStringList sets;
        for (const QVariant& column :
             queryColumn(database, QStringLiteral("SELECT DISTINCT content FROM %1BinFile WHERE "
                                                  "value LIKE 'TABLE%' AND content <> 'id'")
                                       .arg(part)))
            sets << QStringLiteral("\"%1\" = NULL").arg(column.toString());
        execute(database, QStringLiteral("UPDATE %1Enums SET %2 WHERE id >= 0")
                              .arg(part, sets.join(QStringLiteral(", "))));
    }
}

} // namespace

class ImageRoundTripTest : public QObject {
    Q_OBJECT
private slots:
    void samplePlantComesBackToTheSameBytes();
    void emptyParameterGroupHasNoRecordInTheImage();
};

void ImageRoundTripTest::samplePlantComesBackToTheSameBytes() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    DcImage built;
    built.path = fixture.path(QStringLiteral("PXU_DATA.bin"));
    QVERIFY(bothPasses(builderSamplePlant(fixture, QStringLiteral("built.mdb")), built, true));
    const QString copy = builderSamplePlant(fixture, QStringLiteral("copy.mdb"));
    clearSymbolValues(copy);
    QVERIFY(queryValue(copy, "SELECT value FROM dcEnums WHERE name = 'PAR_SWINFO_BUILD'").isNull());

    DcImage read = built;
    QStringList lines;
    QVERIFY(bothPasses(copy, read, false, &lines));
    QCOMPARE(lines, (QStringList{"   Read DC-Bin-File", "   Read ALARM-Bin-File"}));
    QCOMPARE(read.bytes, built.bytes);

    // Values come back as their columns hold them: a sync command from -1, a Modbus address
    // of 16 bits without sign.
    QCOMPARE(queryValue(copy, "SELECT value FROM dcEnums WHERE name = 'PAR_SWINFO_BUILD'").toInt(),
             41);
    QCOMPARE(queryValue(copy, "SELECT syncCmd FROM dcEnums WHERE name = 'GLB_ENG_RUNNING'").toInt(),
             -1);
    QCOMPARE(
        queryValue(copy, "SELECT modbusAddr FROM dcEnums WHERE name = 'GLB_CRC_LEN_APPLICATION'")
            .toInt(),
        32768 + 2099 - 2048);
    QCOMPARE(queryValue(copy, "SELECT fupId FROM alarmEnums WHERE name = 'ALM_HORN'").toString(),
             QStringLiteral("100037"));

    DcImage rebuilt;
    rebuilt.path = fixture.path(QStringLiteral("again.bin"));
    QVERIFY(bothPasses(copy, rebuilt, true));
    QCOMPARE(rebuilt.bytes.size(), built.bytes.size());
    QVERIFY(rebuilt.bytes == built.bytes);
    QVERIFY(dialogs.shown().isEmpty());
}

void ImageRoundTripTest::emptyParameterGroupHasNoRecordInTheImage() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString noLub =
        QStringLiteral("DELETE FROM dcEnums WHERE class = 'PARAMETER' AND varGroup = 'LUB';\n"
                       "UPDATE sourceScan SET id = 0 WHERE name = 'NO_OF_PAR_LUB';\n");
    const QString plant = builderSamplePlant(fixture, QStringLiteral("plant.mdb"), noLub);
    // The same plant whose layout has no loop over the group at all.
    const QString withoutLoop =
        builderSamplePlant(fixture, QStringLiteral("without-loop.mdb"),
                           noLub + QStringLiteral("DELETE FROM dcBinFile WHERE varGroup = 'LUB';"));

    DcImage built;
    built.path = fixture.path(QStringLiteral("PXU_DATA.bin"));
    QStringList lines;
    QVERIFY2(bothPasses(plant, built, true, &lines), qPrintable(lines.join(u'\n')));
    DcImage expected;
    expected.path = fixture.path(QStringLiteral("expected.bin"));
    QVERIFY(bothPasses(withoutLoop, expected, true));
    QVERIFY(built.bytes == expected.bytes);

    const QString copy = builderSamplePlant(fixture, QStringLiteral("copy.mdb"), noLub);
    clearSymbolValues(copy);
    DcImage read = built;
    QVERIFY2(bothPasses(copy, read, false, &lines), qPrintable(lines.join(u'\n')));
    DcImage rebuilt;
    rebuilt.path = fixture.path(QStringLiteral("again.bin"));
    QVERIFY(bothPasses(copy, rebuilt, true));
    QVERIFY(rebuilt.bytes == built.bytes);
    QVERIFY(dialogs.shown().isEmpty());
}

QTEST_MAIN(ImageRoundTripTest)
#include "image_round_trip_test.moc"
