#include "core/srecord_file.h"
#include "dc_fixture.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/special_symbols.h"
#include "platform/crc/crc.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

// The values of a text symbol's rows 1 to 4.
QVariantList rowValues(const QString& file, const QString& symbol) {
    QVariantList values;
    for (int k = 1; k <= 4; ++k)
        values << queryValue(file, "SELECT value FROM dcEnums WHERE name = ?",
                             {symbol + QString::number(k)});
    return values;
}

struct Run {
    std::optional<QString> failure;
    bool changed = false;
    QStringList lines;
};

Run onSymbols(const QString& file, const std::function<void(SpecialSymbols&)>& body) {
    Run run;
    RecordingSink sink;
    run.failure = DcJob::run(file, [&](DcJob& job) {
        SpecialSymbols symbols(job, sink);
        body(symbols);
        run.changed = symbols.changed();
    });
    run.lines = sink.lines;
    return run;
}

constexpr qint32 group(char a, char b = 0, char c = 0, char d = 0) {
    return qint32(quint8(a) | quint8(b) << 8 | quint8(c) << 16 | quint32(quint8(d)) << 24);
}

} // namespace

class SpecialSymbolsTest : public QObject {
    Q_OBJECT
private slots:
    void textGoesFourCharactersARow_data();
    void textGoesFourCharactersARow();
    void textTooLongIsCutAndTold();
    void textWithoutFirstRowWritesNothing();
    void sameTextWritesNoRow();
    void characterThatCannotBeStoredWritesNoRow();
    void highCharacterReadsBackWithoutBit7();
    void numbers_data();
    void numbers();
    void numberThatIsNoNumberFailsTheJob();
    void plantInformationCopied_data();
    void plantInformationCopied();
    void emptyPlantInfoFieldLeavesItsSymbolAndTheCopyGoesOn_data();
    void emptyPlantInfoFieldLeavesItsSymbolAndTheCopyGoesOn();
    void softwareInformationFromScanAndApplication();
    void softwareInformationMissing();
    void dcVersion_data();
    void dcVersion();
};

void SpecialSymbolsTest::textGoesFourCharactersARow_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantList>("rows");
    QTest::newRow("ABCDEFG") << "ABCDEFG"
                             << QVariantList{group('A', 'B', 'C', 'D'), group('E', 'F', 'G'), 0, 0};
    QTest::newRow("empty") << "" << QVariantList{0, 0, 0, 0};
    QTest::newRow("sixteen") << "DORN Update Tool"
                             << QVariantList{group('D', 'O', 'R', 'N'), group(' ', 'U', 'p', 'd'),
                                             group('a', 't', 'e', ' '), group('T', 'o', 'o', 'l')};
}

void SpecialSymbolsTest::textGoesFourCharactersARow() {
    QFETCH(QString, text);
    QFETCH(QVariantList, rows);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QString label;
    const Run run =
        onSymbols(file, [&](SpecialSymbols& s) { s.setString(text, alias::hullNo, label); });
    QVERIFY(!run.failure);
    QCOMPARE(label, QStringLiteral("PAR_SWINFO_HULL_NO_ = "));
    QCOMPARE(run.lines, QStringList{"      PAR_SWINFO_HULL_NO_ = " + text});
    QCOMPARE(rowValues(file, QStringLiteral("PAR_SWINFO_HULL_NO_")), rows);
    QCOMPARE(specialText(file, alias::hullNo), text);
}

void SpecialSymbolsTest::textTooLongIsCutAndTold() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QString label;
    const Run run = onSymbols(file, [&](SpecialSymbols& s) {
        s.setString(QStringLiteral("ABCDEFGHIJKLMNOPQRST"), alias::manufacNo, label);
    });
    QCOMPARE(
        run.lines,
        (QStringList{"      PAR_SWINFO_MANUFAC_NO_ = ABCDEFGHIJKLMNOPQRST",
                     "      PAR_SWINFO_MANUFAC_NO_ = cut to 16 characters: ABCDEFGHIJKLMNOP"}));
    QCOMPARE(specialText(file, alias::manufacNo), QStringLiteral("ABCDEFGHIJKLMNOP"));
}

