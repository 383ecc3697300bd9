#include "core/globals.h"
#include "core/message_window.h"
#include "core/new_file.h"
#include "dcbuilder/dc_template.h"
#include "platform/db/recordset.h"
#include "support/killed_session.h"
#include "support/scripted_dialogs.h"
#include "support/small_disk.h"
#include "support/unwritable_folder.h"
#include "work_folders.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <cerrno>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kTemplate041 = QStringLiteral("DC_Template_Build_041.mdb");
const QString kCreating = QStringLiteral("Creating DataContainer Template from File: \r");

// Every row of the query, its cells joined by "|".
QStringList rows(const QString& database, const QString& sql) {
    auto d = std::make_shared<db::Database>();
    d->open(database, true);
    db::Recordset rs;
    if (!rs.open(d, sql))
        return {rs.lastError()};
    QStringList out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i)
            cells << (rs.value(i).isNull() ? QStringLiteral("NULL") : rs.text(i));
        out << cells.join(u'|');
    }
    return out;
}

// The files of a folder, hidden ones too (a scratch copy left behind would show).
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void checkBanners(const QStringList& lines) {
    QVERIFY2(lines.size() >= 2, qPrintable(lines.join(u'\n')));
    QVERIFY(
        lines.first().startsWith(QStringLiteral("CREATE DC TEMPLATE ") + QString(63, u'-') + u' '));
    QVERIFY(lines.last().startsWith(QString(82, u'-') + u' '));
}

using Setup = std::function<void(DcFixture&, WorkFolders&)>;

} // namespace

class DcTemplateTest : public QObject {
    Q_OBJECT
private slots:
    void templateMarksWhatTheImageCarries();
    void templateIsMadeFromTheNewestVersion();
    void newestDatabaseIsTheHighestVersion_data();
    void newestDatabaseIsTheHighestVersion();
    void failureEndsTheCreationAndLeavesNoFile_data();
    void failureEndsTheCreationAndLeavesNoFile();
    void existingTemplateIsReplacedOnlyOnYes_data();
    void existingTemplateIsReplacedOnlyOnYes();
    void journalsOfKilledJobsAreNotTakenIntoTheTemplate();
    void unwritableTemplateFolderIsNamedInOneBox();
    void fullDiskIsToldInOneBoxAndLeavesNoFile_data();
    void fullDiskIsToldInOneBoxAndLeavesNoFile();
};

void DcTemplateTest::templateMarksWhatTheImageCarries() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    WorkFolders folders(fixture);
    // Change codes and online values to be reset, and a layout row of value "0".
    const QString plant = fixture.samplePlant(
        QStringLiteral("work/") + DcFixture::versionName(1),
        QStringLiteral("UPDATE dcEnums SET \"upDate\" = 0, onlineValue = 5;\n"
                       "UPDATE alarmEnums SET \"upDate\" = 0;\n"
                       "INSERT INTO dcBinFile VALUES (99, 'PARAMETER', 'GLB', 'modbusScale', '0', "
                       "4, NULL, NULL);\n"));
    RecordingSink log;
    QVERIFY(g_createDCTemplate(folders.work, log));

    checkBanners(log.lines);
    const QString made = QDir(folders.templates).filePath(kTemplate041);
    QCOMPARE(log.lines.mid(1, 3),
             (QStringList{kCreating + plant,
                          QStringLiteral("DataContainer Template created for Build No: 041"),
                          QStringLiteral("DataContainer Template written to ") + made}));
    QCOMPARE(filesIn(folders.templates), QStringList{kTemplate041});
    QVERIFY(dialogs.windows().isEmpty());

    // Parameters: what their layout carries; the minimum 32767.
    QCOMPARE(rows(made, "SELECT DISTINCT value, minValue, maxValue, crcGroup, writeAccessLevel, "
                        "readAccessLevel, onlineValue, \"upDate\" FROM dcEnums "
                        "WHERE id >= 0 AND id < 2048"),
             QStringList{"-32768|32767|-32768|-32768|-32768|-32768|0|1"});
    // Variables: only what the variables' layout carries.
    QCOMPARE(rows(made,
                  "SELECT DISTINCT producerMask, syncCmd, modbusAddr, onlineValue, \"upDate\" "
                  "FROM dcEnums WHERE id >= 2048"),
             QStringList{"-32768|-32768|-32768|0|1"});
    for (const char* untouched :
         {"SELECT id, name, class, varGroup, modbusScale FROM dcEnums ORDER BY id",
          "SELECT value, minValue, maxValue FROM dcEnums WHERE id >= 2048 ORDER BY id",
          "SELECT producerMask, syncCmd, modbusAddr FROM dcEnums WHERE id < 2048 ORDER BY id",
          "SELECT * FROM dcEnums WHERE id < 0 ORDER BY id",
          "SELECT * FROM alarmEnums WHERE id < 0 ORDER BY id",
          "SELECT id, name, class, comment, signalIndexName FROM alarmEnums ORDER BY id",
          "SELECT * FROM dcBinFile ORDER BY step", "SELECT * FROM sourceScan ORDER BY rowid"})
        QCOMPARE(rows(made, QLatin1String(untouched)), rows(plant, QLatin1String(untouched)));
    // Alarms: the whole alarm layout, no online value.
    QCOMPARE(rows(made, "SELECT DISTINCT fupId, criterion, signalIndex, minValue, maxValue, "
                        "hysteresis, onOffDelayId, producerMask, \"upDate\" FROM alarmEnums "
                        "WHERE id >= 0"),
             QStringList{"-32768|-32768|-32768|32767|-32768|-32768|-32768|-32768|1"});
    QVERIFY(rows(plant, "SELECT DISTINCT \"upDate\" FROM alarmEnums WHERE id >= 0") ==
            QStringList{"0"});
}

