#include "core/globals.h"
#include "core/message_list_view.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_builder_form.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/edit_dc.h"
#include "dcdatabase/schema_migration.h"
#include "dcdatabase/special_symbols.h"
#include "mainwindow/form_widgets.h"
#include "mainwindow/main_window.h"
#include "sample_versions.h"
#include "support/killed_session.h"
#include "support/newest_line.h"
#include "support/recording_desktop.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// A builder open on versions 001 to count of the sample plant, on the program's schema.
struct OpenBuilder {
    explicit OpenBuilder(int count) {
        currentSampleVersions(fixture, dialogs, count);
        builder.g_show(fixture.folder());
    }
    ScriptedDialogs dialogs;
    DcFixture fixture;
    DcBuilder builder;
};

using Click = std::function<void(DcBuilder&)>;

} // namespace

class DcBuilderTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void opensOnTheNewestVersionAndLeavesAnUnchangedFolderAsItWas();
    void migrationOnOpeningCountsAsAChange();
    void buildTabCopiesAChangedWorkingCopyAtOnce();
    void leftoverWorkingCopyIsKeptAside_data();
    void leftoverWorkingCopyIsKeptAside();
    void journalOfAKilledSessionIsNotRolledIntoTheFreshWorkingCopy();
    void nextVersionTakenBySomeoneElseGoesToTheNextFreeNumber();
    void secondShowRaisesTheOpenWindow();
    void folderWithoutVersionIsTold();
    void refusedSchemaDoesNotOpen();
    void informationBoxesShowTheSymbols();
    void informationBoxesAreWritten_data();
    void informationBoxesAreWritten();
    void informationBoxesTakeWhatTheirSymbolsStore_data();
    void informationBoxesTakeWhatTheirSymbolsStore();
    void lockedBoxesAreNotWritten();
    void softwareInformationNotFoundUnlocksItsBox();
    void updateProgress_data();
    void updateProgress();
    void addMessage_data();
    void addMessage();
    void reportCopiesThreeTablesAndAPage_data();
    void reportCopiesThreeTablesAndAPage();
    void editButtonsOpenTheEditorOnTheWorkingCopy_data();
    void editButtonsOpenTheEditorOnTheWorkingCopy();
    void screenshotsOfEachTab();
    void listLineNamingTheLeftoverCanBeReadWhole();
};

void DcBuilderTest::init() {
    g_baseAdrDC = 0xC0000;
    g_debugMode = g_developMode = false;
}

void DcBuilderTest::opensOnTheNewestVersionAndLeavesAnUnchangedFolderAsItWas() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 4);
    const auto before = folderState(fixture.folder());
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(builder.isLoaded());
    QVERIFY(builder.view().visible);
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(builder.newestDcFile(), fixture.path(DcFixture::versionName(4)));
    QCOMPARE(builder.tempDcFile(), fixture.path("DORN Update Tool-PXU-DC-temp.md"));
    QCOMPARE(builder.nextDcFile(), fixture.path(DcFixture::versionName(5)));
    QVERIFY(QFile::exists(builder.tempDcFile()));
    QCOMPARE(builder.view().documentation[1],
             QStringLiteral("\r\n\r\n   DORN Update Tool-PXU-DC-005.mdb"));
    QCOMPARE(builder.view().tab, int(tabBuild));
    QCOMPARE(builder.view().startAdr, QStringLiteral("C0000"));
    // The working copy (".md") is not listed; the newest version is chosen.
    QCOMPARE(builder.view().sourceFiles,
             (QStringList{DcFixture::versionName(1), DcFixture::versionName(2),
                          DcFixture::versionName(3), DcFixture::versionName(4)}));
    QCOMPARE(builder.chosenDcFile(), fixture.path(DcFixture::versionName(4)));
    QVERIFY(!builder.view().scanHeaderEnabled);
    QVERIFY(builder.messages().lines().isEmpty());

    builder.cmdExit_Click();
    QVERIFY(!builder.isLoaded());
    QCOMPARE(folderState(fixture.folder()), before);
}

