#include "core/globals.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_builder_form.h"
#include "dcdatabase/dc_schema.h"
#include "dcdatabase/special_symbols.h"
#include "sample_versions.h"
#include "support/other_writer.h"
#include "support/recording_desktop.h"
#include "support/recording_error_handler.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"
#include "support/unwritable_folder.h"
#include "support/virtual_time.h"

#include <QDir>
#include <QStackedWidget>
#include <QTabBar>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

using Step = std::function<void(DcBuilder&)>;
using Damage = std::function<void(const QString& version)>;

const QString kNotAvailable = QStringLiteral("\r\nTherefore DC Builder is not available.");

void typeHullNumber(DcBuilder& builder, const QString& hull) {
    builder.tabAction_Click(tabInfo);
    builder.setInfoText(InfoBox::txtHullNo, hull);
    builder.txtInfo_LostFocus(InfoBox::txtHullNo);
}

// The box of a file that cannot be written names it and gives the system's reason.
bool namesFileAndReason(const QString& text, const QString& file) {
    const QString head = QDir::toNativeSeparators(file) + QStringLiteral(" cannot be written: ");
    return text.startsWith(head) && text.size() > head.size() + 2;
}

} // namespace

class DcBuilderFailuresTest : public QObject {
    Q_OBJECT
private slots:
    void init() { g_baseAdrDC = 0xC0000; }
    void unwritableFolderAtOpeningIsToldInOneBox();
    void unwritableFolderIsToldInOneBoxAndLosesNothing_data();
    void unwritableFolderIsToldInOneBoxAndLosesNothing();
    void unwritableFolderAtBuildIsNamedAlikeInBoxAndList();
    void damagedVersionIsNamed_data();
    void damagedVersionIsNamed();
    void failedSchemaUpdateNamesTheVersion();
    void emptyPlantInfoFieldLetsTheOlderDatabaseOpen();
    void reportWithoutBrowserNamesThePage();
    void fileAnotherProgramWritesIsToldInOneBox_data();
    void fileAnotherProgramWritesIsToldInOneBox();
    void workingCopyThatCannotBeDeletedIsToldAndMadeAnewLater();
};

void DcBuilderFailuresTest::unwritableFolderAtOpeningIsToldInOneBox() {
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    const auto before = folderState(fixture.folder());
    DcBuilder builder;
    {
        UnwritableFolder readOnly(fixture.folder());
        builder.g_show(fixture.folder());
    }
    QVERIFY(!builder.isLoaded());
    QVERIFY(errors.reports().isEmpty());
    QCOMPARE(dialogs.texts().size(), 1);
    QVERIFY2(namesFileAndReason(dialogs.texts()[0], builder.tempDcFile()),
             qPrintable(dialogs.texts()[0]));
    QVERIFY(dialogs.texts()[0].endsWith(kNotAvailable));
    QCOMPARE(dialogs.shown()[0].icon, BoxIcon::Critical);
    QCOMPARE(folderState(fixture.folder()), before);
}

void DcBuilderFailuresTest::unwritableFolderIsToldInOneBoxAndLosesNothing_data() {
    QTest::addColumn<Step>("step");     // while the folder cannot be written
    QTest::addColumn<QString>("named"); // the file the box names
    // As a click on the tab strip, which shows the new tab before the builder hears of it.
    QTest::newRow("the build tab")
        << Step([](DcBuilder& b) { b.form()->tabAction->setCurrentIndex(tabBuild - 1); })
        << DcFixture::versionName(5);
    QTest::newRow("Exit") << Step([](DcBuilder& b) { b.cmdExit_Click(); })
                          << DcFixture::versionName(5);
    QTest::newRow("an information box")
        << Step([](DcBuilder& b) { typeHullNumber(b, QStringLiteral("H-2")); })
        << "DORN Update Tool-PXU-DC-temp.md";
}

