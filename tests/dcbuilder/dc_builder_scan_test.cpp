#include "core/event_turns.h"
#include "core/globals.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/info_boxes.h"
#include "sample_versions.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <QDir>
#include <QTimer>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// Version 001 of the sample plant on the program's schema, and the headers it was scanned
// from, "dataContainer.h" written in small letters; each change replaces a text of it.
void samplePlant(DcFixture& fixture, ScriptedDialogs& dialogs,
                 const QList<std::pair<QString, QString>>& changes = {}) {
    currentSampleVersions(fixture, dialogs);
    for (const char* name : {"global.h", "library.h"})
        QVERIFY(QFile::copy(QStringLiteral(PXU_SAMPLE_HEADERS "/") + QLatin1String(name),
                            fixture.path(QLatin1String(name))));
    QFile in(QStringLiteral(PXU_SAMPLE_HEADERS "/dataContainer.h"));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QByteArray text = in.readAll();
    for (const auto& [from, to] : changes) {
        QVERIFY2(text.contains(from.toLatin1()), qPrintable(from));
        text.replace(from.toLatin1(), to.toLatin1());
    }
    QFile out(fixture.path(QStringLiteral("datacontainer.h")));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(text);
}

// The list's lines from the comparison to the first line of the rebuild.
QStringList report(const QStringList& lines) {
    const qsizetype from =
        lines.indexOf(QStringLiteral("   Compare scan with previous scanned symbols"));
    const qsizetype to =
        lines.indexOf(QStringLiteral("   Update attributes of scanned symbols in dcEnums"));
    return from < 0 || to < from ? QStringList{QStringLiteral("<no report>")}
                                 : lines.mid(from + 1, to - from - 1);
}

// Virtual time in which every reading of the clock finds it a millisecond later: a job that
// reads it as it goes takes its time.
class CreepingTime : public VirtualTime {
public:
    qint64 nowUs() const override { return VirtualTime::nowUs() + (m_readings++) * 1000; }

private:
    mutable qint64 m_readings = 0;
};

} // namespace

class DcBuilderScanTest : public QObject {
    Q_OBJECT
private slots:
    void init() { g_debugMode = false; }
    void scanOfTheSampleSavesANewVersionWithoutChanges();
    void windowEventsRunWhileTheScanWorks();
    void changedHeadersAreReportedAndSaved();
    void failedScanIsToldOnceAndSavesNothing();
    void failedScanLeavesTheChangedMarkAsFound_data();
    void failedScanLeavesTheChangedMarkAsFound();
    void indexStepEndsBeforeTheSoftwareInformation_data();
    void indexStepEndsBeforeTheSoftwareInformation();
};

void DcBuilderScanTest::scanOfTheSampleSavesANewVersionWithoutChanges() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    samplePlant(fixture, dialogs);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(builder.view().scanHeaderEnabled);
    QVERIFY(!builder.dcChanged());

    builder.cmdScanHeader_Click();
    QCOMPARE(dialogs.texts(), QStringList());
    const QStringList lines = builder.messages().lines();
    QVERIFY(
        lines.first().startsWith(QStringLiteral("SCAN HEADER FILES ") + QString(64, u'-') + u' '));
    QCOMPARE(report(lines), QStringList());
    QVERIFY(lines.contains(QStringLiteral("   Update id's in alarmEnums-table")));
    QVERIFY(lines.contains(QStringLiteral("   Write DC-version 7 into DC")));
    QVERIFY(lines.contains(QStringLiteral("Result saved in new DC-Version ") +
                           DcFixture::versionName(2)));
    QVERIFY(lines.last().startsWith(QString(82, u'-') + u' '));
    QVERIFY(QFile::exists(fixture.path(DcFixture::versionName(2))));
    QCOMPARE(builder.newestDcFile(), fixture.path(DcFixture::versionName(2)));
    QCOMPARE(builder.nextDcFile(), fixture.path(DcFixture::versionName(3)));
    QVERIFY(builder.tempDcExists());
    QVERIFY(!builder.dcChanged());
    QVERIFY(builder.view().scanHeaderEnabled && builder.view().exitEnabled &&
            builder.view().tabEnabled && !builder.view().busy);
    QCOMPARE(queryValue(fixture.path(DcFixture::versionName(2)),
                        "SELECT count(*) FROM sourceScan WHERE \"upDate\" <> 1 AND class IN "
                        "('PARAMETER', 'VARIABLE', 'ALARM')")
                 .toInt(),
             0);
    builder.unload();
}