void DcBuilderTest::migrationOnOpeningCountsAsAChange() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString first = fixture.samplePlant(DcFixture::versionName(1));
    const auto original = folderState(fixture.folder());
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(builder.isLoaded());
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown()[0].title, QStringLiteral("Update Datacontainer"));
    QVERIFY(builder.dcChanged());
    builder.unload();
    const QString second = fixture.path(DcFixture::versionName(2));
    QVERIFY(QFile::exists(second));
    QVERIFY(!QFile::exists(builder.tempDcFile()));
    QCOMPARE(folderState(fixture.folder())[DcFixture::versionName(1)],
             original[DcFixture::versionName(1)]);
    QCOMPARE(builder.messages().lines().constLast(),
             QStringLiteral("Result saved in new DC-Version DORN Update Tool-PXU-DC-002.mdb"));
    bool upToDate = false;
    QCOMPARE(dc::g_getDatabaseVersion(second, upToDate), QStringLiteral("2.0.2"));
    QVERIFY(upToDate);
    // The next opening asks nothing and saves nothing.
    dialogs.clear();
    builder.g_show(fixture.folder());
    QCOMPARE(builder.newestDcFile(), second);
    QVERIFY(dialogs.shown().isEmpty());
    builder.unload();
    QVERIFY(!QFile::exists(fixture.path(DcFixture::versionName(3))));
}

void DcBuilderTest::buildTabCopiesAChangedWorkingCopyAtOnce() {
    OpenBuilder open(4);
    auto& [dialogs, fixture, builder] = open;
    const QString next = fixture.path(DcFixture::versionName(5));
    builder.tabAction_Click(tabInfo);
    builder.setInfoText(InfoBox::txtHullNo, QStringLiteral("H-1"));
    builder.tabAction_Click(tabBuild); // writes the box, then copies
    QVERIFY(QFile::exists(next));
    QVERIFY(QFile::exists(builder.tempDcFile()));
    QCOMPARE(specialText(next, dc::alias::hullNo), QStringLiteral("H-1"));
    QCOMPARE(builder.view().sourceFiles.constLast(), DcFixture::versionName(5));
    QCOMPARE(builder.chosenDcFile(), next);

    builder.tabAction_Click(tabInfo);
    builder.setInfoText(InfoBox::txtHullNo, QStringLiteral("H-2"));
    builder.unload(); // writes the box, then saves over the early copy
    QCOMPARE(specialText(next, dc::alias::hullNo), QStringLiteral("H-2"));
    QVERIFY(!QFile::exists(fixture.path(DcFixture::versionName(6))));
    QVERIFY(!QFile::exists(builder.tempDcFile()));
}

void DcBuilderTest::leftoverWorkingCopyIsKeptAside_data() {
    QTest::addColumn<bool>("killedInAJob");
    QTest::newRow("ended after its last job") << false;
    QTest::newRow("killed in a job, its journal beside it") << true;
}