void DcBuilderFailuresTest::unwritableFolderIsToldInOneBoxAndLosesNothing() {
    QFETCH(Step, step);
    QFETCH(QString, named);
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 4);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    typeHullNumber(builder, QStringLiteral("H-1"));
    QVERIFY(builder.dcChanged());
    const auto before = folderState(fixture.folder());
    {
        UnwritableFolder readOnly(fixture.folder());
        step(builder);
    }
    QVERIFY(errors.reports().isEmpty());
    QCOMPARE(dialogs.texts().size(), 1);
    QVERIFY2(namesFileAndReason(dialogs.texts()[0], fixture.path(named)),
             qPrintable(dialogs.texts()[0]));
    QCOMPARE(dialogs.shown()[0].icon, BoxIcon::Critical);
    QVERIFY(builder.isLoaded()); // on the working copy, which holds the changes
    QCOMPARE(folderState(fixture.folder()), before);
    // The tab strip and the page show the same tab.
    DcBuilderForm* form = builder.form();
    QVERIFY(form);
    QCOMPARE(form->tabAction->currentIndex(), builder.view().tab - 1);
    QCOMPARE(form->frames->currentIndex(), builder.view().tab - 1);
    // Once the folder can be written, Exit saves what was committed before.
    builder.cmdExit_Click();
    QVERIFY(!builder.isLoaded());
    QCOMPARE(specialText(fixture.path(DcFixture::versionName(5)), dc::alias::hullNo),
             QStringLiteral("H-1"));
}

void DcBuilderFailuresTest::unwritableFolderAtBuildIsNamedAlikeInBoxAndList() {
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 4);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    // Built once, the version holds its CRCs: the next build writes nothing into it.
    builder.cmdBuild_Click();
    const QString download = fixture.path(QStringLiteral("PXU_DATA.S19"));
    QVERIFY(QFileInfo::exists(download));
    dialogs.clear();
    builder.messages().clear();
    const auto before = folderState(fixture.folder());
    {
        UnwritableFolder readOnly(fixture.folder());
        builder.cmdBuild_Click();
    }
    QVERIFY(errors.reports().isEmpty());
    QCOMPARE(dialogs.texts().size(), 1);
    const QString told = dialogs.texts()[0].section(QStringLiteral("\r\n"), 0, 0);
    QVERIFY2(namesFileAndReason(told, download), qPrintable(told));
    QVERIFY2(builder.messages().lines().contains(QStringLiteral("      ") + told),
             qPrintable(builder.messages().lines().join(u'\n')));
    QCOMPARE(folderState(fixture.folder()), before);
    builder.unload();
}

void DcBuilderFailuresTest::damagedVersionIsNamed_data() {
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("why");
    QTest::newRow("random bytes") << Damage([](const QString& v) { scrambleFile(v); })
                                  << "it is no SQLite database";
    QTest::newRow("random bytes in its second half")
        << Damage([](const QString& v) { scrambleFile(v, 0.5); }) << "its pages are broken";
    QTest::newRow("no symbol table")
        << Damage([](const QString& v) { execute(v, "DROP TABLE dcEnums"); })
        << "it has no table dcEnums";
}

void DcBuilderFailuresTest::damagedVersionIsNamed() {
    QFETCH(Damage, damage);
    QFETCH(QString, why);
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 2);
    const QString newest = fixture.path(DcFixture::versionName(2));
    damage(newest);
    const auto before = folderState(fixture.folder());
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(!builder.isLoaded());
    QVERIFY(errors.reports().isEmpty());
    QCOMPARE(dialogs.texts().size(), 1);
    const QString text = dialogs.texts()[0];
    QVERIFY2(text.startsWith(newest + QStringLiteral(" is no data-container database: ") + why),
             qPrintable(text));
    QVERIFY(text.endsWith(kNotAvailable));
    QVERIFY(!text.contains(QStringLiteral("-temp.md")));
    QCOMPARE(folderState(fixture.folder()), before);
}

void DcBuilderFailuresTest::failedSchemaUpdateNamesTheVersion() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    const QString version = fixture.samplePlant(
        DcFixture::versionName(1), "CREATE TRIGGER refuse BEFORE UPDATE ON dcBinFile BEGIN SELECT "
                                   "RAISE(ABORT, 'layout refused'); END;");
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(!builder.isLoaded());
    QCOMPARE(dialogs.texts().size(), 3); // the question, the failure, the refusal
    QVERIFY2(dialogs.texts()[1].contains(QStringLiteral("The DC-database ") + version +
                                         QStringLiteral(" could not be brought")),
             qPrintable(dialogs.texts()[1]));
    QVERIFY(dialogs.texts()[1].contains(QStringLiteral("layout refused")));
    QVERIFY(!dialogs.texts()[1].contains(QStringLiteral("-temp.md")));
}

