#include "core/globals.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_builder_form.h"
#include "platform/xlsx/workbook_writer.h"
#include "sample_versions.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"
#include "support/xlwt_workbooks.h"

#include <QDir>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kSampleList = QStringLiteral(PXU_SAMPLE_SIGNAL_LIST);
const QString kSampleListXls = QStringLiteral(PXU_SAMPLE_SIGNAL_LIST_XLS);

// Empty without xlwt; the rows that use one are skipped then.
QByteArray xlsFixture(const char* name) {
    if (!PXU_HAVE_XLWT)
        return {};
    QFile file(QStringLiteral(PXU_XLS_FIXTURES "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return file.readAll();
}

// The lines from the first one that is the text up to the next " ".
QStringList section(const QStringList& lines, const QString& first, qsizetype from = 0) {
    const qsizetype start = lines.indexOf(first, from);
    if (start < 0)
        return {};
    const qsizetype end = lines.indexOf(QStringLiteral(" "), start);
    return lines.mid(start, end - start);
}

// A builder open on a copy of the sample plant, already on the program's schema: an
// unchanged working copy.
struct OpenBuilder {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    DcBuilder builder;

    OpenBuilder() {
        currentSampleVersions(fixture, dialogs);
        builder.g_show(fixture.folder());
    }
    ~OpenBuilder() { builder.unload(); }
    QString version(int n) const { return fixture.path(DcFixture::versionName(n)); }
    // The file chosen in the file dialog, imported.
    void import(const std::optional<QString>& file) {
        dialogs.answerFile(file);
        builder.cmdScanSignalList_Click();
    }
};

} // namespace

class ScanSignalListTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void sampleSignalListIsImportedAsANewVersion();
    void sampleSignalListSavedAsXlsImportsToTheSameDatabase();
    void cancelledFileDialogDoesNothing();
    void nothingImportedSavesNoVersion_data();
    void nothingImportedSavesNoVersion();
    void missingAlarmSheetLeavesTheAlarmsAsTheyWere();
};

void ScanSignalListTest::init() {
    g_baseAdrDC = 0xC0000;
    g_debugMode = g_developMode = false;
}