void DcBuilderTest::leftoverWorkingCopyIsKeptAside() {
    QFETCH(bool, killedInAJob);
    VirtualTime time;
    ScriptedDialogs dialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    const QString version = fixture.path(DcFixture::versionName(1));
    const QString leftover = fixture.path("DORN Update Tool-PXU-DC-temp.md");
    QVERIFY(QFile::copy(version, leftover));
    execute(leftover, "UPDATE dcEnums SET value = 12 WHERE name = 'PAR_TOT_NO_OF_CYL'");
    const QByteArray committed = folderState(fixture.folder())["DORN Update Tool-PXU-DC-temp.md"];
    if (killedInAJob)
        leaveKilledInTransaction(leftover,
                                 "UPDATE dcEnums SET value = 99 WHERE name = 'PAR_TOT_NO_OF_CYL'");
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(builder.isLoaded());
    const QString aside = "DORN Update Tool-PXU-DC-temp-leftover-20260105-080000.md";
    // What the session committed, no part of the job it was killed in, and no journal left
    // under either name.
    QCOMPARE(folderState(fixture.folder())[aside], committed);
    QCOMPARE(queryValue(fixture.path(aside), "PRAGMA integrity_check").toString(),
             QStringLiteral("ok"));
    QCOMPARE(QDir(fixture.folder()).entryList({"*journal*"}, QDir::Files), QStringList());
    QCOMPARE(builder.messages().lines(),
             QStringList{"Working copy DORN Update Tool-PXU-DC-temp.md of an earlier session "
                         "kept as " +
                         aside});
    QCOMPARE(dialogs.texts(), QStringList{"The working copy of an earlier session that did not "
                                          "close is kept as\r\n" +
                                          fixture.path(aside)});
    QCOMPARE(dialogs.shown()[0].icon, BoxIcon::Information);
    QCOMPARE(folderState(fixture.folder())["DORN Update Tool-PXU-DC-temp.md"],
             folderState(fixture.folder())[DcFixture::versionName(1)]);
    builder.unload();
    QVERIFY(QFile::exists(fixture.path(aside)));
}

void DcBuilderTest::journalOfAKilledSessionIsNotRolledIntoTheFreshWorkingCopy() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    const QString workingCopy = fixture.path("DORN Update Tool-PXU-DC-temp.md");
    QVERIFY(QFile::copy(fixture.path(DcFixture::versionName(1)), workingCopy));
    execute(workingCopy, "UPDATE dcEnums SET value = 12 WHERE name = 'PAR_TOT_NO_OF_CYL'");
    leaveKilledInTransaction(workingCopy,
                             "UPDATE dcEnums SET value = 99 WHERE name = 'PAR_TOT_NO_OF_CYL'");
    // The working copy went aside without its journal, which stayed under its name.
    QVERIFY(QFile::rename(workingCopy, fixture.path("moved-away.md")));
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(builder.isLoaded());
    QCOMPARE(folderState(fixture.folder())["DORN Update Tool-PXU-DC-temp.md"],
             folderState(fixture.folder())[DcFixture::versionName(1)]);
    QVERIFY(!QFile::exists(workingCopy + "-journal"));
    builder.unload();
    QVERIFY(!QFile::exists(workingCopy));
}

void DcBuilderTest::nextVersionTakenBySomeoneElseGoesToTheNextFreeNumber() {
    OpenBuilder open(4);
    auto& [dialogs, fixture, builder] = open;
    // Another user saves 005 while the window is open.
    const QString theirs = fixture.path(DcFixture::versionName(5));
    QVERIFY(QFile::copy(fixture.path(DcFixture::versionName(1)), theirs));
    const QByteArray theirState = folderState(fixture.folder())[DcFixture::versionName(5)];
    builder.tabAction_Click(tabInfo);
    builder.setInfoText(InfoBox::txtHullNo, QStringLiteral("H-3"));
    builder.tabAction_Click(tabBuild);
    const QString ours = fixture.path(DcFixture::versionName(6));
    QVERIFY(QFile::exists(ours));
    QVERIFY(builder.messages().lines().contains(
        "DC-Version DORN Update Tool-PXU-DC-005.mdb exists already and is kept; the result goes "
        "to DORN Update Tool-PXU-DC-006.mdb"));
    builder.unload();
    QCOMPARE(folderState(fixture.folder())[DcFixture::versionName(5)], theirState);
    QCOMPARE(specialText(ours, dc::alias::hullNo), QStringLiteral("H-3"));
    QCOMPARE(builder.messages().lines().constLast(),
             QStringLiteral("Result saved in new DC-Version DORN Update Tool-PXU-DC-006.mdb"));
}

