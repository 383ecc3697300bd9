#include "dcbuilder/build_bin_file.h"
#include "image_fixture.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// One layout row as the VALUES of dcBinFile.
QString row(int step, const QString& content, const QString& value, int width,
            const QString& cls = {}, const QString& loops = {}, int goTo = 0,
            const QString& varGroup = {}) {
    const auto text = [](const QString& t) {
        return t.isEmpty() ? QStringLiteral("NULL") : u'\'' + t + u'\'';
    };
    return QStringLiteral("(%1, %2, %3, %4, %5, %6, %7, %8)")
        .arg(step)
        .arg(text(cls), text(varGroup), text(content), text(value))
        .arg(width)
        .arg(text(loops))
        .arg(goTo == 0 ? QStringLiteral("NULL") : QString::number(goTo));
}

QString rows(const QStringList& list) {
    return list.join(QStringLiteral(", "));
}

} // namespace

class LayoutInterpreterTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dialogs.clear(); }
    void buildsFields_data();
    void buildsFields();
    void wrappedNumbersAreWarnedAbout_data();
    void wrappedNumbersAreWarnedAbout();
    void loops_data();
    void loops();
    void refusals_data();
    void refusals();
    void imageBeyondWhatS28ReachesFails();
    void readsFieldsBackIntoTheSymbols();
    void loopOfNoPassWritesAndReadsNoRecord_data();
    void loopOfNoPassWritesAndReadsNoRecord();
    void readPastTheEndFailsAndWritesNothing();
    void stepLog_data();
    void stepLog();

private:
    ScriptedDialogs m_dialogs;
};

void LayoutInterpreterTest::buildsFields_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("start");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("end");
    QTest::newRow("address 6 before a 4-byte step")
        << row(1, "n", "4660", 4) << 6 << hexBytes("000000000000 0000 00001234") << 12;
    QTest::newRow("a 16-character special text at 8")
        << row(1, "hullNo", "DC_SWINFO_HULL_NO_", 16) << 8
        << QByteArray(16, '\0') + "HULL-0815       " << 32;
    QTest::newRow("4660 in two bytes") << row(1, "n", "4660", 2) << 0 << hexBytes("1234") << 2;
    QTest::newRow("-1 in one byte") << row(1, "n", "-1", 1) << 0 << hexBytes("FF") << 1;
    QTest::newRow("-256 in one byte") << row(1, "n", "-256", 1) << 0 << hexBytes("00") << 1;
    QTest::newRow("hexadecimal in four bytes")
        << row(1, "n", "&H10", 4) << 0 << hexBytes("00000010") << 4;
    QTest::newRow("halves round to even")
        << rows({row(1, "n", "2.5", 1), row(2, "n", "3.5", 1)}) << 0 << hexBytes("0204") << 2;
    QTest::newRow("a constant by its name")
        << row(1, "n", "THREE", 2) << 0 << hexBytes("0003") << 2;
    QTest::newRow("build 123 at 68") << row(1, "build", "DC_SWINFO_BUILD", 4) << 68
                                     << QByteArray(68, '\0') + hexBytes("00000123") << 72;
    QTest::newRow("build 123 in two bytes")
        << row(1, "build", "DC_SWINFO_BUILD", 2) << 0 << hexBytes("0123") << 2;
    QTest::newRow("a special text of 8 holding ABC")
        << row(1, "engineType", "DC_SWINFO_ENGINE_TYPE_", 8) << 0 << QByteArray("ABC     ") << 8;
    QTest::newRow("a special number of width 3 goes as its text")
        << row(1, "build", "DC_SWINFO_BUILD", 3) << 0 << QByteArray("&H1") << 3;
    QTest::newRow("a text of 3 aligned to 3")
        << rows({row(1, "n", "1", 1), row(2, "fupId", "TABLE", 3, "PARAMETER", {}, 0, "GLB")}) << 0
        << QByteArray("\x01\0\0F-A", 6) << 6;
    QTest::newRow("a staying TABLE_ step first takes the first row in id order")
        << row(1, "value", "TABLE_", 4, "VARIABLE") << 0 << hexBytes("0000000A") << 4;
}