void DcBuilderScanTest::windowEventsRunWhileTheScanWorks() {
    CreepingTime time;
    ScriptedDialogs dialogs;
    DcFixture fixture;
    samplePlant(fixture, dialogs);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    // A timer that runs at every pass of the window's events: where the job was each time.
    QStringList whileBusy;
    QTimer pass;
    QObject::connect(&pass, &QTimer::timeout, [&] {
        if (builder.view().busy)
            whileBusy << builder.messages().lines().last();
    });
    pass.start(0);
    builder.cmdScanHeader_Click();
    pass.stop();
    // The steps that log nothing for long let the events run too: the comparison and the
    // writing of the scan, the two rebuilds, the alarms' references.
    for (const QString& step :
         {QStringLiteral("   Compare scan with previous scanned symbols"),
          QStringLiteral("      Update attribute 'fupId', 'comment', 'class' and 'varGroup' "
                         "from datacontainer.h"),
          QStringLiteral("   Update id's in alarmEnums-table")})
        QVERIFY2(whileBusy.contains(step), qPrintable(step + u'\n' + whileBusy.join(u'\n')));
    // Not only the comparison: reading the last scan and writing this one take their turns
    // too, each row of theirs a millisecond of this time.
    const int scanned =
        queryValue(fixture.path(DcFixture::versionName(2)), "SELECT count(*) FROM sourceScan")
            .toInt();
    const auto compare = whileBusy.count(QStringLiteral("   Compare scan with previous scanned "
                                                        "symbols"));
    QVERIFY2(compare >= 3 * scanned / EventTurns::kIntervalMs,
             qPrintable(QStringLiteral("%1 turns, %2 symbols").arg(compare).arg(scanned)));
    builder.unload();
}

void DcBuilderScanTest::changedHeadersAreReportedAndSaved() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    samplePlant(fixture, dialogs,
                {{"ENG_KNOCK_LIMIT,", "ENG_KNOCK_LIMIT_NEW,"},
                 {"   ENG_GOV_DEADBAND,", "   ENG_GOV_DEADBAND,\n   ENG_NEW_ONE, // 1125; New"},
                 {"LAST_ENG_PARAMETER,", "LAST_ENG_PARAMETER = 1126,"}});
    DcBuilder builder;
    builder.g_show(fixture.folder());
    builder.cmdScanHeader_Click();
    QCOMPARE(report(builder.messages().lines()),
             (QStringList{"      1 new items scanned", "         PAR: ENG_NEW_ONE (1125) {1125}",
                          "      !!!!!! Please fill in attributes !!!!!!", "      1 items renamed",
                          "         PAR: ENG_KNOCK_LIMIT_NEW (1121) {1121}"}));
    const QString saved = fixture.path(DcFixture::versionName(2));
    QVERIFY(QFile::exists(saved));
    // The renamed symbol keeps what users entered, the new one takes the parameters' defaults.
    QCOMPARE(queryValue(saved, "SELECT value FROM dcEnums WHERE name = 'ENG_KNOCK_LIMIT_NEW'"),
             queryValue(fixture.path(DcFixture::versionName(1)),
                        "SELECT value FROM dcEnums WHERE name = 'ENG_KNOCK_LIMIT'"));
    QCOMPARE(queryValue(saved, "SELECT syncCmd FROM dcEnums WHERE name = 'ENG_NEW_ONE'"),
             queryValue(saved, "SELECT syncCmd FROM dcEnums WHERE name = 'PAR_DEFAULT'"));
    builder.unload();
}

void DcBuilderScanTest::failedScanIsToldOnceAndSavesNothing() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    samplePlant(fixture, dialogs, {{"#define NO_OF_PAR_LUB 12", "#define NO_OF_PAR_LUB 12 % 0"}});
    DcBuilder builder;
    builder.g_show(fixture.folder());
    const auto before = folderState(fixture.folder());
    builder.cmdScanHeader_Click();
    const QString failure = QStringLiteral(
        "Scan failed, nothing written to the working copy: datacontainer.h, line 22: '12 % 0' "
        "cannot be evaluated: 12 % 0 divides by zero");
    QCOMPARE(dialogs.texts(), QStringList{failure});
    QVERIFY(builder.messages().lines().contains(QStringLiteral("   ") + failure));
    QCOMPARE(folderState(fixture.folder()), before);
    QVERIFY(!builder.dcChanged());
    QCOMPARE(builder.view().progress, 0.0);
    QVERIFY(builder.view().scanHeaderEnabled && builder.view().exitEnabled &&
            builder.view().tabEnabled && !builder.view().busy);
    builder.unload();
    QVERIFY(!QFile::exists(fixture.path(DcFixture::versionName(2))));
}