void DcBuilderTest::secondShowRaisesTheOpenWindow() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 2);
    DcBuilder builder;
    QSignalSpy raised(&builder, &DcBuilder::raiseRequested);
    builder.g_show(fixture.folder());
    const QString workingCopy = builder.tempDcFile();
    builder.g_show(fixture.path(QStringLiteral("elsewhere")));
    QCOMPARE(raised.size(), 1);
    QCOMPARE(builder.tempDcFile(), workingCopy);
    QCOMPARE(builder.sourceFolder(), fixture.folder());
    QVERIFY(QFile::exists(workingCopy));
    builder.unload();
}

void DcBuilderTest::folderWithoutVersionIsTold() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(!builder.isLoaded());
    QCOMPARE(dialogs.texts(),
             QStringList{"DataContainer " + fixture.path("DORN Update Tool-PXU-DC-???.mdb") +
                         " not available!"});
    QCOMPARE(dialogs.shown()[0].icon, BoxIcon::Critical);
    QVERIFY(builder.form() == nullptr);
}

void DcBuilderTest::refusedSchemaDoesNotOpen() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    fixture.samplePlant(DcFixture::versionName(1),
                        "CREATE TABLE version (date DATETIME, applVersion VARCHAR(16), comment "
                        "TEXT); INSERT INTO version VALUES ('2025-01-01 10:00:00', '9.0.0', "
                        "'Database Update:\r\nx');");
    const auto before = folderState(fixture.folder());
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(!builder.isLoaded());
    QCOMPARE(dialogs.texts().size(), 2);
    QCOMPARE(dialogs.texts()[1], QStringLiteral("Opening DC-database is blocked.\r\nTherefore DC "
                                                "Builder is not available."));
    QCOMPARE(dialogs.shown()[1].icon, BoxIcon::Information);
    QCOMPARE(folderState(fixture.folder()), before);
}

void DcBuilderTest::informationBoxesShowTheSymbols() {
    OpenBuilder open(1);
    auto& [dialogs, fixture, builder] = open;
    builder.tabAction_Click(tabInfo);
    QStringList shown;
    for (const InfoBoxView& box : builder.view().infos)
        shown << box.text;
    QCOMPARE(shown, (QStringList{"ZX-62 DF MK2/6C", "DORN Update Tool", "03", "041", "3.12",
                                 "M-40417", "IMO-7.2.1", "1305", "EPI-0815"}));
    QVERIFY(!builder.dcChanged());
    builder.unload();
}

void DcBuilderTest::informationBoxesAreWritten_data() {
    QTest::addColumn<InfoBox>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<Click>("leave");
    const Click lostFocus = [](DcBuilder& b) { b.txtInfo_LostFocus(InfoBox::txtBootloader); };
    QTest::newRow("bootloader on losing focus")
        << InfoBox::txtBootloader << "3.15"
        << "PAR_SWINFO_BOOTLOADER_VERSION" << qint64(315) << lostFocus;
    // A click on the tab strip takes no focus: the tab change writes what was typed.
    QTest::newRow("build on the tab change")
        << InfoBox::txtBuild << "42"
        << "PAR_SWINFO_BUILD" << qint64(42)
        << Click([](DcBuilder& b) { b.tabAction_Click(tabScan); });
    QTest::newRow("developer number on closing")
        << InfoBox::txtDeveloperNo << "1306"
        << "PAR_SWINFO_DEVELOPER_NO" << qint64(1306) << Click([](DcBuilder&) {});
}

void DcBuilderTest::informationBoxesAreWritten() {
    QFETCH(InfoBox, box);
    QFETCH(QString, typed);
    QFETCH(QString, symbol);
    QFETCH(qint64, stored);
    QFETCH(Click, leave);
    OpenBuilder open(1);
    auto& [dialogs, fixture, builder] = open;
    builder.tabAction_Click(tabInfo);
    builder.setInfoText(box, typed);
    leave(builder);
    builder.unload();
    const QString saved = fixture.path(DcFixture::versionName(2));
    QVERIFY(QFile::exists(saved));
    QCOMPARE(queryValue(saved, "SELECT value FROM dcEnums WHERE name = ?", {symbol}).toLongLong(),
             stored);
}

