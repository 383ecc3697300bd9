#include "core/config_items.h"
#include "core/globals.h"
#include "main_window_fixture.h"
#include "mainwindow/load_files.h"
#include "mainwindow/selection.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

struct Row {
    QString module;
    int section;
    QString fileName;
};
using Rows = QList<Row>;

constexpr int kNoFile = 9999;

// A workspace whose loadFiles table holds the rows, with its configuration open.
class LoadFileRig {
public:
    explicit LoadFileRig(const Rows& rows)
        : files(selection, [this](const QString& line) { log << line; }) {
        workspace.execute(QStringLiteral("DELETE FROM loadFiles"));
        for (const Row& row : rows)
            workspace.execute(QStringLiteral("INSERT INTO loadFiles (module, fileType, section, "
                                             "fileName) VALUES (?, 'OUT', ?, ?)"),
                              {row.module, row.section, row.fileName});
        g_configDbPath = workspace.configDb();
        g_projectName = g_toolName;
        QVERIFY(g_iniGlobals());
        setTags(QStringLiteral("PXU"));
        files.setDirectory(workspace.folder());
    }
    void setTags(const QString& moduleType) {
        g_moduleType = moduleType;
        const SectionTags tags = sectionTags(moduleType);
        for (int i = 0; i < kSectionBoxCount; ++i) {
            selection.setSectionTag(i, tags[i]);
            selection.setSectionVisible(i, tags[i] != -1);
        }
    }
    QString path(const QString& name) const { return workspace.path(name); }

    Workspace workspace;
    Selection selection;
    QStringList log;
    LoadFiles files;
};

} // namespace

Q_DECLARE_METATYPE(Rows)

class LoadFilesTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void rowsResolveToTheirSectionBoxes_data();
    void rowsResolveToTheirSectionBoxes();
    void foundFileShowsItsDateAndTime();
    void checkResetsTheBoxesFirst_data();
    void checkResetsTheBoxesFirst();
    void noRowForTheTypeLogsOneErrorLine();
    void quietCheckLogsOnlyMissingFiles();
    void directoryGetsItsSeparatorThenIsChecked();
    void missingOrEmptyDirectoryDisablesSections_data();
    void missingOrEmptyDirectoryDisablesSections();
    void newBoxMovesFpgaAndBl2OfPxuOnly_data();
    void newBoxMovesFpgaAndBl2OfPxuOnly();
    void newFilesAreResolvedForTheMovedBoxes();
    void newNameChangesTheFileNameOnly_data();
    void newNameChangesTheFileNameOnly();
    void olderDataContainerS19Asks_data();
    void olderDataContainerS19Asks();
};

void LoadFilesTest::rowsResolveToTheirSectionBoxes_data() {
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QStringList>("files");       // on disk
    QTest::addColumn<QStringList>("shown");       // txtEmh 0 to 3, relative, or "---"
    QTest::addColumn<QStringList>("uploadNames"); // m_uploadFileName 0 to 3

    QTest::newRow("missing file shows ---")
        << Rows{{"PXU", 6, "PXU_APPL.S19"}, {"PXU", 4, "PXU_DATA.S19"}}
        << QStringList{"PXU_APPL.S19"} << QStringList{"PXU_APPL.S19", "---", "", ""}
        << QStringList{"PXU_APPL.S19", "PXU_DATA.S19", "", ""};
    QTest::newRow("later row wins")
        << Rows{{"PXU", 6, "A.S19"}, {"PXU", 6, "B.S19"}} << QStringList{"A.S19", "B.S19"}
        << QStringList{"B.S19", "", "", ""} << QStringList{"B.S19", "", "", ""};
    QTest::newRow("later missing row wins")
        << Rows{{"PXU", 6, "A.S19"}, {"PXU", 6, "B.S19"}} << QStringList{"A.S19"}
        << QStringList{"---", "", "", ""} << QStringList{"B.S19", "", "", ""};
    QTest::newRow("row of no box and other types ignored")
        << Rows{{"PXU", 5, "X.S19"}, {"KEV", 6, "K.S19"}, {"PXU", 3, "BL.S19"}}
        << QStringList{"X.S19", "K.S19", "BL.S19"} << QStringList{"", "", "", "BL.S19"}
        << QStringList{"", "", "", "BL.S19"};
    QTest::newRow("any letter case on disk")
        << Rows{{"pxu", 7, "pxu_fpga.s19"}} << QStringList{"PXU_FPGA.S19"}
        << QStringList{"", "", "PXU_FPGA.S19", ""} << QStringList{"", "", "pxu_fpga.s19", ""};
    QTest::newRow("in a subfolder")
        << Rows{{"PXU", 4, "Data\\pxu_data.S19"}} << QStringList{"data/PXU_DATA.S19"}
        << QStringList{"", "data/PXU_DATA.S19", "", ""}
        << QStringList{"", "Data\\pxu_data.S19", "", ""};
}

