#include "core/globals.h"
#include "core/srecord_file.h"
#include "dcbuilder/download_file_build.h"
#include "dcbuilder/group_crc.h"
#include "image_fixture.h"
#include "platform/crc/crc.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace pxu;
using namespace pxu::dc;
using namespace pxu::test;

namespace {

const QString kOldFile = QStringLiteral("S0030000FC\r\nS9030000FC\r\n");

struct Build {
    bool ok = false;
    QStringList lines;
};

Build runBuild(const DcFixture& fixture, const QString& database, const QString& startAdr = "C0000",
               const QString& workingCopy = {}) {
    Build b;
    RecordingSink sink;
    b.ok = buildDownloadFile(
        {database, workingCopy.isEmpty() ? database : workingCopy, fixture.folder(), startAdr},
        sink);
    b.lines = sink.lines;
    return b;
}

QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray downloadImage(const DcFixture& fixture, qint32* start = nullptr) {
    QByteArray image;
    qint32 at = -1;
    g_sRecToBin(fixture.path(kDownloadFile), image, at);
    if (start)
        *start = at;
    return image;
}

QString hex4(qint32 crc) {
    return QString::number(quint16(crc), 16).toUpper().rightJustified(4, u'0');
}

QString fileCrc(const QString& file) {
    QByteArray bytes;
    qint32 start = 0;
    g_sRecToBin(file, bytes, start);
    return hex4(CrcCalculation(bytes.constData(), qint32(bytes.size()), 0));
}

} // namespace

class DownloadFileBuildTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { g_debugMode = false; }
    void buildsTheSamplePlant();
    void imageHeadIsWhatTheLayoutSays();
    void srecCatReadsTheDownloadFile();
    void debugKeepsTheImage_data();
    void debugKeepsTheImage();
    void refusalLeavesTheOldFileUntouched_data();
    void refusalLeavesTheOldFileUntouched();
    void wrappedNumberIsWarnedAboutAndBuilt();
    void unresolvedAlarmReferencesWarnOnceAndBuild();
    void missingLoadFilesAreSaidSo();
    void loadFilesInAnyLetterCase();
    void emptyImoGroup();
    void specialSymbolsComeFromTheWorkingCopy();

private:
    ScriptedDialogs m_dialogs;
};

void DownloadFileBuildTest::init() {
    g_debugMode = false;
    m_dialogs.clear();
}

void DownloadFileBuildTest::buildsTheSamplePlant() {
    DcFixture fixture;
    copySampleLoadFiles(fixture.folder());
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2));

    const Build b = runBuild(fixture, db);

    QVERIFY2(b.ok, qPrintable(b.lines.join(u'\n')));
    const QString imoCrc =
        hex4(queryValue(db, "SELECT value FROM dcEnums WHERE name = 'PAR_CRC_FIRST_IMO'").toInt());
    QCOMPARE(b.lines.mid(0, 5), (QStringList{"Build DC-S19-File out of " + db, " ",
                                             "   Update id's in alarmEnums-table", " ",
                                             "   PARA-CRC values        CRC      LEN"}));
    const QStringList groups{"BASIC", "USER", "IMO", "GLOBAL", "COMMIS", "LUB", "ADJUST"};
    for (int i = 0; i < groups.size(); ++i)
        QVERIFY2(b.lines[5 + i].startsWith(
                     "      " + crcGroupLabel(QLatin1String(groups[i].toLatin1())) + "0x"),
                 qPrintable(b.lines[5 + i]));
    QCOMPARE(b.lines[7], "      IMO Paras CRC     = 0x" + imoCrc + "    24");
    QCOMPARE(b.lines.mid(12),
             (QStringList{" ", "   ZENT-6183 Software check",
                          "                    -App.-  --IMO-  -FPGA-",
                          "      Data Length =  16384      24    8192",
                          "      CRC Value   = 0x" + fileCrc(fixture.path(kApplicationFile)) +
                              "  0x" + imoCrc + "  0x" + fileCrc(fixture.path(kFpgaFile)),
                          " ", QString(82, u'-'), "Build S19", "   Build DC-Bin-File",
                          "   Build ALARM-Bin-File", "   Build S-Rec-file"}));

    qint32 start = 0;
    const QByteArray image = downloadImage(fixture, &start);
    QCOMPARE(start, 0xC0000);
    QVERIFY(image.size() > 2000);
    const QList<QByteArray> records = contents(fixture.path(kDownloadFile)).split('\n');
    QVERIFY(records.first().startsWith("S2140C0000"));
    QVERIFY(records[records.size() - 2].startsWith("S8"));
    QVERIFY(!QFile::exists(fixture.path(kImageFile)));
    QVERIFY(!QFile::exists(fixture.path(QStringLiteral("PXU_DATA.txt"))));
    QVERIFY(m_dialogs.shown().isEmpty());
}