void DcBuilderTest::informationBoxesTakeWhatTheirSymbolsStore_data() {
    QTest::addColumn<InfoBox>("box");
    QTest::addColumn<QString>("rows"); // of the sample plant's version, before opening
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("line");
    QTest::newRow("engine type: the box 32, its four rows 16")
        << InfoBox::txtEngineType << QString() << 16
        << "      PAR_SWINFO_ENGINE_TYPE_ = ZX-62 DF MK2/6C ";
    QTest::newRow("hull number: eight rows, the box's 16")
        << InfoBox::txtHullNo
        << "INSERT INTO dcEnums (name, id, class, value) VALUES ('PAR_SWINFO_HULL_NO_5', 1900, "
           "'PARAMETER', 0), ('PAR_SWINFO_HULL_NO_6', 1901, 'PARAMETER', 0), "
           "('PAR_SWINFO_HULL_NO_7', 1902, 'PARAMETER', 0), ('PAR_SWINFO_HULL_NO_8', 1903, "
           "'PARAMETER', 0)"
        << 16 << "      PAR_SWINFO_HULL_NO_ = ZX-62 DF MK2/6C ";
    QTest::newRow("manufacturer number: two rows, 8")
        << InfoBox::txtManufacNo
        << "DELETE FROM dcEnums WHERE name IN ('PAR_SWINFO_MANUFAC_NO_3', "
           "'PAR_SWINFO_MANUFAC_NO_4')"
        << 8 << "      PAR_SWINFO_MANUFAC_NO_ = ZX-62 DF";
}

void DcBuilderTest::informationBoxesTakeWhatTheirSymbolsStore() {
    QFETCH(InfoBox, box);
    QFETCH(QString, rows);
    QFETCH(int, maxLength);
    QFETCH(QString, line);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    if (!rows.isEmpty())
        execute(fixture.path(DcFixture::versionName(1)), rows);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    builder.tabAction_Click(tabInfo);
    QCOMPARE(builder.view().infos[int(box)].maxLength, maxLength);
    QLineEdit* field = builder.form()->txtInfo[int(box)];
    QCOMPARE(field->maxLength(), maxLength);
    // Typed into the field, as a user types: it takes no more than is stored.
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("ZX-62 DF MK2/6C LONG STROKE"));
    QCOMPARE(builder.view().infos[int(box)].text.size(), maxLength);
    builder.txtInfo_LostFocus(box);
    QCOMPARE(builder.messages().lines().last(), line);
    builder.tabAction_Click(tabInfo);
    QCOMPARE(builder.view().infos[int(box)].text, line.mid(line.indexOf(" = ") + 3));
    builder.unload();
}

void DcBuilderTest::lockedBoxesAreNotWritten() {
    OpenBuilder open(1);
    auto& [dialogs, fixture, builder] = open;
    builder.tabAction_Click(tabInfo);
    builder.setSwInfoReadWriteAccess(true);
    for (const InfoBoxView& box : builder.view().infos) {
        QVERIFY(box.locked);
        QCOMPARE(box.backColour, kColourButtonFace);
    }
    builder.setInfoText(InfoBox::txtHullNo, QStringLiteral("H-9"));
    builder.txtInfo_LostFocus(InfoBox::txtHullNo);
    QVERIFY(!builder.dcChanged());
    builder.setSwInfoReadWriteAccess(false);
    QCOMPARE(builder.view().infos[0].backColour, kColourWindow);
    builder.unload();
    QVERIFY(!QFile::exists(fixture.path(DcFixture::versionName(2))));
}