void LoadFilesTest::rowsResolveToTheirSectionBoxes() {
    QFETCH(Rows, rows);
    QFETCH(QStringList, files);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, uploadNames);
    ScriptedDialogs dialogs;
    LoadFileRig rig(rows);
    for (const QString& file : files)
        rig.workspace.writeFile(file);
    rig.files.g_checkFileExist(QStringLiteral("PXU"), false);
    for (int i = 0; i < 4; ++i) {
        const LoadFileBoxes& boxes = rig.files.boxes(i);
        const QString expected =
            shown[i] == QLatin1String("---") || shown[i].isEmpty() ? shown[i] : rig.path(shown[i]);
        QCOMPARE(boxes.emhText, expected);
        QCOMPARE(boxes.emhPath, shown[i] == QLatin1String("---") ? QString() : expected);
        QCOMPARE(rig.files.loadFileFound(i), !expected.isEmpty() && expected != "---");
        QCOMPARE(rig.files.uploadFileName(i), uploadNames[i]);
        if (shown[i] == QLatin1String("---")) {
            QCOMPARE(boxes.version, QStringLiteral("---"));
            QCOMPARE(boxes.build, QStringLiteral("---"));
        }
    }
    QVERIFY(
        rig.log.first().startsWith(QStringLiteral("CHECK LOAD FILES ") + QString(65, u'-') + u' '));
    QVERIFY(rig.log.last().startsWith(QString(82, u'-') + u' '));
    QVERIFY(dialogs.shown().isEmpty());
}

void LoadFilesTest::foundFileShowsItsDateAndTime() {
    ScriptedDialogs dialogs;
    LoadFileRig rig({{"PXU", 6, "PXU_APPL.S19"}});
    const QString file = rig.workspace.writeFile(QStringLiteral("PXU_APPL.S19"), "S0030000FC\n",
                                                 QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)));
    rig.files.g_checkFileExist(QStringLiteral("PXU"), false);
    QCOMPARE(rig.files.boxes(0).version, QStringLiteral("Mar 07 2024"));
    QCOMPARE(rig.files.boxes(0).build, QStringLiteral("14:05:09"));
    QCOMPARE(rig.log.at(1),
             QStringLiteral("   Section Application: File ") + file + QStringLiteral(" selected"));
}

void LoadFilesTest::checkResetsTheBoxesFirst_data() {
    QTest::addColumn<bool>("mBus");
    QTest::addColumn<int>("applType");
    QTest::addColumn<bool>("forceFpga");
    QTest::addColumn<QString>("enabled"); // boxes 0 to 3
    QTest::newRow("S-Bus ZENT forced FPGA") << false << 0 << true << "1101";
    QTest::newRow("M-Bus ZENT: no BL2") << true << 0 << true << "1100";
    QTest::newRow("M-Bus DORN") << true << 1 << false << "1111";
}

void LoadFilesTest::checkResetsTheBoxesFirst() {
    QFETCH(bool, mBus);
    QFETCH(int, applType);
    QFETCH(bool, forceFpga);
    QFETCH(QString, enabled);
    ScriptedDialogs dialogs;
    LoadFileRig rig({{"PXU", 6, "PXU_APPL.S19"}});
    rig.workspace.writeFile(QStringLiteral("PXU_APPL.S19"));
    g_forceFpgaDownload = forceFpga;
    rig.selection.setSection(sectionBoxAppl, 1);
    rig.selection.setSection(sectionBoxDC, 1);
    rig.selection.setSection(sectionBoxKevAppl, 1);
    rig.files.setBoxes(sectionBoxDC, {QStringLiteral("old"), QStringLiteral("old"),
                                      QStringLiteral("x"), QStringLiteral("y")});
    g_mBusMode = mBus;
    g_applType = applType;
    rig.files.g_checkFileExist(QStringLiteral("PXU"), true);
    QString got;
    for (int i = 0; i < 4; ++i) {
        got += rig.selection.section(i).enabled ? u'1' : u'0';
        QCOMPARE(rig.selection.section(i).value, 0);
    }
    QCOMPARE(got, enabled);
    QCOMPARE(rig.selection.section(sectionBoxKevAppl).value, 1);
    QCOMPARE(rig.files.boxes(sectionBoxDC).emhText, QString());
    QCOMPARE(rig.files.boxes(sectionBoxDC).version, QString());
}