void DownloadFileBuildTest::imageHeadIsWhatTheLayoutSays() {
    DcFixture fixture;
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2));
    QVERIFY(runBuild(fixture, db).ok);

    // The plant and software information, the data-container version and the two counts.
    const QByteArray head = QByteArray("ZX-62 DF MK2/6C ") + "DORN Update Tool" +
                            "M-40417         " + "IMO-7.2.1       " +
                            hexBytes("0003 0000 00000041 0312 0007 0094 003C");
    QCOMPARE(head.size(), 80);
    QCOMPARE(downloadImage(fixture).left(80).toHex(' '), head.toHex(' '));
}

void DownloadFileBuildTest::srecCatReadsTheDownloadFile() {
    const QString srecCat = QStandardPaths::findExecutable(QStringLiteral("srec_cat"));
    if (srecCat.isEmpty())
        QSKIP("srec_cat is not installed");
    DcFixture fixture;
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2));
    QVERIFY(runBuild(fixture, db).ok);

    const QString bin = fixture.path(QStringLiteral("peer.bin"));
    QProcess peer;
    peer.start(srecCat,
               {fixture.path(kDownloadFile), QStringLiteral("-Motorola"), QStringLiteral("-offset"),
                QStringLiteral("-0xC0000"), QStringLiteral("-o"), bin, QStringLiteral("-Binary")});
    QVERIFY(peer.waitForFinished(30000));
    QVERIFY2(peer.exitCode() == 0, peer.readAllStandardError().constData());
    QCOMPARE(contents(bin), downloadImage(fixture));
}

void DownloadFileBuildTest::debugKeepsTheImage_data() {
    QTest::addColumn<bool>("debug");
    QTest::newRow("/debug") << true;
    QTest::newRow("without /debug") << false;
}

void DownloadFileBuildTest::debugKeepsTheImage() {
    QFETCH(bool, debug);
    DcFixture fixture;
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2));
    g_debugMode = debug;

    QVERIFY(runBuild(fixture, db).ok);

    QCOMPARE(QFile::exists(fixture.path(kImageFile)), debug);
    QCOMPARE(QFile::exists(fixture.path(QStringLiteral("PXU_DATA.txt"))), debug);
    if (debug) {
        QCOMPARE(contents(fixture.path(kImageFile)), downloadImage(fixture));
        QVERIFY(contents(fixture.path(QStringLiteral("PXU_DATA.txt")))
                    .contains("stuffingbytes 2\r\n6   build: &H41    build\r\n"));
    }
}