void DcBuilderTest::softwareInformationNotFoundUnlocksItsBox() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    execute(fixture.path(DcFixture::versionName(1)),
            "DELETE FROM sourceScan WHERE name = 'APPL_VERSION'");
    DcBuilder builder;
    builder.g_show(fixture.folder());
    builder.setSwInfoReadWriteAccess(true);
    QVERIFY(!dc::DcJob::run(builder.tempDcFile(), [&](dc::DcJob& job) {
        builder.setSwInfos(job);
        builder.setDcVersion(job);
    }));
    QVERIFY(!builder.view().infos[int(InfoBox::txtSwVersion)].locked);
    QVERIFY(builder.view().infos[int(InfoBox::txtDeveloperNo)].locked);
    QVERIFY(builder.messages().lines().contains(
        "      SW-version not found -> check datacontainer.h!"));
    QVERIFY(builder.messages().lines().contains("   Write DC-version 7 into DC"));
    builder.unload();
}

void DcBuilderTest::updateProgress_data() {
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<double>("bar");
    QTest::newRow("relative over the end") << 0.9 << 0.3 << true << 1.0;
    QTest::newRow("absolute below 0") << 0.5 << -1.0 << false << 0.0;
    QTest::newRow("relative") << 0.2 << 0.3 << true << 0.5;
    QTest::newRow("relative below 0") << 0.2 << -0.5 << true << 0.0;
    QTest::newRow("absolute") << 0.7 << 0.25 << false << 0.25;
}

void DcBuilderTest::updateProgress() {
    QFETCH(double, start);
    QFETCH(double, value);
    QFETCH(bool, relative);
    QFETCH(double, bar);
    DcBuilder builder;
    builder.updateProgress(start);
    builder.updateProgress(value, relative);
    QCOMPARE(builder.view().progress, bar);
}

void DcBuilderTest::addMessage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << "a\r\nb" << QStringList{"a", "\nb"};
    QTest::newRow("empty text adds nothing") << "" << QStringList{};
    QTest::newRow("single blank") << " " << QStringList{" "};
    QTest::newRow("ending in CR") << "a\r" << QStringList{"a"};
    QTest::newRow("two CRs") << "a\r\rb" << QStringList{"a", "", "b"};
}

void DcBuilderTest::addMessage() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    DcBuilder builder;
    MessageListView list(builder.messages());
    list.resize(300, 120);
    list.show();
    // More lines than the list has room for: the newest is only in sight if it scrolls.
    for (int i = 0; i < 30; ++i)
        builder.addMessage(QStringLiteral("before %1").arg(i));
    builder.addMessage(QStringLiteral("first"));
    builder.addMessage(text);
    QCOMPARE(builder.messages().lines().mid(30), QStringList{"first"} + lines);
    QTRY_VERIFY(showsNewestLine(list));
}

void DcBuilderTest::reportCopiesThreeTablesAndAPage_data() {
    QTest::addColumn<bool>("debug");
    QTest::newRow("the user's list") << false;
    QTest::newRow("/debug adds the page's line") << true;
}