void LoadFilesTest::noRowForTheTypeLogsOneErrorLine() {
    ScriptedDialogs dialogs;
    LoadFileRig rig({{"KEV", 2, "KEV_APPL.S19"}});
    rig.files.g_checkFileExist(QStringLiteral("TOQ"), false);
    QCOMPARE(rig.log.size(), 2);
    QCOMPARE(rig.log.at(1), QStringLiteral("   Error: Could not open ") + g_configDbPath);
}

void LoadFilesTest::quietCheckLogsOnlyMissingFiles() {
    ScriptedDialogs dialogs;
    LoadFileRig rig({{"PXU", 6, "PXU_APPL.S19"}, {"PXU", 4, "PXU_DATA.S19"}});
    rig.workspace.writeFile(QStringLiteral("PXU_APPL.S19"));
    rig.files.g_checkFileExist(QStringLiteral("PXU"), true);
    QCOMPARE(rig.log,
             QStringList{QStringLiteral("   Section DataCont.: File ") +
                         rig.path(QStringLiteral("PXU_DATA.S19")) + QStringLiteral(" not found!")});
}

void LoadFilesTest::directoryGetsItsSeparatorThenIsChecked() {
    ScriptedDialogs dialogs;
    LoadFileRig rig({{"PXU", 6, "PXU_APPL.S19"}});
    rig.workspace.writeFile(QStringLiteral("PXU_APPL.S19"));
    rig.files.setDirectory(rig.workspace.folder());
    rig.files.txtFileDirectory_Validate();
    QCOMPARE(rig.files.directory(), rig.workspace.folder() + u'/');
    QCOMPARE(rig.files.boxes(0).emhText, rig.path(QStringLiteral("PXU_APPL.S19")));
    QVERIFY(rig.log.first().startsWith(QStringLiteral("CHECK LOAD FILES ")));
    QVERIFY(dialogs.shown().isEmpty());
}

void LoadFilesTest::missingOrEmptyDirectoryDisablesSections_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing") << "none";
    QTest::newRow("holds no file") << "empty";
}

void LoadFilesTest::missingOrEmptyDirectoryDisablesSections() {
    QFETCH(QString, folder);
    ScriptedDialogs dialogs;
    LoadFileRig rig({{"PXU", 6, "PXU_APPL.S19"}});
    QDir().mkpath(rig.path(QStringLiteral("empty/sub")));
    rig.selection.setSection(sectionBoxAppl, 1);
    rig.files.setDirectory(rig.path(folder));
    rig.files.txtFileDirectory_Validate();
    QCOMPARE(dialogs.texts(), QStringList{"Directory doesn't exist!"});
    QCOMPARE(dialogs.shown().first().title, QStringLiteral("INFORMATION"));
    for (int i = 0; i < kSectionBoxCount; ++i) {
        QVERIFY(!rig.selection.section(i).enabled);
        QCOMPARE(rig.selection.section(i).value, 0);
    }
    QVERIFY(rig.log.isEmpty());
}

void LoadFilesTest::newBoxMovesFpgaAndBl2OfPxuOnly_data() {
    QTest::addColumn<QString>("moduleType");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QList<int>>("unticked");
    QTest::newRow("PXU") << "PXU" << QList<int>{6, 4, 9, 8, -1} << QList<int>{6, 4, 7, 3, -1};
    QTest::newRow("KEV keeps its sections")
        << "KEV" << QList<int>{2, -1, -1, 1, -1} << QList<int>{2, -1, -1, 1, -1};
    QTest::newRow("TOQ keeps its sections")
        << "TOQ" << QList<int>{2, -1, -1, 1, -1} << QList<int>{2, -1, -1, 1, -1};
}

void LoadFilesTest::newBoxMovesFpgaAndBl2OfPxuOnly() {
    QFETCH(QString, moduleType);
    QFETCH(QList<int>, ticked);
    QFETCH(QList<int>, unticked);
    ScriptedDialogs dialogs;
    LoadFileRig rig({});
    rig.setTags(moduleType);
    auto tags = [&] {
        QList<int> t;
        for (int i = 0; i < kSectionBoxCount; ++i)
            t << rig.selection.section(i).tag;
        return t;
    };
    rig.files.setSectionNew(1);
    QCOMPARE(tags(), ticked);
    rig.files.setSectionNew(0);
    QCOMPARE(tags(), unticked);
}