void DcBuilderScanTest::failedScanLeavesTheChangedMarkAsFound_data() {
    QTest::addColumn<bool>("editedBefore");
    QTest::newRow("unchanged working copy") << false;
    QTest::newRow("working copy edited before") << true;
}

void DcBuilderScanTest::failedScanLeavesTheChangedMarkAsFound() {
    QFETCH(bool, editedBefore);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    // The software version differs, so the scan writes it, and the layout's data-container
    // version is no number, so the scan fails after that.
    samplePlant(fixture, dialogs, {{"#define APPL_VERSION 3", "#define APPL_VERSION 4"}});
    execute(fixture.path(DcFixture::versionName(1)),
            "UPDATE dcBinFile SET value = 'seven' WHERE content = 'dcVersion'");
    DcBuilder builder;
    builder.g_show(fixture.folder());
    if (editedBefore) {
        builder.setInfoText(InfoBox::txtHullNo, QStringLiteral("H-7"));
        builder.txtInfo_LostFocus(InfoBox::txtHullNo);
    }
    QCOMPARE(builder.dcChanged(), editedBefore);

    builder.cmdScanHeader_Click();
    QVERIFY(builder.messages().lines().contains(QStringLiteral("      PAR_SWINFO_SW_VERSION = 4")));
    QCOMPARE(dialogs.texts().size(), 1);
    QVERIFY(dialogs.texts()[0].startsWith(QStringLiteral("Scan failed")));
    QCOMPARE(builder.dcChanged(), editedBefore);
    builder.unload();
    QCOMPARE(QFile::exists(fixture.path(DcFixture::versionName(2))), editedBefore);
}

void DcBuilderScanTest::indexStepEndsBeforeTheSoftwareInformation_data() {
    QTest::addColumn<QString>("signalName");
    QTest::addColumn<QStringList>("beforeBox"); // the index step's lines when the box shows
    QTest::addColumn<QStringList>("lines");     // from the index step's heading on
    QTest::newRow("all references found")
        << "GLB_HORN_ACTIVE" << QStringList()
        << QStringList{"   Update id's in alarmEnums-table", " ", "   Write SW-Infos"};
    QTest::newRow("a signal not found")
        << "GLB_NOWHERE"
        << QStringList{"   Update id's in alarmEnums-table",
                       "      Variable GLB_NOWHERE not found (see ALM_HORN)!"}
        << QStringList{"   Update id's in alarmEnums-table",
                       "      Variable GLB_NOWHERE not found (see ALM_HORN)!", " ",
                       "   Write SW-Infos"};
}

void DcBuilderScanTest::indexStepEndsBeforeTheSoftwareInformation() {
    QFETCH(QString, signalName);
    QFETCH(QStringList, beforeBox);
    QFETCH(QStringList, lines);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    samplePlant(fixture, dialogs);
    execute(fixture.path(DcFixture::versionName(1)),
            "UPDATE alarmEnums SET signalIndexName = ? WHERE name = 'ALM_HORN'", {signalName});
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QStringList atBox;
    dialogs.whileShown([&] {
        const QStringList shown = builder.messages().lines();
        atBox = shown.mid(shown.indexOf(QStringLiteral("   Update id's in alarmEnums-table")));
    });

    builder.cmdScanHeader_Click();
    QCOMPARE(atBox, beforeBox);
    QCOMPARE(dialogs.texts().size(), beforeBox.isEmpty() ? 0 : 1);
    const QStringList shown = builder.messages().lines();
    const qsizetype from = shown.indexOf(lines.first());
    QCOMPARE(shown.mid(from, lines.size()), lines);
    builder.unload();
}

QTEST_MAIN(DcBuilderScanTest)
#include "dc_builder_scan_test.moc"
