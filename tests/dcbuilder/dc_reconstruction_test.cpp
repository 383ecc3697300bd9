#include "core/globals.h"
#include "core/new_file.h"
#include "core/srecord_file.h"
#include "dcbuilder/build_bin_file.h"
#include "dcbuilder/dc_reconstruction.h"
#include "dcbuilder/dc_reconstruction_form.h"
#include "dcbuilder/dc_template.h"
#include "image_fixture.h"
#include "support/killed_session.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"
#include "support/small_disk.h"
#include "support/unwritable_folder.h"
#include "work_folders.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cerrno>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kUploadFile = QStringLiteral("PXU_DATA.S19");
const QString kResult = QStringLiteral("DORN Update Tool-PXU-DC-Upload.mdb");
const QString kDone = QStringLiteral("DataContainer reconstruction finished successfully.");

QByteArray imageOf(const QString& database, QStringList* lines = nullptr) {
    dc::DcImage image;
    image.path = QFileInfo(database).dir().filePath(QStringLiteral("rebuilt.bin"));
    RecordingSink sink;
    const bool built = dc::buildBinFileParts(database, image, true, sink);
    if (lines)
        *lines = sink.lines;
    return built ? image.bytes : QByteArray();
}

bool upload(const WorkFolders& folders, const QByteArray& image) {
    return g_binToSRec(image, 0xC0000, QStringLiteral("S28"),
                       QDir(folders.upload).filePath(kUploadFile));
}

// A plant on the builder's schema in the working folder, its data container uploaded from
// the spare, and the template of its build (41) beside the working folder. The statements
// change the plant first.
struct UploadedPlant {
    explicit UploadedPlant(DcFixture& fixture, const QString& sql = {})
        : folders(fixture)
        , plant(
              builderSamplePlant(fixture, QStringLiteral("work/") + DcFixture::versionName(2), sql))
        , image(imageOf(plant, &buildLines))
        , templateFile(
              QDir(folders.templates).filePath(QStringLiteral("DC_Template_Build_041.mdb"))) {
        RecordingSink log;
        if (image.size() < 72 || !upload(folders, image) || !g_createDCTemplate(folders.work, log))
            qFatal("no uploaded plant: %s", qPrintable(log.lines.join(u'\n')));
    }
    QString result() const { return QDir(folders.upload).filePath(kResult); }
    QStringList uploadFiles() const {
        return QDir(folders.upload).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    WorkFolders folders;
    QString plant;
    QStringList buildLines;
    QByteArray image;
    QString templateFile;
};

// Lines match exactly, or by their beginning when the expected one ends in "...".
bool linesMatch(const QStringList& lines, const QStringList& expected) {
    if (lines.size() != expected.size())
        return false;
    for (int i = 0; i < lines.size(); ++i) {
        const bool prefix = expected[i].endsWith(QLatin1String("..."));
        if (prefix ? !lines[i].startsWith(expected[i].chopped(3)) : lines[i] != expected[i])
            return false;
    }
    return true;
}

bool isClosingLine(const QString& line) {
    return line.startsWith(QString(82, u'-') + u' ');
}

using Setup = std::function<void(UploadedPlant&)>;

QStringList rows(const QString& database, const QString& sql) {
    QStringList out;
    for (const QVariant& row : queryColumn(database, sql))
        out << row.toString();
    return out;
}

// Every symbol column that the layout carries, class by class, one row a symbol: its name
// and each column as SQL writes it, so that 32768 and -32768, or 5 and '5', differ.
QStringList carriedValues(const QString& database) {
    QStringList out;
    for (const QString part : {"dc", "alarm"}) {
        QMap<QString, QStringList> columnsOf;
        for (const QVariant& row :
             queryColumn(database, QStringLiteral("SELECT DISTINCT class || '.' || content FROM "
                                                  "%1BinFile WHERE value LIKE 'TABLE%'")
                                       .arg(part))) {
            const QStringList classAndColumn = row.toString().split(u'.');
            columnsOf[classAndColumn[0]]
                << QStringLiteral("'%1=' || quote(\"%1\")").arg(classAndColumn[1]);
        }
        for (auto it = columnsOf.cbegin(); it != columnsOf.cend(); ++it)
            out << rows(database,
                        QStringLiteral("SELECT name || ': ' || %1 FROM %2Enums WHERE "
                                       "id >= 0 AND class = '%3' ORDER BY id")
                            .arg(it.value().join(QStringLiteral(" || ' ' || ")), part, it.key()));
    }
    return out;
}

} // namespace

class DcReconstructionTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { g_debugMode = false; }
    void uploadedImageComesBackAsTheResult();
    void everyValueTheImageCarriesComesBack_data();
    void everyValueTheImageCarriesComesBack();
    void valueThatWillNotReadBackIsWarnedAbout_data();
    void valueThatWillNotReadBackIsWarnedAbout();
    void refusalEndsTheJobAndKeepsNoResult_data();
    void refusalEndsTheJobAndKeepsNoResult();
    void existingResultIsReplacedOnlyOnOk_data();
    void existingResultIsReplacedOnlyOnOk();
    void journalsOfKilledJobsAreNotTakenIntoTheResult();
    void resultGoesUnderTheEditedName();
    void unwritableUploadFolderIsNamedInOneBox();
    void fullDiskIsToldInOneBoxAndKeepsNoResult_data();
    void fullDiskIsToldInOneBoxAndKeepsNoResult();
    void showTellsWhatIsMissingAndDecidesTheButtonAnew_data();
    void showTellsWhatIsMissingAndDecidesTheButtonAnew();
};

void DcReconstructionTest::uploadedImageComesBackAsTheResult() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    UploadedPlant p(fixture);
    DcReconstruction window;
    window.g_show();
    QVERIFY(window.view().reconstructEnabled);
    QCOMPARE(window.view().resultName, kResult);
    QCOMPARE(window.view().fileDirectory, p.folders.upload);
    window.updateProgress(0.5);
    window.cmdReconstructDC_Click();

    const QStringList lines = window.messages().lines();
    QVERIFY(
        lines.first().startsWith(QStringLiteral("DC RECONSTRUCTION ") + QString(64, u'-') + u' '));
    QVERIFY(isClosingLine(lines.last()));
    QCOMPARE(lines.mid(1, lines.size() - 2),
             (QStringList{"Build S19", "   Read DC-Bin-File", "   Read ALARM-Bin-File", kDone}));
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(window.view().progress, 0.0);
    QCOMPARE(p.uploadFiles(), (QStringList{kResult, kUploadFile}));
    QCOMPARE(QDir(p.folders.templates).entryList(QDir::Files).size(), 1);

    // The values came back: the result gives the uploaded image again.
    QCOMPARE(imageOf(p.result()), p.image);
    for (const char* query :
         {"SELECT name || '=' || value || '/' || minValue || '/' || maxValue FROM dcEnums "
          "WHERE class = 'PARAMETER' ORDER BY id",
          "SELECT name || '=' || fupId || '/' || signalIndex FROM alarmEnums ORDER BY id"})
        QCOMPARE(rows(p.result(), QLatin1String(query)), rows(p.plant, QLatin1String(query)));
    QCOMPARE(
        queryValue(p.result(), "SELECT value FROM dcEnums WHERE name = 'PAR_SWINFO_BUILD'").toInt(),
        41);
    QCOMPARE(window.getHullNo(p.result()), g_projectName);
    // What the template set and the image does not carry.
    QCOMPARE(rows(p.result(), "SELECT DISTINCT onlineValue || '/' || \"upDate\" FROM dcEnums "
                              "WHERE id >= 0"),
             QStringList{"0/1"});

    DcReconstructionForm* form = window.form();
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->windowTitle(), QStringLiteral("Data Container Builder"));
    QCOMPARE(form->txtReconstructDCResult->text(), kResult);
    QVERIFY(form->cmdReconstructDC->isEnabled());
    QVERIFY(!saveScreenshot(*form, QStringLiteral("dc_reconstruction")).isEmpty());
}