void LayoutInterpreterTest::buildsFields() {
    QFETCH(QString, layout);
    QFETCH(int, start);
    QFETCH(QByteArray, image);
    QFETCH(int, end);
    DcFixture fixture;
    const QString file = smallPlant(fixture, layout);

    const PassOutcome out = runPass(file, true, "dc", start);

    QVERIFY2(out.ok, qPrintable(out.lines.join(u'\n')));
    QCOMPARE(out.bytes.toHex(' '), image.toHex(' '));
    QCOMPARE(out.address, end);
    QCOMPARE(out.lines, QStringList{"   Build DC-Bin-File"});
    QVERIFY(m_dialogs.shown().isEmpty());
}

void LayoutInterpreterTest::wrappedNumbersAreWarnedAbout_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("image");
    QTest::newRow("300 in one byte") << "300" << 1 << hexBytes("2C");
    QTest::newRow("65536 in two bytes") << "65536" << 2 << hexBytes("0000");
    QTest::newRow("-32769 in two bytes") << "-32769" << 2 << hexBytes("7FFF");
}

void LayoutInterpreterTest::wrappedNumbersAreWarnedAbout() {
    QFETCH(QString, value);
    QFETCH(int, width);
    QFETCH(QByteArray, image);
    DcFixture fixture;
    const QString file = smallPlant(
        fixture, row(1, "value", "TABLE", width, "PARAMETER", {}, 0, "ENG"),
        QStringLiteral("UPDATE dcEnums SET value = %1 WHERE name = 'PAR_B';").arg(value));

    const PassOutcome out = runPass(file, true, "dc", 0);

    QVERIFY(out.ok);
    QCOMPARE(out.bytes, image);
    QCOMPARE(out.lines.size(), 2);
    QCOMPARE(out.lines.last(),
             QStringLiteral("      Warning: step 1: PAR_B = %1 does not fit %2 byte(s) and is "
                            "stored as %3.")
                 .arg(value)
                 .arg(width)
                 .arg(QString::fromLatin1(image.toHex(' ').toUpper())));
}

void LayoutInterpreterTest::loops_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QByteArray>("image");
    // id (2 bytes), value (4 bytes) of PAR_A and PAR_C: the GLB parameters.
    const QByteArray glb = hexBytes("0400 0000 0000000A 0402 0000 0000001E 0403 0000 00000032");
    QTest::newRow("loops 3 over the GLB parameters")
        << rows({row(1, "id", "TABLE", 2, "PARAMETER", "3", 0, "GLB"),
                 row(2, "value", "TABLE_", 4, "PARAMETER", {}, 1, "GLB")})
        << glb;
    QTest::newRow("the loop count by a constant's name")
        << rows({row(1, "id", "TABLE", 2, "PARAMETER", "NO_OF_GLB", 0, "GLB"),
                 row(2, "value", "TABLE_", 4, "PARAMETER", {}, 1, "GLB")})
        << glb;
    QTest::newRow("loops 2 with a step before the body")
        << rows({row(1, "count", "THREE", 1), row(2, "id", "TABLE", 2, "PARAMETER", "2", 0, "GLB"),
                 row(3, "minValue", "TABLE_", 1, "PARAMETER", {}, 2, "GLB")})
        << hexBytes("03 00 0400 FF 00 0402 FD");
    QTest::newRow("a later loop starts from the first row again")
        << rows({row(1, "id", "TABLE", 2, "VARIABLE", "1", 1),
                 row(2, "value", "TABLE", 1, "VARIABLE", "1", 2)})
        << hexBytes("0800 28");
    QTest::newRow("the last row of the goto's step number is the target")
        << rows({row(1, "id", "TABLE", 2, "PARAMETER", "2", 0, "GLB"),
                 row(1, "minValue", "TABLE_", 1, "PARAMETER", {}, 0, "GLB"),
                 row(2, "n", "7", 1, {}, {}, 1)})
        << hexBytes("0400 FF 07 FF 07");
}

void LayoutInterpreterTest::loops() {
    QFETCH(QString, layout);
    QFETCH(QByteArray, image);
    DcFixture fixture;
    const QString file = smallPlant(fixture, layout);

    const PassOutcome out = runPass(file, true, "dc", 0);

    QVERIFY2(out.ok, qPrintable(out.lines.join(u'\n')));
    QCOMPARE(out.bytes.toHex(' '), image.toHex(' '));
}