void LoadFilesTest::newFilesAreResolvedForTheMovedBoxes() {
    ScriptedDialogs dialogs;
    LoadFileRig rig(
        {{"PXU", 7, "PXU_FPGA.S19"}, {"PXU", 8, "PXU_BL2.S19"}, {"PXU", 9, "NEW_FPGA.S19"}});
    for (const char* name : {"PXU_FPGA.S19", "PXU_BL2.S19", "NEW_FPGA.S19"})
        rig.workspace.writeFile(QLatin1String(name));
    rig.files.setSectionNew(1);
    rig.files.g_checkFileExist(QStringLiteral("PXU"), false);
    QCOMPARE(rig.files.boxes(sectionBoxFPGA).emhText, rig.path(QStringLiteral("NEW_FPGA.S19")));
    QCOMPARE(rig.files.boxes(sectionBoxBL2).emhText, rig.path(QStringLiteral("PXU_BL2.S19")));
}

void LoadFilesTest::newNameChangesTheFileNameOnly_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("onDisk"); // empty: none
    QTest::addColumn<QString>("result");
    QTest::newRow("not on disk") << "rel.S19/PXU_APPL.S19"
                                 << ""
                                 << "rel.S19/PXU_APPL_New.S19";
    QTest::newRow("found in another case") << "rel.S19/PXU_APPL.S19"
                                           << "rel.S19/pxu_appl_new.s19"
                                           << "rel.S19/pxu_appl_new.s19";
    QTest::newRow("name found in lower case") << "rel.S19/pxu_appl.s19"
                                              << ""
                                              << "rel.S19/pxu_appl_New.S19";
}

void LoadFilesTest::newNameChangesTheFileNameOnly() {
    QFETCH(QString, path);
    QFETCH(QString, onDisk);
    QFETCH(QString, result);
    Workspace workspace;
    if (!onDisk.isEmpty())
        workspace.writeFile(onDisk);
    QCOMPARE(newLoadFileName(workspace.path(path)), workspace.path(result));
}

void LoadFilesTest::olderDataContainerS19Asks_data() {
    QTest::addColumn<int>("s19Age"); // seconds before the database; kNoFile: no S19 file
    QTest::addColumn<bool>("database");
    QTest::addColumn<bool>("asked");
    QTest::newRow("one second older") << 1 << true << true;
    QTest::newRow("same second") << 0 << true << false;
    QTest::newRow("newer") << -5 << true << false;
    QTest::newRow("no database") << 1 << false << false;
    QTest::newRow("no S19 file") << kNoFile << true << true;
}

void LoadFilesTest::olderDataContainerS19Asks() {
    QFETCH(int, s19Age);
    QFETCH(bool, database);
    QFETCH(bool, asked);
    ScriptedDialogs dialogs;
    dialogs.answer(BoxAnswer::No);
    LoadFileRig rig({});
    const QDateTime dbTime(QDate(2024, 5, 2), QTime(10, 0, 0, 400));
    if (database)
        rig.workspace.writeFile(QStringLiteral("DORN Update Tool-PXU-DC-003.mdb"), "x", dbTime);
    if (s19Age != kNoFile) {
        const QString s19 = rig.workspace.writeFile(QStringLiteral("PXU_DATA.S19"), "x",
                                                    dbTime.addSecs(-s19Age).addMSecs(-300));
        rig.files.setBoxes(sectionBoxDC, {s19, s19, {}, {}});
    } else {
        rig.files.setBoxes(sectionBoxDC, {QStringLiteral("---"), {}, {}, {}});
    }
    const bool ok = rig.files.checkS19FileDate();
    QCOMPARE(dialogs.shown().size(), asked ? 1 : 0);
    QCOMPARE(ok, !asked);
    if (asked) {
        const BoxRequest& box = dialogs.shown().first();
        QCOMPARE(box.title, QStringLiteral("QUESTION"));
        QVERIFY(box.text.startsWith(QStringLiteral(
            "The datacontainer-S19-file is older then the newest datacontainer-mdb-file!\r\n"
            "S19-File: ")));
        QVERIFY(box.text.endsWith(QStringLiteral("Please check if the S19-file should be built "
                                                 "first!\r\n\r\nDo you want to continue?")));
    }
}

QTEST_MAIN(LoadFilesTest)
#include "load_files_test.moc"