void DcBuilderFailuresTest::emptyPlantInfoFieldLetsTheOlderDatabaseOpen() {
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    DcFixture fixture;
    const QString version = fixture.samplePlant(
        DcFixture::versionName(1), "UPDATE plantInfo SET ManufacNo = NULL, HullNo = 'H-77';");
    const QString manufacturer = specialText(version, dc::alias::manufacNo);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(builder.isLoaded());
    QVERIFY(errors.reports().isEmpty());
    QCOMPARE(dialogs.texts().size(), 1); // the update's question alone
    // The field's line, then the save of the updated schema that showing the build tab makes.
    QCOMPARE(builder.messages().lines(),
             (QStringList{"      plantInfo: the field ManufacNo is empty, PAR_SWINFO_MANUFAC_NO_ "
                          "stays as it is",
                          "Result saved in new DC-Version " + DcFixture::versionName(2)}));
    builder.unload();
    const QString saved = fixture.path(DcFixture::versionName(2));
    QCOMPARE(specialText(saved, dc::alias::hullNo), QStringLiteral("H-77"));
    QCOMPARE(specialText(saved, dc::alias::manufacNo), manufacturer);
    QCOMPARE(queryValue(saved, "SELECT applVersion FROM version ORDER BY date DESC").toString(),
             QStringLiteral("2.0.2"));
}

void DcBuilderFailuresTest::reportWithoutBrowserNamesThePage() {
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    desktop.setSucceeds(false);
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    builder.cmdReport_Click();
    const QString page = fixture.path("DORN Update Tool-PXU-DC-001.rep.html");
    QCOMPARE(desktop.urls(), QList<QUrl>{QUrl::fromLocalFile(page)});
    QCOMPARE(dialogs.texts(), QStringList{"The desktop has no program to open the file:\r\n" +
                                          QDir::toNativeSeparators(page)});
    QCOMPARE(dialogs.shown()[0].icon, BoxIcon::Information);
    builder.unload();
}

void DcBuilderFailuresTest::fileAnotherProgramWritesIsToldInOneBox_data() {
    QTest::addColumn<QString>("held"); // the file another program is writing
    QTest::addColumn<OtherWriter::Stage>("stage");
    QTest::addColumn<Step>("step");   // on the open builder; none: the opening
    QTest::addColumn<QString>("box"); // %1: the file
    using Stage = OtherWriter::Stage;
    const QString newest = DcFixture::versionName(4);
    const QString workingCopy = QStringLiteral("DORN Update Tool-PXU-DC-temp.md");
    const QString cannotBeWritten = QStringLiteral("%1 cannot be written: another program is "
                                                   "writing it.");
    const QString beingWritten = QStringLiteral("%1 is being written by another program.");
    QTest::newRow("opening: the newest version")
        << newest << Stage::writingTheFile << Step() << cannotBeWritten + kNotAvailable;
    QTest::newRow("an information box: the working copy")
        << workingCopy << Stage::changing << Step([](DcBuilder& b) {
               b.setInfoText(InfoBox::txtHullNo, QStringLiteral("H-2"));
               b.txtInfo_LostFocus(InfoBox::txtHullNo);
           })
        << beingWritten + QStringLiteral("\r\nNothing was stored.");
    QTest::newRow("Build: the chosen version")
        << newest << Stage::writingTheFile << Step([](DcBuilder& b) { b.cmdBuild_Click(); })
        << beingWritten + QStringLiteral("\r\nDC-S19-File cannot been built!");
    QTest::newRow("Exit: the working copy")
        << workingCopy << Stage::changing << Step([](DcBuilder& b) { b.cmdExit_Click(); })
        << cannotBeWritten + QStringLiteral("\r\nThe changes stay in the working copy %1.");
}