void LayoutInterpreterTest::refusals_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("line");
    const auto loopBody = [](const QString& loops) {
        return rows({row(1, "id", "TABLE", 2, "PARAMETER", loops, 0, "GLB"),
                     row(2, "value", "TABLE_", 4, "PARAMETER", {}, 1, "GLB"),
                     row(3, "n", "1", 1, "", "2"), row(4, "n", "2", 1, {}, {}, 3)});
    };
    QTest::newRow("ABC in a text of 8")
        << row(1, "fupId", "TABLE", 8, "VARIABLE") << "UPDATE dcEnums SET fupId = 'ABC';"
        << "Step 1 (fupId): the text 'ABC' is shorter than its 8 characters.";
    QTest::newRow("an unknown constant") << row(1, "n", "NO_SUCH", 2) << ""
                                         << "Step 1 (n): ID NO_SUCH not found";
    QTest::newRow("a parameter is no constant") << row(1, "n", "FOUR", 2) << ""
                                                << "Step 1 (n): ID FOUR not found";
    QTest::newRow("a missing special number")
        << row(1, "build", "DC_SWINFO_BUILD", 4)
        << "DELETE FROM dcEnums WHERE name = 'PAR_SWINFO_BUILD';"
        << "Step 1 (build): the special symbol DC_SWINFO_BUILD is not found or has no value.";
    QTest::newRow("a special number without value")
        << row(1, "build", "DC_SWINFO_BUILD", 4)
        << "UPDATE dcEnums SET value = NULL WHERE name = 'PAR_SWINFO_BUILD';"
        << "Step 1 (build): the special symbol DC_SWINFO_BUILD is not found or has no value.";
    QTest::newRow("a missing special text")
        << row(1, "hullNo", "DC_SWINFO_HULL_NO_", 16)
        << "DELETE FROM dcEnums WHERE name LIKE 'PAR_SWINFO_HULL_NO_%';"
        << "Step 1 (hullNo): the special symbol DC_SWINFO_HULL_NO_ is not found.";
    QTest::newRow("a build number of more digits than its field holds")
        << row(1, "build", "DC_SWINFO_BUILD", 1) << ""
        << "Step 1 (build): DC_SWINFO_BUILD = 123 has more digits than 1 bytes hold.";
    QTest::newRow("a negative build number")
        << row(1, "build", "DC_SWINFO_BUILD", 4)
        << "UPDATE dcEnums SET value = -5 WHERE name = 'PAR_SWINFO_BUILD';"
        << "Step 1 (build): DC_SWINFO_BUILD = -5 is negative: no packed BCD.";
    QTest::newRow("a width of 0") << row(1, "n", "1", 0) << ""
                                  << "Step 1 (n): the width 0 is no width of a field.";
    QTest::newRow("no width") << "(1, NULL, NULL, 'n', '1', NULL, NULL, NULL)"
                              << ""
                              << "Step 1 (n): the width  is no width of a field.";
    QTest::newRow("no further symbol")
        << loopBody("4") << ""
        << "Step 1 (id): no further symbol of class PARAMETER in group GLB.";
    QTest::newRow("a goto to no step")
        << rows({row(1, "n", "1", 1, {}, "2"), row(2, "n", "1", 1, {}, {}, 9)}) << ""
        << "Step 2 (n): goto 9: there is no step 9.";
    QTest::newRow("a value that is no number")
        << row(1, "value", "TABLE", 4, "VARIABLE")
        << "UPDATE dcEnums SET value = 'x1' WHERE name = 'GLB_X';"
        << "Step 1 (value): 'x1' is no number of 32 bits.";
    QTest::newRow("a value beyond 32 bits")
        << row(1, "value", "TABLE", 4, "VARIABLE")
        << "UPDATE dcEnums SET value = 4294967296 WHERE name = 'GLB_X';"
        << "Step 1 (value): '4294967296' is no number of 32 bits.";
    QTest::newRow("an empty value") << row(1, "value", "TABLE", 2, "VARIABLE")
                                    << "UPDATE dcEnums SET value = NULL WHERE name = 'GLB_X';"
                                    << "Step 1 (value): the value is empty.";
    QTest::newRow("-257 in one byte") << row(1, "n", "-257", 1) << ""
                                      << "Step 1 (n): -257 does not fit its byte.";
    QTest::newRow("loops -1") << loopBody("-1") << ""
                              << "Step 1 (id): the loop count -1 gives no pass.";
    QTest::newRow("loops 0 and no step that ends the loop")
        << row(1, "n", "1", 1, {}, "0") << ""
        << "Step 1 (n): the loop count 0 gives no pass, and no step ends the loop with goto 1.";
    QTest::newRow("an unknown loop constant") << loopBody("NO_SUCH") << ""
                                              << "Step 1 (id): ID NO_SUCH not found";
    QTest::newRow("a goto without a loop count")
        << rows({row(1, "n", "1", 1), row(2, "n", "2", 1, {}, {}, 1)}) << ""
        << "Step 2 (n): goto 1 without a loop count.";
    QTest::newRow("steps that never end")
        << rows({row(1, "n", "1", 1, {}, "2"), row(2, "n", "2", 1, {}, {}, 1),
                 row(3, "n", "3", 1, {}, "2"), row(4, "n", "4", 1, {}, {}, 1)})
        << ""
        << "Step 1 (n): the layout's steps never end: the jumps come round to this step with "
           "the same loop count again.";
    QTest::newRow("a column the symbols lack") << row(1, "nope", "TABLE", 2, "VARIABLE") << ""
                                               << "Step 1 (nope): dcEnums has no column nope.";
}

