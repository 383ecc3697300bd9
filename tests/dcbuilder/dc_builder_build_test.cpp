// The build tab's "Build" in the builder: which version it builds, where the plant and
// software information comes from, the database that is not up to date, and the main
// window's load files afterwards.
#include "core/globals.h"
#include "core/srecord_file.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/download_file_build.h"
#include "dcdatabase/special_symbols.h"
#include "image_fixture.h"
#include "mainwindow/log_lines.h"
#include "sample_versions.h"
#include "support/scripted_dialogs.h"

#include <QSignalSpy>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// The builder opened on the sample plant of version 001, which its schema update saves as
// 002 at the build tab.
struct OpenBuilder {
    OpenBuilder() {
        copySampleLoadFiles(fixture.folder());
        fixture.samplePlant(DcFixture::versionName(1));
        builder.g_show(fixture.folder());
        dialogs.clear();
        builder.messages().clear();
    }
    ~OpenBuilder() { builder.unload(); }

    QByteArray image() const {
        QByteArray bytes;
        qint32 start = 0;
        g_sRecToBin(fixture.path(dc::kDownloadFile), bytes, start);
        return bytes;
    }

    ScriptedDialogs dialogs;
    DcFixture fixture;
    DcBuilder builder;
};

} // namespace

class DcBuilderBuildTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        g_baseAdrDC = 0xC0000;
        g_debugMode = false;
    }
    void newestVersion_data();
    void newestVersion();
    void buildsTheNewestVersion();
    void databaseNotUpToDateIsNotBuilt();
    void informationComesFromTheWorkingCopy();
    void savedVersionKeepsWhatTheBuildStored();
    void builtVersionIsNeverRewritten_data();
    void builtVersionIsNeverRewritten();
};

void DcBuilderBuildTest::newestVersion_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("newest");
    const QString v1 = DcFixture::versionName(1);
    const QString v2 = DcFixture::versionName(2);
    const QString v10 = DcFixture::versionName(10);
    QTest::newRow("an upload sorts after the versions")
        << QStringList{v1, v2, "DORN Update Tool-PXU-DC-Upload.mdb"} << 1;
    QTest::newRow("a copy sorts after the versions")
        << QStringList{v1, v2, "DORN Update Tool-PXU-DC-002 copy.mdb"} << 1;
    QTest::newRow("numbers, not names") << QStringList{v10, v2} << 0;
    QTest::newRow("letter case") << QStringList{v1, "dorn update tool-pxu-dc-003.MDB"} << 1;
    QTest::newRow("the unnumbered one alone")
        << QStringList{"DORN Update Tool-PXU-DC.mdb", "DORN Update Tool-PXU-DC-Upload.mdb"} << 0;
    QTest::newRow("a numbered one before the unnumbered")
        << QStringList{v1, "DORN Update Tool-PXU-DC.mdb"} << 0;
    QTest::newRow("no version") << QStringList{"DORN Update Tool-PXU-DC-Upload.mdb"} << -1;
}

void DcBuilderBuildTest::newestVersion() {
    QFETCH(QStringList, files);
    QFETCH(int, newest);
    QCOMPARE(newestVersionIndex(files, "DORN Update Tool-PXU-DC-???.mdb"), newest);
}

void DcBuilderBuildTest::buildsTheNewestVersion() {
    OpenBuilder o;
    // An uploaded database sorts after the versions by name.
    QVERIFY(QFile::copy(o.fixture.path(DcFixture::versionName(1)),
                        o.fixture.path("DORN Update Tool-PXU-DC-Upload.mdb")));
    o.builder.tabAction_Click(tabBuild);
    QCOMPARE(o.builder.chosenDcFile(), o.fixture.path(DcFixture::versionName(2)));
    QSignalSpy written(&o.builder, &DcBuilder::downloadFileWritten);

    o.builder.cmdBuild_Click();

    const QStringList lines = o.builder.messages().lines();
    QVERIFY2(lines.first().startsWith("BUILD DC " + QString(73, u'-') + u' '),
             qPrintable(lines.first()));
    QCOMPARE(lines[1], "Build DC-S19-File out of " + o.fixture.path(DcFixture::versionName(2)));
    QCOMPARE(lines[lines.size() - 2], QStringLiteral("   Build S-Rec-file"));
    QVERIFY(lines.last().startsWith(QString(82, u'-') + u' '));
    QCOMPARE(written.size(), 1);
    QCOMPARE(o.image().mid(68, 4).toHex(), QByteArray("00000041"));
    QVERIFY(o.dialogs.shown().isEmpty());
    QVERIFY(!o.builder.view().busy);
}