void SpecialSymbolsTest::textWithoutFirstRowWritesNothing() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"),
                                             QStringLiteral("DELETE FROM dcEnums WHERE name = "
                                                            "'PAR_SWINFO_IMO_SW_NO_1';"));
    const QString before = dumpDatabase(file);
    QString label;
    const Run run = onSymbols(file, [&](SpecialSymbols& s) {
        s.setString(QStringLiteral("IMO-1"), alias::imoSwNo, label);
    });
    QCOMPARE(run.lines,
             (QStringList{
                 "      PAR_SWINFO_IMO_SW_NO_ = Parameter PAR_SWINFO_IMO_SW_NO_ not found in DC!",
                 "      PAR_SWINFO_IMO_SW_NO_ = IMO-1"}));
    QVERIFY(!run.changed);
    QCOMPARE(dumpDatabase(file), before);
    QCOMPARE(specialText(file, alias::imoSwNo), QString());
}

void SpecialSymbolsTest::sameTextWritesNoRow() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const QString before = dumpDatabase(file);
    QString label;
    const Run run = onSymbols(file, [&](SpecialSymbols& s) {
        s.setString(QStringLiteral("DORN Update Tool"), alias::hullNo, label);
    });
    QVERIFY(!run.changed);
    QCOMPARE(run.lines.size(), 1);
    QCOMPARE(dumpDatabase(file), before);
}

void SpecialSymbolsTest::characterThatCannotBeStoredWritesNoRow() {
    // The fourth character of the second row has a code of 128 or more: the first row is
    // not written either.
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const QString before = dumpDatabase(file);
    QString label;
    const Run run = onSymbols(file, [&](SpecialSymbols& s) {
        s.setString(QStringLiteral("ABCDEFG") + QChar(0xE9), alias::hullNo, label);
    });
    QVERIFY(run.failure);
    QVERIFY2(run.failure->contains(QStringLiteral("PAR_SWINFO_HULL_NO_")),
             qPrintable(*run.failure));
    QCOMPARE(dumpDatabase(file), before);
}

void SpecialSymbolsTest::highCharacterReadsBackWithoutBit7() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QString label;
    QVERIFY(!onSymbols(file, [&](SpecialSymbols& s) {
                 s.setString(QString(QChar(0xC1)) + QStringLiteral("B"), alias::hullNo, label);
             }).failure);
    QCOMPARE(rowValues(file, QStringLiteral("PAR_SWINFO_HULL_NO_")).constFirst().toInt(),
             0xC1 | 'B' << 8);
    QCOMPARE(specialText(file, alias::hullNo), QStringLiteral("AB"));
}

void SpecialSymbolsTest::numbers_data() {
    QTest::addColumn<QString>("aliasName");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("format");
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("read");
    QTest::newRow("bootloader in hundredths")
        << QString(alias::bootloaderVersion) << "312" << false << "0.00" << qint64(312)
        << "      PAR_SWINFO_BOOTLOADER_VERSION = 3.12"
        << "312.00";
    QTest::newRow("build with leading zeros") << QString(alias::build) << "7" << false << "000"
                                              << qint64(7) << "      PAR_SWINFO_BUILD = 7"
                                              << "007";
    QTest::newRow("CRC in the upper half stored negative")
        << QString(alias::crcFirstApplication) << "-4660" << true << "" << qint64(-4660)
        << "      PAR_CRC_FIRST_APPLICATION = -4660  /  0xEDCC"
        << "-4660";
    QTest::newRow("hexadecimal text") << QString(alias::swVersion) << "&H10" << false << "00"
                                      << qint64(16) << "      PAR_SWINFO_SW_VERSION = 16"
                                      << "16";
}

void SpecialSymbolsTest::numbers() {
    QFETCH(QString, aliasName);
    QFETCH(QString, value);
    QFETCH(bool, hex);
    QFETCH(QString, format);
    QFETCH(qint64, stored);
    QFETCH(QString, line);
    QFETCH(QString, read);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    QString label;
    QString back;
    const Run run = onSymbols(file, [&](SpecialSymbols& s) {
        s.setLong(value, aliasName, label, {}, hex);
        back = s.getLong(aliasName, format);
    });
    QVERIFY(!run.failure);
    QCOMPARE(run.lines, QStringList{line});
    QCOMPARE(back, read);
    QCOMPARE(queryValue(file, "SELECT value FROM dcEnums WHERE name = ?", {label.chopped(3)})
                 .toLongLong(),
             stored);
}