void LayoutInterpreterTest::refusals() {
    QFETCH(QString, layout);
    QFETCH(QString, sql);
    QFETCH(QString, line);
    DcFixture fixture;
    const QString file = smallPlant(fixture, layout, sql);

    const PassOutcome out = runPass(file, true, "dc", 0);

    QVERIFY(!out.ok);
    QCOMPARE(out.lines.constLast(), QStringLiteral("      ") + line);
}

void LayoutInterpreterTest::imageBeyondWhatS28ReachesFails() {
    DcFixture fixture;
    const QString file = smallPlant(fixture, rows({row(1, "n", "1", 1), row(2, "m", "2", 4)}));
    const PassOutcome out = runPass(file, true, "dc", 0xFFFFFE);
    QVERIFY(!out.ok);
    QCOMPARE(out.lines.last(), QStringLiteral("      Step 2 (m): the image grows beyond 16 MiB."));
}

void LayoutInterpreterTest::readsFieldsBackIntoTheSymbols() {
    DcFixture fixture;
    const QString file = smallPlant(
        fixture,
        rows({row(1, "n", "1", 1), row(2, "value", "TABLE", 2, "PARAMETER", "2", 0, "GLB"),
              row(3, "minValue", "TABLE_", 1, "PARAMETER", {}, 0, "GLB"),
              row(4, "fupId", "TABLE_", 3, "PARAMETER", {}, 2, "GLB"),
              row(5, "value", "TABLE", 4, "VARIABLE"), row(6, "build", "DC_SWINFO_BUILD", 4)}));
    // 01; PAR_A: FF FF, FF, "A=1"; PAR_C: 7F FE, 80, "C=3"; GLB_X: FF FF FF FE; the build
    // number, which is not read back. Stuffing bytes between them.
    const QByteArray image =
        hexBytes("01 00 FFFF FF 00 413D31 00 7FFE 80 0000 433D33 0000 FFFFFFFE 00000123");

    const PassOutcome out = runPass(file, false, "dc", 0, image);

    QVERIFY2(out.ok, qPrintable(out.lines.join(u'\n')));
    QCOMPARE(out.lines.first(), QStringLiteral("   Read DC-Bin-File"));
    QCOMPARE(out.address, 28);
    QCOMPARE(out.bytes, image);
    QCOMPARE(queryColumn(file,
                         "SELECT value FROM dcEnums WHERE name IN ('PAR_A', 'PAR_B', 'PAR_C', "
                         "'PAR_D', 'GLB_X') ORDER BY id"),
             (QVariantList{-1, 20, 32766, 50, -2}));
    QCOMPARE(queryColumn(file, "SELECT minValue FROM dcEnums WHERE name IN ('PAR_A', 'PAR_C') "
                               "ORDER BY id"),
             (QVariantList{255, 128}));
    QCOMPARE(queryColumn(file, "SELECT fupId FROM dcEnums WHERE name IN ('PAR_A', 'PAR_C') "
                               "ORDER BY id"),
             (QVariantList{"A=1", "C=3"}));
    QCOMPARE(queryValue(file, "SELECT typeof(value) FROM dcEnums WHERE name = 'PAR_A'").toString(),
             QStringLiteral("integer"));
}