void DcReconstructionTest::everyValueTheImageCarriesComesBack_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("sample plant") << QString();
    QTest::newRow("Modbus addresses from 32768, sync commands -1, producers with OR")
        << QStringLiteral(
               "UPDATE dcEnums SET modbusAddr = 32768 + (id - 2048) % 33, syncCmd = CASE id % 2 "
               "WHEN 0 THEN -1 ELSE 6 END, producerMask = 32768 | producerMask WHERE class = "
               "'VARIABLE';\n"
               "UPDATE dcEnums SET modbusAddr = 65535, producerMask = 65535 WHERE name = "
               "'GLB_ENGINE_SPEED';\n"
               "UPDATE alarmEnums SET producerMask = 32768 | producerMask WHERE id % 3 = 0;\n"
               "UPDATE alarmEnums SET producerMask = 65535 WHERE name = 'ALM_HORN';\n");
    // Each carried column at its ends, by the rows' ids; the plant and software information
    // (group GLB) stays, so that the hull number still reads.
    const QString sampleWidths = QStringLiteral(
        "UPDATE dcEnums SET "
        "minValue = CASE id % 5 WHEN 0 THEN -2147483648 WHEN 1 THEN 0 WHEN 2 THEN 32767 "
        "  WHEN 3 THEN -32768 ELSE -1 END, "
        "value = CASE id % 5 WHEN 0 THEN -1 WHEN 1 THEN 0 WHEN 2 THEN 32768 WHEN 3 THEN 32767 "
        "  ELSE 65535 END, "
        "maxValue = CASE id % 5 WHEN 0 THEN 0 WHEN 1 THEN 65535 WHEN 2 THEN 2147483647 "
        "  WHEN 3 THEN 32768 ELSE 65535 END, "
        "crcGroup = CASE id % 2 WHEN 0 THEN 0 ELSE 7 END, "
        "writeAccessLevel = CASE id % 4 WHEN 0 THEN 0 WHEN 1 THEN 127 WHEN 2 THEN 128 ELSE 255 "
        "END, "
        "readAccessLevel = CASE id % 4 WHEN 0 THEN 255 WHEN 1 THEN 128 WHEN 2 THEN 127 ELSE 0 END "
        "WHERE class = 'PARAMETER' AND varGroup <> 'GLB';\n"
        "UPDATE dcEnums SET "
        "producerMask = CASE id % 4 WHEN 0 THEN 0 WHEN 1 THEN 32767 WHEN 2 THEN 32768 ELSE 65535 "
        "END, "
        "syncCmd = CASE id % 3 WHEN 0 THEN -1 WHEN 1 THEN 0 ELSE 6 END, "
        "modbusAddr = CASE id % 4 WHEN 0 THEN 65535 WHEN 1 THEN 32768 WHEN 2 THEN 32767 ELSE 0 END "
        "WHERE class = 'VARIABLE';\n"
        "UPDATE alarmEnums SET criterion = abs(id) % 6, "
        "signalIndex = CASE id % 4 WHEN 0 THEN -1 WHEN 1 THEN 0 WHEN 2 THEN 32767 ELSE 32768 END, "
        "minValue = CASE id % 5 WHEN 0 THEN -2147483648 WHEN 1 THEN -1 WHEN 2 THEN 0 "
        "  WHEN 3 THEN 32768 ELSE 65535 END, "
        "maxValue = CASE id % 5 WHEN 0 THEN 2147483647 WHEN 1 THEN -32768 WHEN 2 THEN 32767 "
        "  WHEN 3 THEN 65535 ELSE -1 END, "
        "hysteresis = CASE id % 4 WHEN 0 THEN 32768 WHEN 1 THEN 0 WHEN 2 THEN 65535 ELSE 40000 "
        "END, "
        "onOffDelayId = CASE id % 4 WHEN 0 THEN 0 WHEN 1 THEN 127 WHEN 2 THEN 128 ELSE 255 END, "
        "producerMask = CASE id % 4 WHEN 0 THEN 65535 WHEN 1 THEN 32768 WHEN 2 THEN 0 ELSE 32767 "
        "END;\n");
    QTest::newRow("ends of every carried column in the sample's widths") << sampleWidths;
    // The values, Min and Max of parameters in two bytes, as ways of reading that only the
    // bounds tell apart; the alarms' signal and delay indexes in two bytes, -1 for none.
    QTest::newRow("values, bounds and indexes in two bytes")
        << sampleWidths +
               QStringLiteral(
                   "UPDATE dcBinFile SET noOfBytes = 2 WHERE content IN ('value', 'minValue', "
                   "'maxValue') AND varGroup <> 'GLB';\n"
                   "UPDATE alarmBinFile SET noOfBytes = 2 WHERE content IN ('minValue', "
                   "'maxValue');\n"
                   "UPDATE alarmBinFile SET \"goto\" = NULL WHERE step = 10;\n"
                   "INSERT INTO alarmBinFile VALUES (11, 'ALARM', NULL, 'onDelayIndex', "
                   "'TABLE_', 2, NULL, NULL), (12, 'ALARM', NULL, 'offDelayIndex', 'TABLE_', 2, "
                   "NULL, 2);\n"
                   "UPDATE dcEnums SET "
                   "minValue = CASE id % 6 WHEN 0 THEN -32768 WHEN 1 THEN 0 WHEN 2 THEN 0 "
                   "  WHEN 3 THEN -100 WHEN 4 THEN 1 ELSE -32768 END, "
                   "value = CASE id % 6 WHEN 0 THEN -1 WHEN 1 THEN 65535 WHEN 2 THEN 32768 "
                   "  WHEN 3 THEN 0 WHEN 4 THEN 32768 ELSE 32767 END, "
                   "maxValue = CASE id % 6 WHEN 0 THEN -1 WHEN 1 THEN 65535 WHEN 2 THEN 40000 "
                   "  WHEN 3 THEN 32767 WHEN 4 THEN 65535 ELSE 32767 END "
                   "WHERE class = 'PARAMETER' AND varGroup <> 'GLB';\n"
                   "UPDATE alarmEnums SET "
                   "minValue = CASE id % 4 WHEN 0 THEN -32768 WHEN 1 THEN -1 WHEN 2 THEN 0 "
                   "  ELSE 32767 END, "
                   "maxValue = CASE id % 4 WHEN 0 THEN 32767 WHEN 1 THEN 0 WHEN 2 THEN -1 "
                   "  ELSE -32768 END, "
                   "signalIndex = CASE id % 5 WHEN 0 THEN -1 WHEN 1 THEN 0 WHEN 2 THEN 32767 "
                   "  WHEN 3 THEN 32768 ELSE 2071 END, "
                   "onDelayIndex = CASE id % 4 WHEN 0 THEN 32768 WHEN 1 THEN -1 WHEN 2 THEN 1207 "
                   "  ELSE 0 END, "
                   "offDelayIndex = CASE id % 4 WHEN 0 THEN -1 WHEN 1 THEN 32767 WHEN 2 THEN 0 "
                   "  ELSE 32768 END;\n");
    QTest::newRow("values in two bytes, their bounds only in the template")
        << sampleWidths +
               QStringLiteral(
                   "DELETE FROM dcBinFile WHERE content IN ('minValue', 'maxValue');\n"
                   "UPDATE dcBinFile SET noOfBytes = 2 WHERE content = 'value' AND varGroup <> "
                   "'GLB';\n"
                   "UPDATE dcEnums SET "
                   "minValue = CASE id % 3 WHEN 0 THEN -32768 WHEN 1 THEN 0 ELSE 0 END, "
                   "value = CASE id % 3 WHEN 0 THEN -1 WHEN 1 THEN 65535 ELSE 32768 END, "
                   "maxValue = CASE id % 3 WHEN 0 THEN -1 WHEN 1 THEN 65535 ELSE 40000 END "
                   "WHERE class = 'PARAMETER' AND varGroup <> 'GLB';\n");
    QTest::newRow("values, bounds and indexes in one byte")
        << sampleWidths +
               QStringLiteral(
                   "UPDATE dcBinFile SET noOfBytes = 1 WHERE content IN ('value', 'minValue', "
                   "'maxValue') AND varGroup <> 'GLB';\n"
                   "UPDATE alarmBinFile SET noOfBytes = 1 WHERE content IN ('signalIndex', "
                   "'hysteresis');\n"
                   "UPDATE dcEnums SET "
                   "minValue = CASE id % 5 WHEN 0 THEN -128 WHEN 1 THEN 0 WHEN 2 THEN -1 "
                   "  WHEN 3 THEN 0 ELSE -128 END, "
                   "value = CASE id % 5 WHEN 0 THEN -1 WHEN 1 THEN 255 WHEN 2 THEN 0 "
                   "  WHEN 3 THEN 128 ELSE 127 END, "
                   "maxValue = CASE id % 5 WHEN 0 THEN 0 WHEN 1 THEN 255 WHEN 2 THEN 127 "
                   "  WHEN 3 THEN 200 ELSE 127 END "
                   "WHERE class = 'PARAMETER' AND varGroup <> 'GLB';\n"
                   "UPDATE alarmEnums SET "
                   "signalIndex = CASE id % 4 WHEN 0 THEN -1 WHEN 1 THEN 0 WHEN 2 THEN 127 "
                   "  ELSE 128 END, "
                   "hysteresis = CASE id % 4 WHEN 0 THEN 0 WHEN 1 THEN 127 WHEN 2 THEN 128 "
                   "  ELSE 255 END;\n");
}