void DcBuilderBuildTest::databaseNotUpToDateIsNotBuilt() {
    OpenBuilder o;
    o.builder.filSourceDC_Click(0); // version 001, before the schema update
    QSignalSpy written(&o.builder, &DcBuilder::downloadFileWritten);

    o.builder.cmdBuild_Click();

    const QStringList lines = o.builder.messages().lines();
    QCOMPARE(lines.mid(1, 2), (QStringList{"Database " + o.fixture.path(DcFixture::versionName(1)) +
                                               " is not uptodate.",
                                           "DC-S19-File cannot been built!"}));
    QCOMPARE(lines.size(), 4);
    QVERIFY(!QFile::exists(o.fixture.path(dc::kDownloadFile)));
    QCOMPARE(written.size(), 0);
}

void DcBuilderBuildTest::informationComesFromTheWorkingCopy() {
    OpenBuilder o;
    QString label;
    o.builder.setSpecialDcLongValue("42", dc::alias::build, label, {}, false);
    QVERIFY(o.builder.dcChanged());

    o.builder.cmdBuild_Click();

    // The version built still holds build 41; the image has the working copy's 42.
    QCOMPARE(queryValue(o.builder.chosenDcFile(),
                        "SELECT value FROM dcEnums WHERE name = 'PAR_SWINFO_BUILD'")
                 .toInt(),
             41);
    QCOMPARE(o.image().mid(68, 4).toHex(), QByteArray("00000042"));
    // The working copy, edited since its copy was built, keeps its edit.
    QCOMPARE(queryValue(o.builder.tempDcFile(),
                        "SELECT value FROM dcEnums WHERE name = 'PAR_SWINFO_BUILD'")
                 .toInt(),
             42);
}

void DcBuilderBuildTest::savedVersionKeepsWhatTheBuildStored() {
    OpenBuilder o;
    o.builder.tabAction_Click(tabBuild); // the changed working copy becomes 002 at once
    const QString built = o.fixture.path(DcFixture::versionName(2));
    const QString before = dumpDatabase(built);
    o.builder.cmdBuild_Click();
    const QString after = dumpDatabase(built);
    QVERIFY(after != before); // the group CRCs were stored

    o.builder.cmdExit_Click(); // saves the working copy as 002

    QCOMPARE(dumpDatabase(built), after);
}

void DcBuilderBuildTest::builtVersionIsNeverRewritten_data() {
    QTest::addColumn<bool>("editedAgain");
    QTest::newRow("edited again after the build") << true;
    QTest::newRow("closed after the build") << false;
}

void DcBuilderBuildTest::builtVersionIsNeverRewritten() {
    QFETCH(bool, editedAgain);
    ScriptedDialogs dialogs;
    DcFixture fixture;
    copySampleLoadFiles(fixture.folder());
    currentSampleVersions(fixture, dialogs, 6);
    const QString seventh = fixture.path(DcFixture::versionName(7));
    const QString eighth = fixture.path(DcFixture::versionName(8));
    DcBuilder builder;
    builder.g_show(fixture.folder());
    builder.tabAction_Click(tabInfo);
    builder.setInfoText(InfoBox::txtManufacNo, QStringLiteral("M-LOADED"));
    builder.tabAction_Click(tabBuild);
    QCOMPARE(builder.messages().lines().constLast(),
             "Result saved in new DC-Version " + DcFixture::versionName(7));
    QCOMPARE(builder.chosenDcFile(), seventh);
    builder.cmdBuild_Click();
    QVERIFY(QFile::exists(fixture.path(dc::kDownloadFile)));
    const QString loaded = dumpDatabase(seventh);
    if (editedAgain) {
        builder.tabAction_Click(tabInfo);
        builder.setInfoText(InfoBox::txtManufacNo, QStringLiteral("M-LATER"));
    }

    builder.cmdExit_Click();

    QCOMPARE(dumpDatabase(seventh), loaded);
    QCOMPARE(specialText(seventh, dc::alias::manufacNo), QStringLiteral("M-LOADED"));
    QCOMPARE(QFile::exists(eighth), editedAgain);
    if (editedAgain) {
        QCOMPARE(specialText(eighth, dc::alias::manufacNo), QStringLiteral("M-LATER"));
        QCOMPARE(builder.messages().lines().mid(builder.messages().count() - 2),
                 (QStringList{"DC-Version " + DcFixture::versionName(7) +
                                  " was built into the download file and is kept; the result "
                                  "goes to " +
                                  DcFixture::versionName(8),
                              "Result saved in new DC-Version " + DcFixture::versionName(8)}));
    }
    QVERIFY(!QFile::exists(builder.tempDcFile()));
}

QTEST_MAIN(DcBuilderBuildTest)
#include "dc_builder_build_test.moc"