void LayoutInterpreterTest::loopOfNoPassWritesAndReadsNoRecord_data() {
    QTest::addColumn<QString>("loops");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("loops 0") << "0"
                             << "2   id: loops 0: steps 2 to 3 skipped";
    QTest::newRow("a loop constant of 0") << "NO_OF_LUB"
                                          << "2   id: loops NO_OF_LUB = 0: steps 2 to 3 skipped";
}

void LayoutInterpreterTest::loopOfNoPassWritesAndReadsNoRecord() {
    QFETCH(QString, loops);
    QFETCH(QString, logLine);
    DcFixture fixture;
    // A loop over the group LUB, which has no parameters, between a field and the GLB loop.
    const QString file = smallPlant(
        fixture,
        rows({row(1, "n", "7", 1), row(2, "id", "TABLE", 2, "PARAMETER", loops, 0, "LUB"),
              row(3, "value", "TABLE_", 4, "PARAMETER", {}, 2, "LUB"),
              row(4, "id", "TABLE", 2, "PARAMETER", "NO_OF_GLB", 0, "GLB"),
              row(5, "value", "TABLE_", 4, "PARAMETER", {}, 4, "GLB")}),
        "INSERT INTO sourceScan VALUES ('NO_OF_LUB', 0, 'CONSTANT');");

    const PassOutcome built = runPass(file, true, "dc", 0, {}, true);
    QVERIFY2(built.ok, qPrintable(built.lines.join(u'\n')));
    QCOMPARE(built.bytes.toHex(' '),
             hexBytes("07 00 0400 0000000A 0402 0000 0000001E 0403 0000 00000032").toHex(' '));
    QCOMPARE(built.address, 24);
    QFile log(fixture.path(QStringLiteral("PXU_DATA.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(log.readAll()).split(QStringLiteral("\r\n")).mid(0, 3),
             (QStringList{"1   n: 7    ", logLine, "stuffingbytes 1"}));
    log.close();

    const PassOutcome read =
        runPass(file, false, "dc", 0,
                hexBytes("07 00 0400 0000000B 0402 0000 0000001F 0403 0000 00000033"), true);
    QVERIFY2(read.ok, qPrintable(read.lines.join(u'\n')));
    QCOMPARE(read.address, 24);
    QCOMPARE(queryColumn(file, "SELECT value FROM dcEnums WHERE class = 'PARAMETER' AND "
                               "varGroup = 'GLB' AND id >= 0 ORDER BY id"),
             (QVariantList{11, 31, 51}));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromLatin1(log.readAll()).contains(logLine + QStringLiteral("\r\n")));
}

void LayoutInterpreterTest::readPastTheEndFailsAndWritesNothing() {
    DcFixture fixture;
    const QString file = smallPlant(fixture, rows({row(1, "value", "TABLE", 2, "VARIABLE"),
                                                   row(2, "minValue", "TABLE_", 4, "VARIABLE")}));
    const QString before = dumpDatabase(file);

    const PassOutcome out = runPass(file, false, "dc", 0, hexBytes("0001 0000 0002"));

    QVERIFY(!out.ok);
    QCOMPARE(out.lines.last(), QStringLiteral("      Step 2 (minValue): the image ends at byte "
                                              "6; the field needs bytes 4 to 7."));
    QCOMPARE(dumpDatabase(file), before);
}

void LayoutInterpreterTest::stepLog_data() {
    QTest::addColumn<bool>("debug");
    QTest::addColumn<bool>("build");
    QTest::newRow("build with /debug") << true << true;
    QTest::newRow("build without /debug") << false << true;
    QTest::newRow("read without /debug") << false << false;
}

void LayoutInterpreterTest::stepLog() {
    QFETCH(bool, debug);
    QFETCH(bool, build);
    DcFixture fixture;
    const QString file =
        smallPlant(fixture, rows({row(1, "n", "1", 2), row(2, "value", "TABLE", 4, "VARIABLE")}));
    const QString log = fixture.path(QStringLiteral("PXU_DATA.txt"));
    QFile old(log);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an old step log\r\n");
    old.close();

    const PassOutcome out = runPass(file, build, "dc", 0, hexBytes("0001 0000 00000028"), debug);

    QVERIFY(out.ok);
    QCOMPARE(QFile::exists(log), debug);
    if (debug) {
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(),
                 QByteArray("1   n: 1    \r\nstuffingbytes 2\r\n2   value: 40    GLB_X\r\n"));
    }
}

QTEST_MAIN(LayoutInterpreterTest)
#include "layout_interpreter_test.moc"