void SpecialSymbolsTest::numberThatIsNoNumberFailsTheJob() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"));
    const QString before = dumpDatabase(file);
    QString label;
    const Run run = onSymbols(file, [&](SpecialSymbols& s) {
        s.setString(QStringLiteral("X"), alias::hullNo, label);
        label.clear();
        s.setLong(QStringLiteral("4a"), alias::build, label, {}, false);
    });
    QVERIFY(run.failure);
    QCOMPARE(dumpDatabase(file), before);
}

void SpecialSymbolsTest::plantInformationCopied_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<QString>("epiDbNo");
    QTest::newRow("all nine items")
        << "UPDATE plantInfo SET HullNo = 'H-2231', EpiDbNo = 'E-9';" << true << "E-9";
    QTest::newRow("table without EpiDbNo")
        << "ALTER TABLE plantInfo DROP COLUMN EpiDbNo; UPDATE plantInfo SET HullNo = 'H-2231';"
        << true << "EPI-0815";
    QTest::newRow("no plantInfo") << "DROP TABLE plantInfo;" << false << "EPI-0815";
    QTest::newRow("empty plantInfo") << "DELETE FROM plantInfo;" << false << "EPI-0815";
}

void SpecialSymbolsTest::plantInformationCopied() {
    QFETCH(QString, sql);
    QFETCH(bool, copied);
    QFETCH(QString, epiDbNo);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), sql);
    bool result = false;
    const Run run = onSymbols(file, [&](SpecialSymbols& s) { result = s.copyPlantInfos(); });
    QVERIFY(!run.failure);
    QCOMPARE(result, copied);
    QCOMPARE(specialText(file, alias::epiDbNo), epiDbNo);
    QCOMPARE(specialText(file, alias::hullNo),
             copied ? QStringLiteral("H-2231") : QStringLiteral("DORN Update Tool"));
    if (!copied)
        QVERIFY(run.lines.isEmpty());
    else
        QCOMPARE(run.lines.size(), epiDbNo == QLatin1String("E-9") ? 9 : 8);
}

void SpecialSymbolsTest::emptyPlantInfoFieldLeavesItsSymbolAndTheCopyGoesOn_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("empty"); // SQL text of the field's content
    QTest::addColumn<QString>("row");   // a dcEnums row of the field's symbol
    QTest::newRow("text null") << "HullNo"
                               << "NULL"
                               << "PAR_SWINFO_HULL_NO_1";
    QTest::newRow("text blank") << "EngineType"
                                << "'  '"
                                << "PAR_SWINFO_ENGINE_TYPE_1";
    QTest::newRow("number null") << "Build"
                                 << "NULL"
                                 << "PAR_SWINFO_BUILD";
    QTest::newRow("number blank") << "Bootloader"
                                  << "''"
                                  << "PAR_SWINFO_BOOTLOADER_VERSION";
}

void SpecialSymbolsTest::emptyPlantInfoFieldLeavesItsSymbolAndTheCopyGoesOn() {
    QFETCH(QString, field);
    QFETCH(QString, empty);
    QFETCH(QString, row);
    DcFixture fixture;
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"),
        QStringLiteral("UPDATE plantInfo SET %1 = %2, EpiDbNo = 'E-9';").arg(field, empty));
    const QVariant before = queryValue(file, "SELECT value FROM dcEnums WHERE name = ?", {row});
    bool result = false;
    const Run run = onSymbols(file, [&](SpecialSymbols& s) {
        result = s.copyPlantInfos();
        QCOMPARE(s.emptyPlantInfoFields().size(), 1);
    });
    QVERIFY2(!run.failure, qPrintable(run.failure.value_or(QString())));
    QVERIFY(result);
    QCOMPARE(queryValue(file, "SELECT value FROM dcEnums WHERE name = ?", {row}), before);
    QCOMPARE(specialText(file, alias::epiDbNo), QStringLiteral("E-9")); // the items after it
    QString symbol = row;
    if (symbol.endsWith(u'1'))
        symbol.chop(1);
    QVERIFY(run.lines.contains(QStringLiteral("      plantInfo: the field %1 is empty, %2 stays "
                                              "as it is")
                                   .arg(field, symbol)));
    QCOMPARE(run.lines.size(), 9);
}