void DcReconstructionTest::everyValueTheImageCarriesComesBack() {
    QFETCH(QString, sql);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    UploadedPlant p(fixture, sql);
    DcReconstruction window;
    window.g_show();
    window.cmdReconstructDC_Click();
    QVERIFY2(window.messages().lines().contains(kDone),
             qPrintable(window.messages().lines().join(u'\n')));

    // The build warned of nothing that would not read back.
    QCOMPARE(p.buildLines, (QStringList{"   Build DC-Bin-File", "   Build ALARM-Bin-File"}));
    const QStringList expected = carriedValues(p.plant);
    QVERIFY(expected.size() > 200);
    const QStringList result = carriedValues(p.result());
    QCOMPARE(result.size(), expected.size());
    for (int k = 0; k < expected.size(); ++k)
        QCOMPARE(result[k], expected[k]);
}

void DcReconstructionTest::valueThatWillNotReadBackIsWarnedAbout_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("query");
    QTest::addColumn<qlonglong>("readBack");
    const QString horn = QStringLiteral(" FROM alarmEnums WHERE name = 'ALM_HORN'");
    const QString gain = QStringLiteral(" FROM dcEnums WHERE name = 'ENG_SPEED_GAIN_P'");
    QTest::newRow("a negative hysteresis in two bytes")
        << "UPDATE alarmEnums SET hysteresis = -5 WHERE name = 'ALM_HORN';"
        << "step 8: ALM_HORN hysteresis = -5 will read back as 65531."
        << "SELECT hysteresis" + horn << 65531LL;
    QTest::newRow("a signal of id 65535 in two bytes")
        << "UPDATE alarmEnums SET signalIndex = 65535 WHERE name = 'ALM_HORN';"
        << "step 5: ALM_HORN signalIndex = 65535 will read back as -1."
        << "SELECT signalIndex" + horn << -1LL;
    QTest::newRow("an alarm's Max above 32767 in two bytes")
        << "UPDATE alarmBinFile SET noOfBytes = 2 WHERE content = 'maxValue';\n"
           "UPDATE alarmEnums SET maxValue = 40000 WHERE name = 'ALM_HORN';"
        << "step 7: ALM_HORN maxValue = 40000 will read back as -25536."
        << "SELECT maxValue" + horn << -25536LL;
    QTest::newRow("a Min above 32767 in two bytes, below its value either way")
        << "UPDATE dcBinFile SET noOfBytes = 2 WHERE content = 'minValue' AND varGroup = 'ENG';\n"
           "UPDATE dcEnums SET minValue = 40000, value = 45000, maxValue = 50000 "
           "WHERE name = 'ENG_SPEED_GAIN_P';"
        << "step 32: ENG_SPEED_GAIN_P minValue = 40000 will read back as -25536."
        << "SELECT minValue" + gain << -25536LL;
    QTest::newRow("a CRC group of -1") << "UPDATE dcEnums SET crcGroup = -1 WHERE name = "
                                          "'ENG_SPEED_GAIN_P';"
                                       << "step 34: ENG_SPEED_GAIN_P crcGroup = -1 will read back "
                                          "as 255."
                                       << "SELECT crcGroup" + gain << 255LL;
    QTest::newRow("-256 in one byte")
        << "UPDATE dcEnums SET writeAccessLevel = -256 WHERE name = 'ENG_SPEED_GAIN_P';"
        << "step 35: ENG_SPEED_GAIN_P writeAccessLevel = -256 will read back as 0."
        << "SELECT writeAccessLevel" + gain << 0LL;
}