void DcBuilderTest::reportCopiesThreeTablesAndAPage() {
    QFETCH(bool, debug);
    g_debugMode = debug;
    VirtualTime time;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 2);
    const QString foreign = fixture.path("notes.rep");
    QFile f(foreign);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    // An earlier report copy that a job was killed on, its journal beside it.
    const QString copy = fixture.path("DORN Update Tool-PXU-DC-001.rep");
    QVERIFY(QFile::copy(fixture.path(DcFixture::versionName(1)), copy));
    leaveKilledInTransaction(copy, "DELETE FROM alarmEnums");
    DcBuilder builder;
    builder.g_show(fixture.folder());
    builder.filSourceDC_Click(0);
    builder.cmdReport_Click();
    const QString chosen = fixture.path(DcFixture::versionName(1));
    const QString page = copy + ".html";
    const QStringList lines = builder.messages().lines();
    QCOMPARE(lines.size(), debug ? 4 : 3);
    QVERIFY(lines[0].startsWith("REPORT " + QString(75, u'-') + ' '));
    QCOMPARE(lines[1], "Produce report out of " + chosen);
    if (debug)
        QCOMPARE(lines[2], "Debug: " + page);
    QVERIFY(lines.last().startsWith(QString(82, u'-') + ' '));
    QCOMPARE(desktop.urls(), QList<QUrl>{QUrl::fromLocalFile(page)});
    for (const char* table : {"dcEnums", "alarmEnums", "dcBinFile"})
        QCOMPARE(
            queryValue(copy, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))),
            queryValue(chosen,
                       QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))));
    QCOMPARE(
        queryValue(copy, "SELECT count(*) FROM sqlite_master WHERE name = 'sourceScan'").toInt(),
        0);
    QVERIFY(!QFile::exists(copy + "-journal"));
    QCOMPARE(queryValue(copy, "SELECT id FROM dcEnums WHERE name = 'par_rated_speed'").toInt(),
             1031);
    QFile html(page);
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    QVERIFY(text.contains("<h2>alarmEnums (41)</h2>"));
    QVERIFY(text.contains("<td>PAR_RATED_SPEED</td>"));
    QVERIFY(text.contains("<td>ZX-62 DF MK2/6C</td>") || text.contains("<td>DC_SWINFO_BUILD</td>"));
    builder.unload();
    QVERIFY(!QFile::exists(copy));
    QVERIFY(!QFile::exists(page));
    QVERIFY(QFile::exists(foreign));
}

void DcBuilderTest::editButtonsOpenTheEditorOnTheWorkingCopy_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("symbolClass");
    QTest::addColumn<bool>("edit");
    QTest::newRow("Edit Parameters") << 0 << "PARAMETER" << true;
    QTest::newRow("Edit Variables") << 1 << "VARIABLE" << true;
    QTest::newRow("Edit Logs") << 2 << "ALARM" << true;
    QTest::newRow("Edit Logs, nothing edited") << 2 << "ALARM" << false;
}

void DcBuilderTest::editButtonsOpenTheEditorOnTheWorkingCopy() {
    QFETCH(int, button);
    QFETCH(QString, symbolClass);
    QFETCH(bool, edit);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(!builder.dcChanged());
    const QString table = symbolClass == "ALARM" ? "alarmEnums" : "dcEnums";
    QString symbol;
    dialogs.whileShown([&] {
        EditDc& editor = frmEditDC();
        QCOMPARE(editor.datDc().databaseName(), builder.tempDcFile());
        QVERIFY(editor.datDc().recordSource().contains(table));
        dc::EditDcGrid& grid = *editor.visibleGrid();
        symbol = grid.FormatText(1, grid.columnOf("Name"));
        if (edit)
            QVERIFY(grid.editCell(1, grid.columnOf("Comment"), "edited in the grid"));
    });
    builder.cmdEdit_Click(button);
    QCOMPARE(dialogs.modalWindows(), QStringList{"frmEditDC"});
    QVERIFY(!frmEditDC().isLoaded());
    QCOMPARE(builder.dcChanged(), edit);
    builder.unload();
    // An edit shows in the next version; no edit leaves the folder without one.
    const QString next = fixture.path(DcFixture::versionName(2));
    QCOMPARE(QFile::exists(next), edit);
    if (edit)
        QCOMPARE(
            queryValue(
                next,
                QStringLiteral("SELECT comment FROM %1 WHERE name = ?").arg(dc::tableId(table)),
                {symbol})
                .toString(),
            QStringLiteral("edited in the grid"));
}