void DownloadFileBuildTest::refusalLeavesTheOldFileUntouched_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("startAdr");
    QTest::addColumn<QString>("reason");
    QTest::newRow("an unknown constant")
        << "UPDATE dcBinFile SET value = 'NO_SUCH' WHERE content = 'noOfParameters';"
        << "C0000"
        << "Step 9 (noOfParameters): ID NO_SUCH not found";
    QTest::newRow("a missing special symbol")
        << "DELETE FROM dcEnums WHERE name = 'PAR_SWINFO_BUILD';"
        << "C0000"
        << "Step 6 (build): the special symbol DC_SWINFO_BUILD is not found or has no value.";
    QTest::newRow("a missing special text")
        << "DELETE FROM dcEnums WHERE name = 'PAR_SWINFO_HULL_NO_1';"
        << "C0000"
        << "Step 2 (hullNo): the special symbol DC_SWINFO_HULL_NO_ is not found.";
    QTest::newRow("a text shorter than its width, in the alarm part")
        << "UPDATE alarmEnums SET fupId = 'AL1' WHERE name = 'ALM_HORN';"
        << "C0000"
        << "Step 3 (fupId): the text 'AL1' is shorter than its 6 characters.";
    QTest::newRow("a width of 0") << "UPDATE dcBinFile SET noOfBytes = 0 WHERE step = 10;"
                                  << "C0000"
                                  << "Step 10 (noOfVariables): the width 0 is no width of a field.";
    QTest::newRow("no further symbol")
        << "UPDATE sourceScan SET id = id + 1 WHERE name = 'NO_OF_VARIABLES';"
        << "C0000"
        << "Step 70 (id): no further symbol of class VARIABLE.";
    QTest::newRow("a goto to no step") << "UPDATE dcBinFile SET \"goto\" = 69 WHERE step = 73;"
                                       << "C0000"
                                       << "Step 73 (modbusAddr): goto 69: there is no step 69.";
    QTest::newRow("a value that is no number")
        << "UPDATE dcEnums SET minValue = 'n/a' WHERE name = 'PAR_RATED_SPEED';"
        << "C0000"
        << "Step 22 (minValue): 'n/a' is no number of 32 bits.";
    QTest::newRow("loops -1") << "UPDATE dcBinFile SET loops = '-1' WHERE step = 70;"
                              << "C0000"
                              << "Step 70 (id): the loop count -1 gives no pass.";
    QTest::newRow("an unknown loop constant")
        << "UPDATE dcBinFile SET loops = 'NO_OF_NOTHING' WHERE step = 30;"
        << "C0000"
        << "Step 30 (id): ID NO_OF_NOTHING not found";
    QTest::newRow("more digits than the packed BCD holds")
        << "UPDATE dcEnums SET value = 123456 WHERE name = 'PAR_SWINFO_SW_VERSION';"
        << "C0000"
        << "Step 5 (swVersion): DC_SWINFO_SW_VERSION = 123456 has more digits than 2 bytes hold.";
    QTest::newRow("below -256 in one byte")
        << "UPDATE alarmEnums SET criterion = -300 WHERE name = 'ALM_HORN';"
        << "C0000"
        << "Step 4 (criterion): -300 does not fit its byte.";
    QTest::newRow("a start address that is no hexadecimal number")
        << ""
        << "C0000G"
        << "The start address 'C0000G' is no hexadecimal number.";
    QTest::newRow("an image beyond the S28 addresses")
        << ""
        << "FFFF00"
        << "The image of %1 bytes from FFFF00 goes beyond the addresses of S28 records.";
    QTest::newRow("a CRC group value that is no number")
        << "UPDATE dcEnums SET value = 'x' WHERE name = 'ENG_SPEED_GAIN_P';"
        << "C0000"
        << "BASIC Paras CRC   = the value 'x' of ENG_SPEED_GAIN_P is no number of 32 bits.";
    QTest::newRow("no symbols: an empty image")
        << "DELETE FROM dcEnums WHERE id >= 0;\nDELETE FROM alarmEnums WHERE id >= 0;"
        << "C0000"
        << "The image is empty.";
    QTest::newRow("a missing layout table") << "DROP TABLE alarmBinFile;"
                                            << "C0000"
                                            << "no such table";
}

void DownloadFileBuildTest::refusalLeavesTheOldFileUntouched() {
    QFETCH(QString, sql);
    QFETCH(QString, startAdr);
    QFETCH(QString, reason);
    DcFixture fixture;
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2), sql);
    QFile old(fixture.path(kDownloadFile));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(kOldFile.toLatin1());
    old.close();

    const Build b = runBuild(fixture, db, startAdr);

    QVERIFY(!b.ok);
    QCOMPARE(b.lines.last(), QStringLiteral("DC-S19-File cannot been built!"));
    const QString because = b.lines[b.lines.size() - 2];
    if (reason.contains(QLatin1String("%1")))
        QCOMPARE(because, "      " + reason.arg(because.section(u' ', 9, 9)));
    else if (reason.startsWith(QLatin1String("no such")))
        QVERIFY2(because.contains(reason), qPrintable(because));
    else
        QCOMPARE(because, "      " + reason);
    QCOMPARE(contents(fixture.path(kDownloadFile)), kOldFile.toLatin1());
    QVERIFY(!QFile::exists(fixture.path(kImageFile)));
}

void DownloadFileBuildTest::wrappedNumberIsWarnedAboutAndBuilt() {
    DcFixture fixture;
    const QString db =
        builderSamplePlant(fixture, DcFixture::versionName(2),
                           "UPDATE alarmEnums SET criterion = 300 WHERE name = 'ALM_HORN';");

    const Build b = runBuild(fixture, db);

    QVERIFY(b.ok);
    QVERIFY2(b.lines.contains(QStringLiteral("      Warning: step 4: ALM_HORN = 300 does not fit 1 "
                                             "byte(s) and is stored as 2C.")),
             qPrintable(b.lines.join(u'\n')));
    // Only that value warns: the sync commands of -1 are FF as they are meant to be.
    QCOMPARE(b.lines.filter(QStringLiteral("Warning")).size(), 1);
}