void DcReconstructionTest::valueThatWillNotReadBackIsWarnedAbout() {
    QFETCH(QString, sql);
    QFETCH(QString, warning);
    QFETCH(QString, query);
    QFETCH(qlonglong, readBack);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    UploadedPlant p(fixture, sql);
    QCOMPARE(p.buildLines.filter(QStringLiteral("Warning")),
             QStringList{QStringLiteral("      Warning: ") + warning});

    DcReconstruction window;
    window.g_show();
    window.cmdReconstructDC_Click();
    QVERIFY2(window.messages().lines().contains(kDone),
             qPrintable(window.messages().lines().join(u'\n')));
    QCOMPARE(queryValue(p.result(), query).toLongLong(), readBack);
    // The rest comes back as built.
    const QStringList expected = carriedValues(p.plant);
    const QStringList result = carriedValues(p.result());
    QCOMPARE(result.size(), expected.size());
    int differing = 0;
    for (int k = 0; k < expected.size(); ++k)
        differing += result[k] == expected[k] ? 0 : 1;
    QCOMPARE(differing, 1);
}

void DcReconstructionTest::refusalEndsTheJobAndKeepsNoResult_data() {
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("lines"); // the last ones before the closing line
    QTest::addColumn<QString>("box");
    const auto rewrite = [](const std::function<void(QByteArray&)>& change) {
        return Setup([change](UploadedPlant& p) {
            QByteArray image = p.image;
            change(image);
            QVERIFY(upload(p.folders, image));
        });
    };
    const QString discarded = QStringLiteral("  Error: the uploaded data does not fit the template "
                                             "of build 41. Reconstructed DC has been discarded.");
    QTest::newRow("no S-record file") << Setup([](UploadedPlant& p) {
        QFile f(QDir(p.folders.upload).filePath(kUploadFile));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("no records\n");
    }) << QStringList{"  Error: could not convert s19 File to binary data"}
                                      << QString();
    QTest::newRow("image under 72 bytes")
        << rewrite([](QByteArray& image) { image.truncate(71); })
        << QStringList{"  Error: the uploaded data has 71 bytes: too short for its build number "
                       "at bytes 68 to 71."}
        << QString();
    QTest::newRow("no packed BCD at 68 to 71")
        << rewrite([](QByteArray& image) { image[71] = char(0x4A); })
        << QStringList{"  Error: bytes 68 to 71 of the uploaded data (00 00 00 4A) are no build "
                       "number in packed BCD."}
        << QString();
    const QString noTemplate = QStringLiteral("Error: No database template file available for "
                                              "build Number 41");
    QTest::newRow("no template") << Setup([](UploadedPlant& p) {
        QVERIFY(QFile::remove(p.templateFile));
    }) << QStringList{noTemplate, "Expected template file path: ", "<template>"}
                                 << noTemplate;
    // Else it would read as an upload that does not fit its template.
    const QString damaged = QStringLiteral("Error: the template <template> of build 41 is "
                                           "damaged: it is no SQLite database.");
    QTest::newRow("a damaged template")
        << Setup([](UploadedPlant& p) { scrambleFile(p.templateFile); }) << QStringList{damaged}
        << damaged;
    QTest::newRow("image shorter than its layout")
        << rewrite([](QByteArray& image) { image.truncate(200); })
        << QStringList{"      Step ...", discarded} << QString();
    QTest::newRow("a read past the image's end")
        << rewrite([](QByteArray& image) { image.chop(1); })
        << QStringList{"      Step ...", discarded} << QString();
    QTest::newRow("a failed pass") << Setup([](UploadedPlant& p) {
        execute(p.templateFile, "UPDATE alarmBinFile SET content = 'nosuch' WHERE step = 3");
    }) << QStringList{"      Step 3 (nosuch): alarmEnums has no column nosuch.", discarded}
                                   << QString();
    const QString hull =
        QStringLiteral("Hull Number of the uploaded data is not equal to the hull number of this "
                       "plant.\rUploaded: DORN Update Tool\rExpected: Another Plant\r"
                       "Reconstructed DC has been discarded.");
    QTest::newRow("a hull number that is not the project's")
        << Setup([](UploadedPlant&) { g_projectName = QStringLiteral("Another Plant"); })
        << QStringList{"Hull Number of the uploaded data is not equal to the hull number of this "
                       "plant.",
                       "Uploaded: DORN Update Tool", "Expected: Another Plant",
                       "Reconstructed DC has been discarded."}
        << hull;
}