void DcBuilderTest::screenshotsOfEachTab() {
    VirtualTime time;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    DcFixture fixture;
    fixture.samplePlant(DcFixture::versionName(1));
    for (const char* header : {"global.h", "library.h", "dataContainer.h"}) {
        QFile f(fixture.path(QLatin1String(header)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    DcBuilder builder;
    builder.g_show(fixture.folder());
    DcBuilderForm* form = builder.form();
    QVERIFY(form);
    QVERIFY(builder.view().scanHeaderEnabled);
    QCOMPARE(form->windowTitle(), QStringLiteral("Data Container Builder"));
    builder.cmdReport_Click(); // a banner, the widest line of the list
    builder.addMessage(
        QStringLiteral("Result saved in new DC-Version DORN Update Tool-PXU-DC-002.mdb"));
    builder.updateProgress(0.4);
    const char* names[] = {"dc_builder_edit", "dc_builder_infos", "dc_builder_build",
                           "dc_builder_scan"};
    for (int tab = tabEdit; tab <= tabScan; ++tab) {
        form->tabAction->setCurrentIndex(tab - 1); // as a click on the tab strip
        QCOMPARE(builder.view().tab, tab);
        QCOMPARE(form->frames->currentIndex(), tab - 1);
        QVERIFY(!saveScreenshot(*form, QLatin1String(names[tab - 1])).isEmpty());
        if (tab == tabBuild) {
            // The start address's caption stands on the tab's own ground, with no box or
            // bar behind it.
            const QImage page = form->fraAction[tabBuild - 1]->grab().toImage();
            const QRect caption = form->txtLblStartAdr->geometry();
            const QRgb ground = page.pixel(caption.left() - 2, caption.top() + 1);
            for (int x = caption.left(); x <= caption.right(); ++x)
                QCOMPARE(page.pixel(x, caption.top() + 1), ground);
        }
    }
    QCOMPARE(form->txtInfo[int(InfoBox::txtHullNo)]->text(), QStringLiteral("DORN Update Tool"));
    QCOMPARE(form->tabAction->tabToolTip(3),
             QStringLiteral("Scan all variables, parameters and constants from source"));
    QVERIFY(form->minimumSizeHint().width() <= form->width());
    QVERIFY(!form->lstMessage->horizontalScrollBar()->isVisible());
    QVERIFY(form->minimumSizeHint().height() <= form->height());
    builder.unload();
}

void DcBuilderTest::listLineNamingTheLeftoverCanBeReadWhole() {
    VirtualTime time;
    ScriptedDialogs dialogs;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    const QString leftover = fixture.path("DORN Update Tool-PXU-DC-temp.md");
    QVERIFY(QFile::copy(fixture.path(DcFixture::versionName(1)), leftover));
    execute(leftover, "UPDATE dcEnums SET value = 12 WHERE name = 'PAR_TOT_NO_OF_CYL'");
    DcBuilder builder;
    builder.g_show(fixture.folder());
    DcBuilderForm* form = builder.form();
    QVERIFY(form);
    QCoreApplication::processEvents();
    const QStringList lines = builder.messages().lines();
    const QFontMetrics metrics(form->lstMessage->font());
    int widest = 0;
    for (int i = 1; i < lines.size(); ++i) {
        if (metrics.horizontalAdvance(lines[i]) > metrics.horizontalAdvance(lines[widest]))
            widest = i;
    }
    // Wider than the list: it scrolls sideways as far as the line goes, and at its end the
    // line's end shows.
    QVERIFY(lines[widest].contains(QStringLiteral("-leftover-")));
    const int needed = metrics.horizontalAdvance(lines[widest]);
    QScrollBar* across = form->lstMessage->horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    QVERIFY(across->maximum() + form->lstMessage->viewport()->width() >= needed);
    across->setValue(across->maximum());
    const QRect row = form->lstMessage->visualRect(form->lstMessage->model()->index(widest, 0));
    QVERIFY(row.width() >= needed);
    QVERIFY(row.left() + needed <= form->lstMessage->viewport()->width());
    QVERIFY(!saveScreenshot(*form, QStringLiteral("dc_builder_long_line")).isEmpty());
    builder.unload();
}

QTEST_MAIN(DcBuilderTest)
#include "dc_builder_test.moc"