void DownloadFileBuildTest::unresolvedAlarmReferencesWarnOnceAndBuild() {
    DcFixture fixture;
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2),
                                          "UPDATE alarmEnums SET signalIndexName = 'GONE' WHERE "
                                          "name IN ('ALM_HORN', 'ALM_SLOWDOWN');");

    const Build b = runBuild(fixture, db);

    QVERIFY(b.ok);
    QCOMPARE(b.lines.filter(QStringLiteral("Variable GONE not found")).size(), 2);
    QCOMPARE(m_dialogs.texts().size(), 1);
    QVERIFY(m_dialogs.texts().first().startsWith(QLatin1String("Not all id's could be built")));
    QVERIFY(QFile::exists(fixture.path(kDownloadFile)));
}

void DownloadFileBuildTest::missingLoadFilesAreSaidSo() {
    DcFixture fixture;
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2));

    const Build b = runBuild(fixture, db);

    QVERIFY(b.ok);
    const qsizetype at =
        b.lines.indexOf(QStringLiteral("                    -App.-  --IMO-  -FPGA-"));
    QVERIFY(at > 0);
    QCOMPARE(b.lines[at + 1], QStringLiteral("      Data Length =      -      24       -"));
    QVERIFY(b.lines[at + 2].startsWith(QLatin1String("      CRC Value   = 0x----  0x")));
    QVERIFY(b.lines[at + 2].endsWith(QLatin1String("  0x----")));
    QCOMPARE(b.lines.mid(at + 3, 2),
             (QStringList{"      PXU_application.s19 not found -> length and CRC unknown!",
                          "      PXU_FPGA.S19 not found -> length and CRC unknown!"}));
}

void DownloadFileBuildTest::loadFilesInAnyLetterCase() {
    DcFixture fixture;
    copySampleLoadFiles(fixture.folder());
    QVERIFY(QFile::rename(fixture.path(kApplicationFile), fixture.path("pxu_APPLICATION.S19")));
    QVERIFY(QFile::rename(fixture.path(kFpgaFile), fixture.path("pxu_fpga.s19")));
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2));

    const Build b = runBuild(fixture, db);

    QVERIFY(b.ok);
    QVERIFY(b.lines.contains(QStringLiteral("      Data Length =  16384      24    8192")));
}

void DownloadFileBuildTest::emptyImoGroup() {
    DcFixture fixture;
    copySampleLoadFiles(fixture.folder());
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2),
                                          "UPDATE dcEnums SET crcGroup = 0 WHERE crcGroup = 4;");

    const Build b = runBuild(fixture, db);

    QVERIFY(b.ok);
    QCOMPARE(b.lines[7], QStringLiteral("      IMO Paras CRC     = no parameters in this group!"));
    QVERIFY(b.lines.contains(QStringLiteral("      Data Length =  16384       0    8192")));
    QVERIFY(b.lines
                .filter(QRegularExpression(
                    QStringLiteral("^      CRC Value   = 0x....  0x0000  0x....$")))
                .size() == 1);
}

void DownloadFileBuildTest::specialSymbolsComeFromTheWorkingCopy() {
    DcFixture fixture;
    const QString db = builderSamplePlant(fixture, DcFixture::versionName(2));
    const QString workingCopy =
        builderSamplePlant(fixture, QStringLiteral("DORN Update Tool-PXU-DC-temp.md"),
                           "UPDATE dcEnums SET value = 42 WHERE name = 'PAR_SWINFO_BUILD';\n"
                           "UPDATE dcEnums SET value = 1 WHERE name = 'PAR_TOT_NO_OF_CYL';");

    QVERIFY(runBuild(fixture, db, "C0000", workingCopy).ok);

    const QByteArray image = downloadImage(fixture);
    QCOMPARE(image.mid(68, 4).toHex(), QByteArray("00000042"));
    // PAR_TOT_NO_OF_CYL (1026) is the third GLB parameter: its id at 120, its value at 124.
    QCOMPARE(image.mid(120, 2).toHex(), QByteArray("0402"));
    QCOMPARE(image.mid(124, 4).toHex(), QByteArray("00000006"));
}

QTEST_MAIN(DownloadFileBuildTest)
#include "download_file_build_test.moc"