void DcReconstructionTest::refusalEndsTheJobAndKeepsNoResult() {
    QFETCH(Setup, setup);
    QFETCH(QStringList, lines);
    QFETCH(QString, box);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    UploadedPlant p(fixture);
    lines.replaceInStrings(QStringLiteral("<template>"), p.templateFile);
    box.replace(QStringLiteral("<template>"), p.templateFile);
    DcReconstruction window;
    window.g_show();
    setup(p);
    window.cmdReconstructDC_Click();

    const QStringList told = window.messages().lines();
    QVERIFY(isClosingLine(told.last()));
    QVERIFY2(linesMatch(told.mid(told.size() - 1 - lines.size(), lines.size()), lines),
             qPrintable(told.join(u'\n')));
    QVERIFY(!told.contains(kDone));
    QCOMPARE(dialogs.texts(), box.isEmpty() ? QStringList() : QStringList{box});
    if (!box.isEmpty())
        QCOMPARE(dialogs.shown().first().title, QStringLiteral("ERROR"));
    // No result, and no scratch copy of the template.
    QCOMPARE(p.uploadFiles(), QStringList{kUploadFile});
}

void DcReconstructionTest::existingResultIsReplacedOnlyOnOk_data() {
    QTest::addColumn<BoxAnswer>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("OK") << BoxAnswer::Ok << true;
    QTest::newRow("Cancel") << BoxAnswer::Cancel << false;
}