void ScanSignalListTest::sampleSignalListIsImportedAsANewVersion() {
    OpenBuilder open;
    DcBuilder& builder = open.builder;
    builder.tabAction_Click(tabScan);
    open.import(kSampleList);

    QCOMPARE(open.dialogs.fileRequests().size(), 1);
    const FileRequest& request = open.dialogs.fileRequests()[0];
    QCOMPARE(request.caption, QStringLiteral("Choose Signal-List"));
    QCOMPARE(request.filter, QStringLiteral("*.xls* (*.xls*)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("xlsx"));
    QCOMPARE(request.startDir, open.fixture.folder());
    QVERIFY(open.dialogs.shown().isEmpty()); // every alarm reference resolves
    QVERIFY(open.dialogs.errorReports().isEmpty());

    const QStringList lines = builder.messages().lines();
    QVERIFY(lines[0].startsWith("SCAN SIGNAL LIST " + QString(65, u'-') + ' '));
    QCOMPARE(lines[1], "Scan Signal-List " + kSampleList);
    QCOMPARE(lines[2], "   Open Excel " + kSampleList);
    QCOMPARE(lines[3], QStringLiteral("   Scan Sheet dcEnums"));
    QVERIFY(lines.contains("         unit is not in datacontainer."));
    QCOMPARE(section(lines, "      Number of scanned signals: 206"),
             (QStringList{"      Number of scanned signals: 206",
                          "      Check for signals in datacontainer that are not in signal-list",
                          "         GLB_ALARM_COUNT is not in signal-list",
                          "         GLB_DEFAULT is not in signal-list",
                          "         PAR_DEFAULT is not in signal-list",
                          "         PAR_TIME_ZONE is not in signal-list",
                          "      Check for signals in signal-list that are not in datacontainer",
                          "         ENG_OIL_MIST_LIMIT is not in DC",
                          "         GLB_BEARING_TEMP_MAX is not in DC"}));
    QCOMPARE(section(lines, "      Number of scanned signals: 39"),
             (QStringList{"      Number of scanned signals: 39",
                          "      Check for signals in datacontainer that are not in signal-list",
                          "         ALM_DEFAULT is not in signal-list",
                          "         ALM_HORN is not in signal-list",
                          "      Check for signals in signal-list that are not in datacontainer",
                          "         ALM_OIL_MIST_HIGH is not in DC"}));
    QVERIFY(lines.filter("Update-Error").isEmpty());
    QVERIFY(lines.contains("   Update id's in alarmEnums-table"));
    QCOMPARE(lines[lines.size() - 2],
             QStringLiteral("Result saved in new DC-Version DORN Update Tool-PXU-DC-002.mdb"));
    QVERIFY(lines.constLast().startsWith(QString(82, u'-') + ' '));

    // Saved at once; the work goes on in a fresh working copy of the new version.
    const QString saved = open.version(2);
    QCOMPARE(builder.newestDcFile(), saved);
    QVERIFY(builder.tempDcExists());
    QVERIFY(!builder.dcChanged());
    QCOMPARE(queryColumn(saved, "SELECT name || ' ' || value || ' ' || writeAccessLevel || ' ' || "
                                "\"upDate\" FROM dcEnums WHERE name IN ('PAR_RATED_SPEED', "
                                "'ENG_SPEED_GAIN_P', 'PAR_TIME_ZONE') ORDER BY name"),
             (QVariantList{"ENG_SPEED_GAIN_P 737 9 1", "PAR_RATED_SPEED 750 7 1",
                           "PAR_TIME_ZONE 294 7 2"}));
    // The list names the delay that the database held by id only; the index step finds
    // the id again.
    QCOMPARE(queryColumn(saved, "SELECT maxValue || ' ' || onOffDelayId || ' ' || "
                                "onOffDelayIdName || ' ' || signalIndexName FROM alarmEnums "
                                "WHERE name IN ('ALM_LUB_OIL_TEMP_HIGH', "
                                "'ALM_CYL_EXH_TEMP_HIGH_01') ORDER BY name"),
             (QVariantList{"480 4 ALM_DLY_10S GLB_CYL_EXH_TEMP_01",
                           "70 4 ALM_DLY_10S GLB_LUB_OIL_TEMP"}));

    DcBuilderForm* form = builder.form();
    QVERIFY(form);
    QCOMPARE(form->frames->currentIndex(), tabScan - 1);
    QVERIFY(form->cmdScanSignalList->isEnabled());
    QVERIFY(!saveScreenshot(*form, QStringLiteral("dc_builder_signal_list")).isEmpty());
}

void ScanSignalListTest::sampleSignalListSavedAsXlsImportsToTheSameDatabase() {
    PXU_SKIP_WITHOUT_XLWT();
    // The rows of the two tables an import saved, and what it logged but the file's name.
    auto imported = [](const QString& list) {
        OpenBuilder open;
        open.import(list);
        const QStringList lines = open.builder.messages().lines();
        return std::pair(dumpDatabase(open.version(2))
                             .split(u'\n')
                             .filter(QRegularExpression(QStringLiteral("^(dc|alarm)Enums:"))),
                         lines.mid(1, lines.size() - 2).replaceInStrings(list, "<list>"));
    };
    const auto [xlsxRows, xlsxLog] = imported(kSampleList);
    const auto [xlsRows, xlsLog] = imported(kSampleListXls);
    QCOMPARE(xlsLog.filter("Result saved in new DC-Version").size(), 1);
    QCOMPARE(xlsLog, xlsxLog);
    QVERIFY(!xlsRows.isEmpty());
    QCOMPARE(xlsRows, xlsxRows);
}

void ScanSignalListTest::cancelledFileDialogDoesNothing() {
    OpenBuilder open;
    const QString before = dumpDatabase(open.builder.tempDcFile());
    open.import(std::nullopt);
    QCOMPARE(open.dialogs.fileRequests().size(), 1);
    QVERIFY(open.builder.messages().lines().isEmpty());
    QCOMPARE(dumpDatabase(open.builder.tempDcFile()), before);
    QVERIFY(!QFile::exists(open.version(2)));
}

void ScanSignalListTest::nothingImportedSavesNoVersion_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("told");
    xlsx::WorkbookWriter neither;
    neither.addSheet("Revisions").text(1, 1, "Revision");
    neither.addSheet("DcEnums").text(1, 1, "name");
    QTemporaryDir dir;
    QVERIFY(neither.save(dir.filePath("neither.xlsx")));
    QFile file(dir.filePath("neither.xlsx"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray workbook = file.readAll();

    QTest::newRow("encrypted .xls workbook")
        << "list.xls" << xlsFixture("encrypted.xls")
        << "\"%1\" is encrypted: save it without a password." << QStringList{};
    const QByteArray legacy = xlsFixture("plain.xls");
    QTest::newRow("damaged .xls workbook")
        << "list.xls" << legacy.left(legacy.size() / 2) << "\"%1\" is damaged: " << QStringList{};
    QTest::newRow("damaged workbook") << "list.xlsx" << workbook.left(workbook.size() / 2)
                                      << "\"%1\" is damaged: " << QStringList{};
    QTest::newRow("no sheet of either table")
        << "list.xlsx" << workbook << ""
        << QStringList{"   Scan Sheet dcEnums",
                       "   Sheet dcEnums could not be opened",
                       "      Table dcEnums left as it was",
                       "   Scan Sheet alarmEnums",
                       "   Sheet alarmEnums could not be opened",
                       "      Table alarmEnums left as it was"};
}

void ScanSignalListTest::nothingImportedSavesNoVersion() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, box);
    QFETCH(QStringList, told);
    if (name.endsWith(QLatin1String(".xls")))
        PXU_SKIP_WITHOUT_XLWT();
    OpenBuilder open;
    const QString list = open.fixture.path(name);
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const QString before = dumpDatabase(open.builder.tempDcFile());
    open.import(list);

    const QStringList lines = open.builder.messages().lines();
    QCOMPARE(lines.mid(1, 2), (QStringList{"Scan Signal-List " + list, "   Open Excel " + list}));
    if (box.isEmpty()) {
        QVERIFY(open.dialogs.shown().isEmpty());
    } else {
        // The workbook is refused with a box that names the file, and the same line.
        QCOMPARE(open.dialogs.shown().size(), 1);
        const BoxRequest& shown = open.dialogs.shown()[0];
        QCOMPARE(shown.title, QStringLiteral("ERROR"));
        QVERIFY2(shown.text.startsWith(box.arg(QDir::toNativeSeparators(list))),
                 qPrintable(shown.text));
        told = QStringList{"   " + shown.text};
    }
    QCOMPARE(lines.mid(3, lines.size() - 5), told);
    QCOMPARE(lines[lines.size() - 2], QStringLiteral("   Nothing imported: no new DC-Version"));
    QVERIFY(!QFile::exists(open.version(2)));
    QCOMPARE(dumpDatabase(open.builder.tempDcFile()), before);
    QVERIFY(open.builder.view().exitEnabled);
}

void ScanSignalListTest::missingAlarmSheetLeavesTheAlarmsAsTheyWere() {
    OpenBuilder open;
    xlsx::WorkbookWriter writer;
    writer.addSheet("dcEnums")
        .text(1, 1, "name")
        .text(1, 2, "value")
        .text(2, 1, "PAR_RATED_SPEED")
        .number(2, 2, 760);
    const QString list = open.fixture.path("dc only.xlsx");
    QVERIFY(writer.save(list));
    open.import(list);

    const QStringList lines = open.builder.messages().lines();
    QCOMPARE(section(lines, "   Scan Sheet alarmEnums"),
             (QStringList{"   Scan Sheet alarmEnums", "   Sheet alarmEnums could not be opened",
                          "      Table alarmEnums left as it was",
                          "   Update id's in alarmEnums-table"}));
    const QString saved = open.version(2);
    QCOMPARE(open.builder.newestDcFile(), saved);
    QCOMPARE(queryValue(saved, "SELECT value FROM dcEnums WHERE name = 'PAR_RATED_SPEED'").toInt(),
             760);
    // The alarms keep the change codes of the scan: none is left at 2.
    QCOMPARE(queryColumn(saved, "SELECT DISTINCT \"upDate\" FROM alarmEnums"), QVariantList{1});
    QCOMPARE(queryValue(saved, "SELECT count(*) FROM dcEnums WHERE \"upDate\" = 2").toInt(), 209);
}

QTEST_MAIN(ScanSignalListTest)
#include "scan_signal_list_test.moc"