void DcTemplateTest::templateIsMadeFromTheNewestVersion() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    WorkFolders folders(fixture);
    fixture.samplePlant(QStringLiteral("work/") + DcFixture::versionName(1));
    const QString newest =
        fixture.samplePlant(QStringLiteral("work/") + DcFixture::versionName(2),
                            QStringLiteral("UPDATE dcEnums SET value = 7 WHERE name = "
                                           "'PAR_SWINFO_BUILD';"));
    RecordingSink log;
    QVERIFY(g_createDCTemplate(folders.work, log));
    QCOMPARE(log.lines.mid(1, 2),
             (QStringList{kCreating + newest,
                          QStringLiteral("DataContainer Template created for Build No: 007")}));
    QCOMPARE(filesIn(folders.templates), QStringList{"DC_Template_Build_007.mdb"});
}

void DcTemplateTest::newestDatabaseIsTheHighestVersion_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("newest");
    const QString v = QStringLiteral("DORN Update Tool-PXU-DC-%1.mdb");
    QTest::newRow("the highest number, not the last name")
        << QStringList{v.arg("005"), "DORN Update Tool-X-PXU-DC-002.mdb", v.arg("010"),
                       v.arg("009")}
        << v.arg("010");
    QTest::newRow("a longer prefix with the highest number")
        << QStringList{v.arg("001"), "DORN Update Tool-X-PXU-DC-002.mdb"}
        << "DORN Update Tool-X-PXU-DC-002.mdb";
    QTest::newRow("letter case ignored")
        << QStringList{"dorn update tool-pxu-dc-004.MDB", v.arg("002")}
        << "dorn update tool-pxu-dc-004.MDB";
    QTest::newRow("uploads, working copies and other projects are no versions")
        << QStringList{v.arg("003"), "DORN Update Tool-PXU-DC-Upload.mdb",
                       "DORN Update Tool-PXU-DC-temp.md", "Other-PXU-DC-009.mdb"}
        << v.arg("003");
    QTest::newRow("only the unnumbered one")
        << QStringList{"DORN Update Tool-PXU-DC.mdb", "Other-PXU-DC-009.mdb"}
        << "DORN Update Tool-PXU-DC.mdb";
    QTest::newRow("none") << QStringList{"DORN Update Tool-PXU-DC-temp.md"} << QString();
}