void DcReconstructionTest::existingResultIsReplacedOnlyOnOk() {
    QFETCH(BoxAnswer, answer);
    QFETCH(bool, replaced);
    ScriptedDialogs dialogs;
    dialogs.answer(answer);
    DcFixture fixture;
    UploadedPlant p(fixture);
    {
        QFile old(p.result());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an earlier result");
    }
    DcReconstruction window;
    window.g_show();
    window.cmdReconstructDC_Click();

    QCOMPARE(dialogs.texts(), QStringList{"Result file \r" + p.result() +
                                          "\r already exists. "
                                          "Replace?"});
    QCOMPARE(dialogs.shown().first().title, QStringLiteral("WARNING"));
    QCOMPARE(dialogs.shown().first().buttons, BoxButtons::OkCancel);
    QCOMPARE(dialogs.shown().first().defaultButton, 1);
    const QStringList lines = window.messages().lines();
    if (replaced) {
        QCOMPARE(lines[lines.size() - 2], kDone);
        QCOMPARE(imageOf(p.result()), p.image);
    } else {
        // Cancelled: no closing line.
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.last(), QStringLiteral("  DC Reconstruction cancelled"));
        QFile kept(p.result());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("an earlier result"));
    }
    QCOMPARE(p.uploadFiles(), (QStringList{kResult, kUploadFile}));
}

void DcReconstructionTest::journalsOfKilledJobsAreNotTakenIntoTheResult() {
    ScriptedDialogs dialogs;
    dialogs.answer(BoxAnswer::Ok); // the existing result is replaced
    DcFixture fixture;
    UploadedPlant p(fixture);
    QVERIFY(QFile::copy(p.plant, p.result()));
    // Jobs on the template and on the earlier result, both killed half-way.
    leaveKilledInTransaction(p.templateFile, "DELETE FROM dcBinFile");
    leaveKilledInTransaction(p.result(), "UPDATE dcEnums SET value = 0");
    DcReconstruction window;
    window.g_show();
    window.cmdReconstructDC_Click();

    QVERIFY2(window.messages().lines().contains(kDone),
             qPrintable(window.messages().lines().join(u'\n')));
    QCOMPARE(p.uploadFiles(), (QStringList{kResult, kUploadFile}));
    QCOMPARE(QDir(p.folders.templates).entryList(QDir::Files),
             QStringList{QFileInfo(p.templateFile).fileName()});
    QCOMPARE(imageOf(p.result()), p.image);
}

void DcReconstructionTest::resultGoesUnderTheEditedName() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    UploadedPlant p(fixture);
    DcReconstruction window;
    window.g_show();
    DcReconstructionForm* form = window.form();
    QVERIFY(form);
    form->txtReconstructDCResult->clear();
    QTest::keyClicks(form->txtReconstructDCResult, QStringLiteral("Spare of 12 May.mdb"));
    QTest::mouseClick(form->cmdReconstructDC, Qt::LeftButton);
    QCOMPARE(p.uploadFiles(), (QStringList{kUploadFile, "Spare of 12 May.mdb"}));
    QCOMPARE(imageOf(QDir(p.folders.upload).filePath(QStringLiteral("Spare of 12 May.mdb"))),
             p.image);
}

void DcReconstructionTest::unwritableUploadFolderIsNamedInOneBox() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    UploadedPlant p(fixture);
    // Only the upload folder is closed to the user (whose group the test's own is).
    for (const QString& open : {fixture.folder(), p.folders.work, p.folders.templates,
                                p.templateFile, QDir(p.folders.upload).filePath(kUploadFile)})
        QFile::setPermissions(open, QFile::permissions(open) | QFile::ReadGroup | QFile::ExeGroup);
    DcReconstruction window;
    window.g_show();
    {
        UnwritableFolder readOnly(p.folders.upload);
        window.cmdReconstructDC_Click();
    }
    // The file that cannot be written, with the system's reason: the template is there.
    const QString told = "Error: " + p.result() +
                         " cannot be written: Permission denied. Reconstructed DC has been "
                         "discarded.";
    QCOMPARE(dialogs.texts(), QStringList{told});
    const QStringList lines = window.messages().lines();
    QCOMPARE(lines[lines.size() - 2], told);
    QCOMPARE(p.uploadFiles(), QStringList{kUploadFile});
}

void DcReconstructionTest::fullDiskIsToldInOneBoxAndKeepsNoResult_data() {
    QTest::addColumn<bool>("smallDisk"); // else our own writes fail, one step after the other
    QTest::newRow("small disk") << true;
    QTest::newRow("failed write") << false;
}