void DcBuilderFailuresTest::fileAnotherProgramWritesIsToldInOneBox() {
    QFETCH(QString, held);
    QFETCH(OtherWriter::Stage, stage);
    QFETCH(Step, step);
    QFETCH(QString, box);
    const bool atOpening = !step;
    VirtualTime time;
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 4);
    DcBuilder builder;
    if (!atOpening) {
        builder.g_show(fixture.folder());
        typeHullNumber(builder, QStringLiteral("H-1"));
        QVERIFY(builder.dcChanged());
    }
    const qint64 start = time.nowMs();
    {
        OtherWriter other(fixture.path(held), QStringLiteral("UPDATE dcEnums SET value = 5"),
                          stage);
        if (atOpening)
            builder.g_show(fixture.folder());
        else
            step(builder);
    }
    // A short wait for the other program, in program time: the window is not held.
    const qint64 waited = time.nowMs() - start;
    QVERIFY2(waited > 0 && waited <= 1000, qPrintable(QString::number(waited)));
    QVERIFY(errors.reports().isEmpty());
    QCOMPARE(dialogs.texts(), QStringList{box.arg(fixture.path(held))});
    QCOMPARE(dialogs.shown()[0].icon, BoxIcon::Critical);
    QVERIFY(!builder.messages().lines().join(u'\n').contains(QStringLiteral("not uptodate")));
    QCOMPARE(builder.isLoaded(), !atOpening);
    // Once the other program is done, nothing is lost.
    if (!atOpening) {
        builder.cmdExit_Click();
        QVERIFY(!builder.isLoaded());
        QCOMPARE(specialText(fixture.path(DcFixture::versionName(5)), dc::alias::hullNo),
                 QStringLiteral("H-1"));
    }
}

void DcBuilderFailuresTest::workingCopyThatCannotBeDeletedIsToldAndMadeAnewLater() {
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    DcFixture fixture;
    currentSampleVersions(fixture, dialogs, 1);
    DcBuilder builder;
    builder.g_show(fixture.folder());
    QVERIFY(builder.isLoaded());
    const QString workingCopy = builder.tempDcFile();
    {
        UnwritableFolder readOnly(fixture.folder());
        builder.cmdExit_Click(); // nothing changed
        QVERIFY(!builder.isLoaded());
        QVERIFY(QFile::exists(workingCopy));
        const QString told = QStringLiteral("The working copy %1 cannot be deleted: ")
                                 .arg(QDir::toNativeSeparators(workingCopy));
        QCOMPARE(dialogs.texts().size(), 1);
        QVERIFY2(dialogs.texts()[0].startsWith(told) &&
                     dialogs.texts()[0].endsWith(
                         QStringLiteral(".\r\nIt holds no unsaved changes; the next opening of "
                                        "the DC Builder makes it anew.")),
                 qPrintable(dialogs.texts()[0]));
        QVERIFY(builder.messages().lines().constLast().startsWith(told));

        // Opened again in the read-only folder: the working copy it cannot make is named.
        dialogs.clear();
        DcBuilder again;
        again.g_show(fixture.folder());
        QVERIFY(!again.isLoaded());
        QCOMPARE(dialogs.texts().size(), 1);
        QVERIFY2(namesFileAndReason(dialogs.texts()[0], workingCopy),
                 qPrintable(dialogs.texts()[0]));
        QVERIFY(dialogs.texts()[0].endsWith(kNotAvailable));
    }
    // Writable again: a fresh working copy, and no word of a session that did not close.
    dialogs.clear();
    DcBuilder later;
    later.g_show(fixture.folder());
    QVERIFY(later.isLoaded());
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(later.messages().lines(),
             QStringList{"Working copy DORN Update Tool-PXU-DC-temp.md of an earlier session "
                         "holds only what " +
                         DcFixture::versionName(1) + " holds: made anew"});
    QCOMPARE(QDir(fixture.folder()).entryList({"*-leftover-*"}, QDir::Files), QStringList());
    later.unload();
    QVERIFY(!QFile::exists(workingCopy));
    QVERIFY(errors.reports().isEmpty());
}

QTEST_MAIN(DcBuilderFailuresTest)
#include "dc_builder_failures_test.moc"