void DcTemplateTest::newestDatabaseIsTheHighestVersion() {
    QFETCH(QStringList, files);
    QFETCH(QString, newest);
    DcFixture fixture;
    const QString folder = fixture.path(QStringLiteral("plant"));
    QDir().mkpath(folder);
    for (const QString& name : files) {
        QFile f(QDir(folder).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(newestDcDatabase(folder),
             newest.isEmpty() ? QString() : QDir(folder).filePath(newest));
}

void DcTemplateTest::failureEndsTheCreationAndLeavesNoFile_data() {
    QTest::addColumn<QString>("sql"); // on the plant; "-" for no plant at all
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("lines"); // after the opening banner, the last one its start
    const Setup none = [](DcFixture&, WorkFolders&) {};
    const QString noSource = QStringLiteral("DC Template creation failed: could not open source "
                                            "Database");
    const QString noBuild = QStringLiteral("DC Template creation failed: the Data Container file "
                                           "holds no build number.");
    QTest::newRow("no database") << "-" << none
                                 << QStringList{"DC Template creation failed: no Data Container "
                                                "file in current project."};
    QTest::newRow("no variables' layout") << "DELETE FROM dcBinFile WHERE class = 'VARIABLE';"
                                          << none << QStringList{kCreating, noSource};
    QTest::newRow("no alarms") << "DELETE FROM alarmEnums WHERE id >= 0;" << none
                               << QStringList{kCreating, noSource};
    QTest::newRow("no alarm layout table")
        << "DROP TABLE alarmBinFile;" << none << QStringList{kCreating, noSource};
    QTest::newRow("no build symbol")
        << "DELETE FROM dcEnums WHERE name = 'PAR_SWINFO_BUILD';" << none
        << QStringList{kCreating, "      PAR_SWINFO_BUILD: Parameter not found in DC!", noBuild};
    QTest::newRow("empty build number")
        << "UPDATE dcEnums SET value = NULL WHERE name = 'PAR_SWINFO_BUILD';" << none
        << QStringList{kCreating, noBuild};
    QTest::newRow("negative build number")
        << "UPDATE dcEnums SET value = -7 WHERE name = 'PAR_SWINFO_BUILD';" << none
        << QStringList{kCreating, "DC Template creation failed: -007 is no build number."};
    QTest::newRow("a row the database refuses to change")
        << "CREATE TRIGGER keep BEFORE UPDATE ON alarmEnums BEGIN SELECT RAISE(ABORT, "
           "'alarms are kept'); END;"
        << none << QStringList{kCreating, "DC Template creation failed: alarms are kept"};
    QTest::newRow("no template folder can be made")
        << QString() << Setup([](DcFixture&, WorkFolders& f) {
               QFile blocker(f.templates);
               QVERIFY(blocker.open(QIODevice::WriteOnly));
           })
        << QStringList{kCreating, "DC Template creation failed: the template directory cannot "
                                  "be made: "};
    QTest::newRow("a damaged version")
        << QString() << Setup([](DcFixture&, WorkFolders& f) {
               scrambleFile(QDir(f.work).filePath(DcFixture::versionName(1)));
           })
        << QStringList{kCreating, "DC Template creation failed: <plant> is no data-container "
                                  "database: it is no SQLite database."};
    QTest::newRow("the template cannot be written")
        << QString() << Setup([](DcFixture&, WorkFolders& f) {
               QVERIFY(QDir().mkpath(QDir(f.templates).filePath(kTemplate041 + "/in-the-way")));
           })
        << QStringList{kCreating, "DC Template creation failed: could not write the template: "};
}

void DcTemplateTest::failureEndsTheCreationAndLeavesNoFile() {
    QFETCH(QString, sql);
    QFETCH(Setup, setup);
    QFETCH(QStringList, lines);
    ScriptedDialogs dialogs; // an existing template is replaced
    DcFixture fixture;
    WorkFolders folders(fixture);
    QString plant;
    if (sql != QLatin1String("-"))
        plant = fixture.samplePlant(QStringLiteral("work/") + DcFixture::versionName(1), sql);
    setup(fixture, folders);
    if (!plant.isEmpty())
        lines[0] += plant;
    lines.replaceInStrings(QStringLiteral("<plant>"), plant);

    RecordingSink log;
    QVERIFY(!g_createDCTemplate(folders.work, log));
    checkBanners(log.lines);
    const QStringList told = log.lines.mid(1, log.lines.size() - 2);
    QCOMPARE(told.size(), lines.size());
    QCOMPARE(told.mid(0, lines.size() - 1), lines.mid(0, lines.size() - 1));
    QVERIFY2(told.last().startsWith(lines.last()), qPrintable(told.last()));
    if (QFileInfo(folders.templates).isDir())
        QCOMPARE(filesIn(folders.templates), QStringList());
    if (plant.isEmpty())
        QCOMPARE(frmMessage2().view().text,
                 QStringLiteral("DC Template creation failed because there is no DataContainer "
                                "file in current project DORN Update Tool."));
}

void DcTemplateTest::existingTemplateIsReplacedOnlyOnYes_data() {
    QTest::addColumn<WindowAnswer>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<QString>("line");
    QTest::newRow("Yes") << WindowAnswer::Yes << true << "DataContainer Template written to ";
    QTest::newRow("No") << WindowAnswer::No << false
                        << "DataContainer Template creation cancelled.";
}

void DcTemplateTest::existingTemplateIsReplacedOnlyOnYes() {
    QFETCH(WindowAnswer, answer);
    QFETCH(bool, replaced);
    QFETCH(QString, line);
    ScriptedDialogs dialogs;
    dialogs.answerWindow(answer);
    DcFixture fixture;
    WorkFolders folders(fixture);
    fixture.samplePlant(QStringLiteral("work/") + DcFixture::versionName(1));
    const QString existing = QDir(folders.templates).filePath(kTemplate041);
    QDir().mkpath(folders.templates);
    {
        QFile old(existing);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older template");
    }
    RecordingSink log;
    QCOMPARE(g_createDCTemplate(folders.work, log), replaced);
    QCOMPARE(dialogs.windows().size(), 1);
    QCOMPARE(dialogs.windows().first().text,
             QStringLiteral("The DataContainer template for build 041 already exists. Do you "
                            "want to replace it? "));
    checkBanners(log.lines);
    QVERIFY(log.lines[log.lines.size() - 2].startsWith(line));
    QCOMPARE(filesIn(folders.templates), QStringList{kTemplate041});
    QFile kept(existing);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll() != "an older template", replaced);
}

void DcTemplateTest::journalsOfKilledJobsAreNotTakenIntoTheTemplate() {
    ScriptedDialogs dialogs; // the existing template is replaced
    DcFixture fixture;
    WorkFolders folders(fixture);
    const QString plant = fixture.samplePlant(QStringLiteral("work/") + DcFixture::versionName(1));
    const QString existing = QDir(folders.templates).filePath(kTemplate041);
    fixture.samplePlant(QStringLiteral("PXU_Templates/") + kTemplate041);
    // A build of the version and a job on the old template, both killed half-way.
    leaveKilledInTransaction(plant,
                             "UPDATE dcEnums SET value = 42 WHERE name = 'PAR_SWINFO_BUILD'");
    leaveKilledInTransaction(existing, "DELETE FROM dcEnums");
    RecordingSink log;
    QVERIFY2(g_createDCTemplate(folders.work, log), qPrintable(log.lines.join(u'\n')));
    QCOMPARE(log.lines[2], QStringLiteral("DataContainer Template created for Build No: 041"));
    QCOMPARE(filesIn(folders.templates), QStringList{kTemplate041});
    QCOMPARE(filesIn(folders.work), QStringList{DcFixture::versionName(1)});
    QCOMPARE(rows(existing, "PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(rows(existing, "SELECT DISTINCT onlineValue FROM dcEnums WHERE id >= 0"),
             QStringList{"0"});
}

void DcTemplateTest::unwritableTemplateFolderIsNamedInOneBox() {
    ScriptedDialogs dialogs;
    DcFixture fixture;
    WorkFolders folders(fixture);
    const QString plant = fixture.samplePlant(QStringLiteral("work/") + DcFixture::versionName(1));
    QVERIFY(QDir().mkpath(folders.templates));
    // Only the template folder is closed to the user (whose group the test's own is).
    for (const QString& open : {fixture.folder(), plant})
        QFile::setPermissions(open, QFile::permissions(open) | QFile::ReadGroup | QFile::ExeGroup);
    RecordingSink log;
    {
        UnwritableFolder readOnly(folders.templates);
        QVERIFY(!g_createDCTemplate(folders.work, log));
    }
    // The folder, not a pattern of a scratch file, with the system's reason.
    const QString told =
        folders.templates + QStringLiteral(" cannot be written: Permission denied.");
    QCOMPARE(dialogs.texts(), QStringList{told});
    QCOMPARE(dialogs.shown()[0].icon, BoxIcon::Critical);
    checkBanners(log.lines);
    QCOMPARE(log.lines[log.lines.size() - 2],
             QStringLiteral("DC Template creation failed: ") + told);
    QCOMPARE(filesIn(folders.templates), QStringList());
}

void DcTemplateTest::fullDiskIsToldInOneBoxAndLeavesNoFile_data() {
    QTest::addColumn<bool>("smallDisk"); // else our own writes fail, one step after the other
    QTest::addColumn<bool>("existing");  // a template of the build is there and replaced
    QTest::newRow("small disk") << true << false;
    QTest::newRow("small disk, over a template") << true << true;
    QTest::newRow("failed write") << false << false;
    QTest::newRow("failed write, over a template") << false << true;
}

void DcTemplateTest::fullDiskIsToldInOneBoxAndLeavesNoFile() {
    QFETCH(bool, smallDisk);
    QFETCH(bool, existing);
    DcFixture fixture;
    WorkFolders folders(fixture);
    fixture.samplePlant(QStringLiteral("work/") + DcFixture::versionName(1));
    std::optional<SmallDisk> disk;
    if (smallDisk) {
        disk.emplace(folders.templates, 2 * 1024 * 1024);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
    }
    QVERIFY(QDir().mkpath(folders.templates));
    const QString made = QDir(folders.templates).filePath(kTemplate041);
    const QByteArray older = "an older template";
    int failures = 0;
    for (int k = 0;; ++k) {
        QVERIFY2(k < 200, "the creation never ends whole");
        for (const QString& name : filesIn(folders.templates))
            QVERIFY(QFile::remove(QDir(folders.templates).filePath(name)));
        if (existing) {
            QFile old(made);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(older) == older.size());
        }
        ScriptedDialogs dialogs;
        dialogs.answerWindow(WindowAnswer::Yes);
        RecordingSink log;
        if (disk)
            disk->leaveFree(k * 8 * 1024);
        else
            injectWriteFailure(k, ENOSPC);
        const bool created = g_createDCTemplate(folders.work, log);
        const bool filled = disk || injectedWriteFailureCame();
        clearInjectedWriteFailure();
        if (disk)
            disk->freeAll();
        const QString all = log.lines.join(u'\n');
        QVERIFY2(!all.contains(QLatin1String("disk is full (in:")) &&
                     !all.contains(QLatin1String("~scratch")),
                 qPrintable(all));
        if (created) {
            QVERIFY2(disk || !filled, "a failed write went untold");
            QCOMPARE(filesIn(folders.templates), QStringList{kTemplate041});
            QCOMPARE(rows(made, "PRAGMA integrity_check"), QStringList{"ok"});
            break;
        }
        ++failures;
        // One box: the template, or its folder while the build is not yet read.
        const QStringList boxes = dialogs.texts();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2((boxes[0] == made + " cannot be written: the disk is full." ||
                  boxes[0] == folders.templates + " cannot be written: the disk is full."),
                 qPrintable(boxes[0]));
        QCOMPARE(log.lines[log.lines.size() - 2], "DC Template creation failed: " + boxes[0]);
        // No scratch copy stays, and a template that was there is as it was.
        QCOMPARE(filesIn(folders.templates), existing ? QStringList{kTemplate041} : QStringList());
        if (existing) {
            QFile kept(made);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), older);
        }
    }
    QVERIFY(failures > 0);
}

QTEST_MAIN(DcTemplateTest)
#include "dc_template_test.moc"