void SpecialSymbolsTest::softwareInformationFromScanAndApplication() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"), QStringLiteral("UPDATE sourceScan SET id = 4 WHERE name = "
                                                "'APPL_VERSION';"));
    // An application whose CRC lies in the upper half of the 16-bit range.
    QByteArray image;
    for (int i = 0; i < 64; ++i)
        image.append(char(i * 7));
    image.append(char(0));
    image.append(char(0));
    for (int pad = 0; quint16(CrcCalculation(image.constData(), qint32(image.size()), 0)) < 0x8000;
         ++pad)
        image[image.size() - 1] = char(pad);
    const quint16 crc = quint16(CrcCalculation(image.constData(), qint32(image.size()), 0));
    QVERIFY(g_binToSRec(image, 0x30000, QStringLiteral("S28"),
                        fixture.path(QStringLiteral("PXU_Application.S19"))));
    SwInfoOutcome outcome;
    const Run run =
        onSymbols(file, [&](SpecialSymbols& s) { outcome = s.setSwInfos(fixture.folder()); });
    QVERIFY(!run.failure);
    QVERIFY(outcome.swVersionFound && outcome.developerNoFound);
    QVERIFY(run.changed);
    const QString hex = QString::number(crc, 16).toUpper().rightJustified(4, u'0');
    QCOMPARE(
        run.lines,
        (QStringList{
            "   Write SW-Infos", "      PAR_SWINFO_SW_VERSION = 4",
            "      PAR_SWINFO_DEVELOPER_NO = 1305",
            QStringLiteral("      PAR_CRC_FIRST_APPLICATION = %1  /  0x%2").arg(crc).arg(hex)}));
    QCOMPARE(queryValue(file, "SELECT value FROM dcEnums WHERE name = 'PAR_CRC_FIRST_APPLICATION'")
                 .toInt(),
             int(crc));
}

void SpecialSymbolsTest::softwareInformationMissing() {
    DcFixture fixture;
    const QString file = fixture.samplePlant(
        QStringLiteral("a.mdb"),
        QStringLiteral(
            "DELETE FROM sourceScan WHERE name IN ('APPL_VERSION', 'APPL_DEVELOPER_NO');"));
    SwInfoOutcome outcome;
    const Run run =
        onSymbols(file, [&](SpecialSymbols& s) { outcome = s.setSwInfos(fixture.folder()); });
    QVERIFY(!outcome.swVersionFound && !outcome.developerNoFound);
    QVERIFY(!run.changed);
    QCOMPARE(
        run.lines,
        (QStringList{"   Write SW-Infos", "      SW-version not found -> check datacontainer.h!",
                     "      SW-developer-number not found -> check datacontainer.h!",
                     "      PXU_application.s19 not found -> Appl-CRC cannot be calculated!"}));
}

void SpecialSymbolsTest::dcVersion_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("stored");
    QTest::newRow("already equal")
        << "" << QStringList{"   Write DC-version 7 into DC", " "} << "7";
    QTest::newRow("changed") << "UPDATE sourceScan SET id = 8 WHERE name = 'DAT_DC_VERSION';"
                             << QStringList{"   Write DC-version 8 into DC", " "} << "8";
    QTest::newRow("constant missing")
        << "DELETE FROM sourceScan WHERE name = 'DAT_DC_VERSION';"
        << QStringList{"   DC-version not found -> check datacontainer.h!"} << "7";
    QTest::newRow("layout row missing")
        << "DELETE FROM dcBinFile WHERE content = 'dcVersion';"
        << QStringList{"   dcVersion not found -> check PXUdatacontainer.mdb!"} << QString();
}

void SpecialSymbolsTest::dcVersion() {
    QFETCH(QString, sql);
    QFETCH(QStringList, lines);
    QFETCH(QString, stored);
    DcFixture fixture;
    const QString file = fixture.samplePlant(QStringLiteral("a.mdb"), sql);
    const QString before = dumpDatabase(file);
    const Run run = onSymbols(file, [&](SpecialSymbols& s) { s.setDcVersion(); });
    QVERIFY(!run.failure);
    QVERIFY(!run.changed);
    QCOMPARE(run.lines, lines);
    QCOMPARE(queryValue(file, "SELECT value FROM dcBinFile WHERE content = 'dcVersion'").toString(),
             stored);
    if (stored == QLatin1String("7"))
        QCOMPARE(dumpDatabase(file), before);
}

QTEST_MAIN(SpecialSymbolsTest)
#include "special_symbols_test.moc"