void DcReconstructionTest::fullDiskIsToldInOneBoxAndKeepsNoResult() {
    QFETCH(bool, smallDisk);
    DcFixture fixture;
    UploadedPlant p(fixture);
    std::optional<SmallDisk> disk;
    if (smallDisk) {
        // The upload, on a disk of its own.
        const QString uploaded = QDir(p.folders.upload).filePath(kUploadFile);
        QFile file(uploaded);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        file.close();
        disk.emplace(p.folders.upload, 2 * 1024 * 1024);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }
    int failures = 0;
    for (int k = 0;; ++k) {
        QVERIFY2(k < 200, "the reconstruction never ends whole");
        ScriptedDialogs dialogs;
        DcReconstruction window;
        window.g_show();
        if (disk)
            disk->leaveFree(k * 8 * 1024);
        else
            injectWriteFailure(k, ENOSPC);
        window.cmdReconstructDC_Click();
        const bool filled = disk || injectedWriteFailureCame();
        clearInjectedWriteFailure();
        if (disk)
            disk->freeAll();
        const QStringList lines = window.messages().lines();
        QVERIFY2(!lines.join(u'\n').contains(QLatin1String("~scratch")),
                 qPrintable(lines.join(u'\n')));
        if (lines.contains(kDone)) {
            QVERIFY2(disk || !filled, "a failed write went untold");
            QCOMPARE(imageOf(p.result()), p.image);
            break;
        }
        ++failures;
        const QString told = "Error: " + p.result() +
                             " cannot be written: the disk is full. Reconstructed DC has been "
                             "discarded.";
        QCOMPARE(dialogs.texts(), QStringList{told});
        QCOMPARE(lines[lines.size() - 2], told);
        QCOMPARE(p.uploadFiles(), QStringList{kUploadFile});
    }
    QVERIFY(failures > 0);
}

void DcReconstructionTest::showTellsWhatIsMissingAndDecidesTheButtonAnew_data() {
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("resultName");
    const QString noTemplates = QStringLiteral("DC Reconstruction disabled because template "
                                               "directory does not exist.");
    QTest::newRow("ready") << Setup([](UploadedPlant&) {}) << QStringList() << kResult;
    QTest::newRow("no upload") << Setup([](UploadedPlant& p) {
        QVERIFY(QFile::remove(QDir(p.folders.upload).filePath(kUploadFile)));
    }) << QStringList{"Cannot Reconstruct DataContainter: S19 file has to be uploaded first!"}
                               << kResult;
    QTest::newRow("an empty template folder")
        << Setup([](UploadedPlant& p) { QVERIFY(QFile::remove(p.templateFile)); })
        << QStringList{noTemplates} << kResult;
    // A killed job's copy, no template.
    QTest::newRow("only a scratch copy in the template folder") << Setup([](UploadedPlant& p) {
        QVERIFY(QFile::rename(p.templateFile,
                              QDir(p.folders.templates).filePath("~scratch-Ab12Cd.mdb")));
    }) << QStringList{noTemplates} << kResult;
    QTest::newRow("no template folder, with /debug") << Setup([](UploadedPlant& p) {
        QVERIFY(QDir(p.folders.templates).removeRecursively());
        g_debugMode = true;
    }) << QStringList{noTemplates, "debug information: template path = ..."}
                                                     << kResult;
    QTest::newRow("a database with a longer name in the working folder")
        << Setup([](UploadedPlant& p) {
               QVERIFY(QFile::rename(
                   p.plant, QDir(p.folders.work)
                                .filePath(QStringLiteral("DORN Update Tool-ME-PXU-DC-002.mdb"))));
           })
        << QStringList() << "DORN Update Tool-ME-PXU-DC-Upload.mdb";
    QTest::newRow("no database in the working folder") << Setup([](UploadedPlant& p) {
        QVERIFY(QFile::remove(p.plant));
        g_projectName = QStringLiteral("Plant");
    }) << QStringList() << "Plant-PXU-DC-Upload.mdb";
}

void DcReconstructionTest::showTellsWhatIsMissingAndDecidesTheButtonAnew() {
    QFETCH(Setup, setup);
    QFETCH(QStringList, lines);
    QFETCH(QString, resultName);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    UploadedPlant p(fixture);
    DcReconstruction window;
    // Shown once without an upload: the button is disabled, and the next showing decides
    // anew.
    const QString uploaded = QDir(p.folders.upload).filePath(kUploadFile);
    QVERIFY(QFile::rename(uploaded, uploaded + ".aside"));
    window.g_show();
    QVERIFY(!window.view().reconstructEnabled);
    QVERIFY(QFile::rename(uploaded + ".aside", uploaded));

    setup(p);
    window.g_show();
    QVERIFY(window.isLoaded());
    QVERIFY2(linesMatch(window.messages().lines(), lines),
             qPrintable(window.messages().lines().join(u'\n')));
    QCOMPARE(window.view().reconstructEnabled, lines.isEmpty());
    QCOMPARE(window.view().resultName, resultName);
    QCOMPARE(window.view().documentation, QStringLiteral("\r\n\r\n   PXU_Data.S19"));
    window.cmdExit_Click();
    QVERIFY(!window.isLoaded());
}

QTEST_MAIN(DcReconstructionTest)
#include "dc_reconstruction_test.moc"
