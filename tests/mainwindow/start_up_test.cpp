#include "bus/can_open_master.h"
#include "core/config_items.h"
#include "core/error.h"
#include "core/message_window.h"
#include "core/scratch_files.h"
#include "main_window_fixture.h"
#include "mainwindow/command_line.h"
#include "mainwindow/config_location.h"
#include "mainwindow/main_window_form.h"
#include "mainwindow/module_type_tables.h"
#include "support/recording_error_handler.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryFile>
#include <QtTest>
#include <unistd.h>

using namespace pxu;
using namespace pxu::test;

using Flags = QList<bool>;
using Ints = QList<int>;

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }

    void switchesAreWholeArgumentsAnywhere_data();
    void switchesAreWholeArgumentsAnywhere();
    void dbSwitchNamesTheConfigurationFolder_data();
    void dbSwitchNamesTheConfigurationFolder();
    void moduleTypeChoosesFaceAndMenus_data();
    void moduleTypeChoosesFaceAndMenus();
    void ideTakesPlainFolderBelowItsRoot();
    void noCanStopsAfterShowingTheWindow();
    void noCanUpdaterFaceTellsItAndStartsNoSequencer();
    void sectionTagsAndRowsFollowTheTypes_data();
    void sectionTagsAndRowsFollowTheTypes();
    void lastShownRowByApplicationType_data();
    void lastShownRowByApplicationType();
    void baseAddressesTakeTheirDefaults_data();
    void baseAddressesTakeTheirDefaults();
    void fullLoaderFindsItsLoadFilesAtStart();
    void applicationFileChoosesTheMemoryLayout_data();
    void applicationFileChoosesTheMemoryLayout();
    void secondInstanceIsRefusedBeforeAnyWindow();
    void startQuestionNoEndsTheRun();
    void developSkipsTheStartQuestion();
    void unusableConfigurationEndsTheRun();
    void oldReportFilesAreDeletedOnceEach();
    void undeletableReportFileIsToldAndStartGoesOn();
    void scratchCopiesOfKilledJobsAreRemovedAtStart();
    void blockTransferItemIsReadAsBoolean_data();
    void blockTransferItemIsReadAsBoolean();
    void startUpLeftWithoutItsWindowEndsTheRun();
};

void StartUpTest::switchesAreWholeArgumentsAnywhere_data() {
    QTest::addColumn<QStringList>("arguments");
    // noCan, debug, kev, toq, develop, ide, pxu
    QTest::addColumn<Flags>("flags");
    QTest::addColumn<QString>("db"); // "-" for none

    QTest::newRow("none") << QStringList{} << Flags{0, 0, 0, 0, 0, 0, 0} << "-";
    QTest::newRow("every switch, any order")
        << QStringList{"/IDE", "/develop", "/TOQ", "/PXU", "/KEV", "/debug", "/noCan"}
        << Flags{1, 1, 1, 1, 1, 1, 1} << "-";
    QTest::newRow("part of another argument")
        << QStringList{"x/noCan", "/debugx", "/KEV/TOQ", "/PXUx"} << Flags{0, 0, 0, 0, 0, 0, 0}
        << "-";
    QTest::newRow("letter case counts")
        << QStringList{"/nocan", "/kev", "/Toq", "/pxu"} << Flags{0, 0, 0, 0, 0, 0, 0} << "-";
    QTest::newRow("db takes the rest of its argument")
        << QStringList{"/db=/srv/cfg /debug"} << Flags{0, 0, 0, 0, 0, 0, 0} << "/srv/cfg /debug";
    QTest::newRow("db value trimmed")
        << QStringList{"/db=  /srv/cfg  "} << Flags{0, 0, 0, 0, 0, 0, 0} << "/srv/cfg";
    QTest::newRow("first db counts")
        << QStringList{"/db=one", "/db=two", "/noCan"} << Flags{1, 0, 0, 0, 0, 0, 0} << "one";
    QTest::newRow("empty db") << QStringList{"/db="} << Flags{0, 0, 0, 0, 0, 0, 0} << "";
}

void StartUpTest::switchesAreWholeArgumentsAnywhere() {
    QFETCH(QStringList, arguments);
    QFETCH(Flags, flags);
    QFETCH(QString, db);
    const CommandLine line = CommandLine::parse(arguments);
    QCOMPARE((Flags{line.noCan, line.debug, line.kev, line.toq, line.develop, line.ide, line.pxu}),
             flags);
    QCOMPARE(line.db.value_or(QStringLiteral("-")), db);
}

void StartUpTest::dbSwitchNamesTheConfigurationFolder_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("installDir");
    QTest::addColumn<QString>("configDb");

    const QString cwd = QDir::currentPath();
    QTest::newRow("default folder") << QStringList{} << "/def/"
                                    << "/def/DORN Update Tool-Config.mdb";
    QTest::newRow("folder path") << QStringList{"/db=/srv/cfg"} << "/srv/cfg/"
                                 << "/srv/cfg/DORN Update Tool-Config.mdb";
    QTest::newRow("folder path with separator") << QStringList{"/db=/srv/cfg/"} << "/srv/cfg/"
                                                << "/srv/cfg/DORN Update Tool-Config.mdb";
    QTest::newRow("relative folder path")
        << QStringList{"/db=./cfg"} << cwd + "/cfg/" << cwd + "/cfg/DORN Update Tool-Config.mdb";
    QTest::newRow("plain name: the program's folder") << QStringList{"/db=Cfg"} << "/prog/bin/"
                                                      << "/prog/bin/DORN Update Tool-Config.mdb";
    QTest::newRow("plain name with IDE")
        << QStringList{"/IDE", "/db=Cfg"} << "/home/u/ZENT6183/Cfg/"
        << "/home/u/ZENT6183/Cfg/PXULoader-Config.mdb";
    QTest::newRow("IDE without db") << QStringList{"/IDE"} << "/def/"
                                    << "/def/PXULoader-Config.mdb";
    QTest::newRow("IDE with folder path") << QStringList{"/db=/srv/cfg", "/IDE"} << "/srv/cfg/"
                                          << "/srv/cfg/PXULoader-Config.mdb";
}

void StartUpTest::dbSwitchNamesTheConfigurationFolder() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, installDir);
    QFETCH(QString, configDb);
    StartFolders folders;
    folders.programDir = QStringLiteral("/prog/bin");
    folders.defaultInstallDir = QStringLiteral("/def");
    folders.ideRoot = QStringLiteral("/home/u/ZENT6183");
    const ConfigLocation where = locateConfigDatabase(CommandLine::parse(arguments), folders);
    QCOMPARE(where.installDir, installDir);
    QCOMPARE(where.configDbPath, configDb);
    QCOMPARE(where.workDir + QLatin1Char('/'), installDir);
    QCOMPARE(where.uploadDir, where.workDir + QStringLiteral("/Upload"));
    QCOMPARE(where.toolName, arguments.contains("/IDE") ? QStringLiteral("PXULoader")
                                                        : QStringLiteral("DORN Update Tool"));
}

void StartUpTest::moduleTypeChoosesFaceAndMenus_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("moduleType");
    // KEV mode, TOQ mode, updater face
    QTest::addColumn<Flags>("modes");
    // File, Module Control, View, DC Builder, Tools, Help, Upload From Spare, Overview button
    QTest::addColumn<Flags>("shown");

    QTest::newRow("no type: updater face, no menus")
        << QStringList{} << "PXU" << Flags{0, 0, 1} << Flags{0, 0, 0, 0, 0, 0, 1, 1};
    QTest::newRow("updater face hides View with debug")
        << QStringList{"/debug", "/develop"} << "PXU" << Flags{0, 0, 1}
        << Flags{0, 0, 0, 0, 0, 0, 1, 1};
    QTest::newRow("KEV wins over TOQ")
        << QStringList{"/TOQ", "/KEV"} << "KEV" << Flags{1, 0, 0} << Flags{1, 1, 0, 0, 0, 1, 0, 0};
    QTest::newRow("TOQ") << QStringList{"/TOQ"} << "TOQ" << Flags{0, 1, 0}
                         << Flags{1, 1, 0, 0, 0, 1, 0, 0};
    QTest::newRow("KEV with debug shows View") << QStringList{"/KEV", "/debug"} << "KEV"
                                               << Flags{1, 0, 0} << Flags{1, 1, 1, 0, 0, 1, 0, 0};
    QTest::newRow("PXU: the full loader with every tool")
        << QStringList{"/PXU"} << "PXU" << Flags{0, 0, 0} << Flags{1, 1, 0, 1, 1, 1, 1, 1};
    QTest::newRow("PXU with debug shows View") << QStringList{"/debug", "/PXU"} << "PXU"
                                               << Flags{0, 0, 0} << Flags{1, 1, 1, 1, 1, 1, 1, 1};
    QTest::newRow("TOQ wins over PXU")
        << QStringList{"/PXU", "/TOQ"} << "TOQ" << Flags{0, 1, 0} << Flags{1, 1, 0, 0, 0, 1, 0, 0};
}

void StartUpTest::moduleTypeChoosesFaceAndMenus() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, moduleType);
    QFETCH(Flags, modes);
    QFETCH(Flags, shown);
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, arguments << QStringLiteral("/noCan"));
    QVERIFY(program.start());
    QCOMPARE(g_moduleType, moduleType);
    QCOMPARE((Flags{g_KEVMode, g_TOQMode, g_applUpdate}), modes);
    const MainWindowView& v = program.window.view();
    QCOMPARE(v.updaterFace, g_applUpdate);
    QCOMPARE((Flags{v.mnuFileVisible, v.mnuModuleControlVisible, v.mnuViewVisible,
                    v.mnuDcBuilderVisible, v.mnuToolsVisible, v.mnuHelpVisible,
                    v.mnuUploadFromSpareVisible, v.cmdModuleStateVisible}),
             shown);
    QVERIFY(v.visible);
}

void StartUpTest::ideTakesPlainFolderBelowItsRoot() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    const QString folder = workspace.folders().ideRoot + QStringLiteral("/Cfg");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(workspace.configDb(), folder + QStringLiteral("/PXULoader-Config.mdb")));
    Program program(workspace,
                    {QStringLiteral("/IDE"), QStringLiteral("/db=Cfg"), QStringLiteral("/noCan")});
    QVERIFY(program.start());
    QCOMPARE(g_projectName, QStringLiteral("PXULoader"));
    QCOMPARE(g_workDir, folder);
    QCOMPARE(program.window.loadFiles().directory(), folder);
}

void StartUpTest::noCanStopsAfterShowingTheWindow() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {QStringLiteral("/KEV"), QStringLiteral("/noCan")});
    QVERIFY(program.start());
    QVERIFY(frmCANopen().g_noCan());
    QVERIFY(program.window.form() && program.window.form()->isVisible());
    QVERIFY(frmMessage2().messages().lines().contains(QStringLiteral("no CAN initialising ...")));
    QVERIFY(frmMessage2().autoCloseActive());
    QCOMPARE(frmMessage2().autoCloseInterval(), 1000);
    // No row count, no base addresses, no connection.
    QVERIFY(!program.window.view().fraModuleStateVisible);
    QCOMPARE(g_baseAdrAppl, 0);
    QCOMPARE(g_baseAdrDC, 0);
    QCOMPARE(program.window.view().caption, QStringLiteral("ZENT-6183 Update Tool"));
}

void StartUpTest::noCanUpdaterFaceTellsItAndStartsNoSequencer() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {QStringLiteral("/noCan")});
    QVERIFY(program.start());
    QCOMPARE(program.face.messages().lines(), QStringList{"no CAN initialising ..."});
    QVERIFY(!program.face.timCyclic.isActive());
    QVERIFY(frmCANopen().g_blockTransfer());
}

void StartUpTest::sectionTagsAndRowsFollowTheTypes_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("applTypeItem");
    QTest::addColumn<Ints>("tags");
    QTest::addColumn<Flags>("sectionsShown");
    QTest::addColumn<int>("applType");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("product");

    QTest::newRow("PXU ZENT") << QStringList{} << "ZENT" << Ints{6, 4, 7, 3, -1}
                              << Flags{1, 1, 1, 1, 0} << 0 << 14 << "ZENT-6183 Update Tool"
                              << "ZENT-6183";
    QTest::newRow("PXU DORN") << QStringList{} << "DORN" << Ints{6, 4, 7, 3, -1}
                              << Flags{1, 1, 1, 1, 0} << 1 << 2 << "(D)ORN Update Tool"
                              << "(D)ORN";
    QTest::newRow("PXU dorn in lower case is ZENT")
        << QStringList{} << "dorn" << Ints{6, 4, 7, 3, -1} << Flags{1, 1, 1, 1, 0} << 0 << 14
        << "ZENT-6183 Update Tool"
        << "ZENT-6183";
    QTest::newRow("KEV") << QStringList{"/KEV"} << "ZENT" << Ints{2, -1, -1, 1, -1}
                         << Flags{1, 0, 0, 1, 0} << 6 << 14 << "ZENT-6183 Update Tool     for KEV"
                         << "ZENT-6183";
    QTest::newRow("TOQ") << QStringList{"/TOQ"} << "DORN" << Ints{2, -1, -1, 1, -1}
                         << Flags{1, 0, 0, 1, 0} << 7 << 14 << "ZENT-6183 Update Tool     for TOQ"
                         << "ZENT-6183";
    // The full loader takes the type from its application file (none here: ZENT), not from
    // the item.
    QTest::newRow("PXU full loader") << QStringList{"/PXU"} << "DORN" << Ints{6, 4, 7, 3, -1}
                                     << Flags{1, 1, 1, 1, 0} << 0 << 14 << "ZENT-6183 Update Tool"
                                     << "ZENT-6183";
}

void StartUpTest::sectionTagsAndRowsFollowTheTypes() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, applTypeItem);
    QFETCH(Ints, tags);
    QFETCH(Flags, sectionsShown);
    QFETCH(int, applType);
    QFETCH(int, lastRow);
    QFETCH(QString, caption);
    QFETCH(QString, product);
    ScriptedDialogs dialogs;
    Workspace workspace;
    workspace.setMiscItem(QStringLiteral("applType"), applTypeItem);
    Program program(workspace, arguments);
    QVERIFY(program.start());

    const Selection& selection = program.window.selection();
    Ints gotTags;
    Flags gotShown;
    for (int i = 0; i < kSectionBoxCount; ++i) {
        gotTags << selection.section(i).tag;
        gotShown << selection.section(i).visible;
    }
    QCOMPARE(gotTags, tags);
    QCOMPARE(gotShown, sectionsShown);
    QCOMPARE(g_applType, applType);
    QCOMPARE(g_productText, product);
    QCOMPARE(program.window.view().caption, caption);
    QVERIFY(program.window.view().fraModuleStateVisible);
    for (int m = 0; m < kModuleCount; ++m) {
        const bool shown = m <= lastRow;
        QCOMPARE(program.window.row(m).captionVisible, shown);
        QCOMPARE(selection.program(m).visible, shown);
        QCOMPARE(selection.bootLoaderRunningBox(m).visible, shown);
        QCOMPARE(selection.applicationRunningBox(m).visible, shown);
        QVERIFY(!program.window.row(m).lampVisible);
    }
    if (g_applUpdate)
        QCOMPARE(program.face.view().toolCaption,
                 applType == 1 ? caption : QStringLiteral("ZENT-6183 Update Tool"));
}

void StartUpTest::lastShownRowByApplicationType_data() {
    QTest::addColumn<int>("applType");
    QTest::addColumn<int>("lastRow");
    QTest::newRow("ZENT") << 0 << 14;
    QTest::newRow("DORN") << 1 << 2;
    QTest::newRow("LORX") << 2 << 0;
    QTest::newRow("NONE") << 3 << 0;
    QTest::newRow("no module") << 4 << 0;
    QTest::newRow("mismatch") << 5 << 0;
    QTest::newRow("KEV") << 6 << 14;
    QTest::newRow("TOQ") << 7 << 14;
}

void StartUpTest::lastShownRowByApplicationType() {
    QFETCH(int, applType);
    QFETCH(int, lastRow);
    QCOMPARE(lastShownRow(applType), lastRow);
}

void StartUpTest::baseAddressesTakeTheirDefaults_data() {
    QTest::addColumn<bool>("bigMem");
    QTest::addColumn<QString>("dcItem"); // "-" removes the item
    QTest::addColumn<QString>("fpgaItem");
    QTest::addColumn<QString>("applItem");
    QTest::addColumn<Ints>("addresses"); // DC, FPGA, application

    QTest::newRow("configured small") << false << "C0000"
                                      << "D0000"
                                      << "30000" << Ints{0xC0000, 0xD0000, 0x30000};
    QTest::newRow("configured big") << true << "60000"
                                    << "30000"
                                    << "100000" << Ints{0x60000, 0x30000, 0x100000};
    QTest::newRow("missing small") << false << "-"
                                   << "-"
                                   << "-" << Ints{0xC0000, 0xD0000, 0x30000};
    QTest::newRow("missing big") << true << "-"
                                 << "-"
                                 << "-" << Ints{0x60000, 0x30000, 0x100000};
    QTest::newRow("zero big") << true << "0"
                              << "&H0"
                              << "0" << Ints{0x60000, 0x30000, 0x100000};
    QTest::newRow("own values") << false << "&HA0000"
                                << "0xB0000"
                                << "48000" << Ints{0xA0000, 0xB0000, 0x48000};
}

void StartUpTest::baseAddressesTakeTheirDefaults() {
    QFETCH(bool, bigMem);
    QFETCH(QString, dcItem);
    QFETCH(QString, fpgaItem);
    QFETCH(QString, applItem);
    QFETCH(Ints, addresses);
    ScriptedDialogs dialogs;
    Workspace workspace;
    const QString memory = bigMem ? QStringLiteral("bigMem") : QStringLiteral("smallMem");
    const std::pair<QString, QString> items[] = {{QStringLiteral("baseAdrDC_"), dcItem},
                                                 {QStringLiteral("baseAdrFPGA_"), fpgaItem},
                                                 {QStringLiteral("baseAdrAppl_"), applItem}};
    for (const auto& [name, value] : items) {
        if (value == QLatin1String("-"))
            workspace.execute(QStringLiteral("DELETE FROM miscellaneous WHERE item = ?"),
                              {name + memory});
        else
            workspace.setMiscItem(name + memory, value);
    }
    g_configDbPath = workspace.configDb();
    QVERIFY(g_iniGlobals());
    const BaseAddresses read = readBaseAddresses(bigMem);
    QCOMPARE((Ints{read.dc, read.fpga, read.appl}), addresses);
    QVERIFY(dialogs.shown().isEmpty());
}

void StartUpTest::fullLoaderFindsItsLoadFilesAtStart() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    const QString appl = workspace.writeFile(QStringLiteral("KEV_APPL.S19"));
    Program program(workspace, {QStringLiteral("/KEV")});
    QVERIFY(program.start());
    const LoadFiles& files = program.window.loadFiles();
    QCOMPARE(files.boxes(sectionBoxAppl).emhText, appl);
    QCOMPARE(files.boxes(sectionBoxAppl).emhPath, appl);
    QVERIFY(files.loadFileFound(sectionBoxAppl));
    QCOMPARE(files.boxes(sectionBoxBL2).emhText, QStringLiteral("---"));
    const QStringList lines = program.window.messages().lines();
    QVERIFY(lines.first().startsWith(QStringLiteral("CHECK LOAD FILES ---")));
    QVERIFY(lines.contains(QStringLiteral("   Section Application: File ") + appl +
                           QStringLiteral(" selected")));
    QVERIFY(lines.contains(QStringLiteral("   Section BL2: File ") +
                           workspace.path(QStringLiteral("KEV_BL2.S19")) +
                           QStringLiteral(" not found!")));
}

void StartUpTest::applicationFileChoosesTheMemoryLayout_data() {
    QTest::addColumn<QByteArray>("secondLine");
    QTest::addColumn<bool>("bigMem");
    QTest::addColumn<int>("applBase");
    QTest::newRow("at 100000") << QByteArray("S2141000000102030405060708090A0B0C0D0E0F1074") << true
                               << 0x120000;
    QTest::newRow("below 100000") << QByteArray("S214030000000102030405060708090A0B0C0D0E0F74")
                                  << false << 0x40000;
}

void StartUpTest::applicationFileChoosesTheMemoryLayout() {
    QFETCH(QByteArray, secondLine);
    QFETCH(bool, bigMem);
    QFETCH(int, applBase);
    ScriptedDialogs dialogs;
    Workspace workspace;
    workspace.setMiscItem(QStringLiteral("baseAdrAppl_bigMem"), QStringLiteral("120000"));
    workspace.setMiscItem(QStringLiteral("baseAdrAppl_smallMem"), QStringLiteral("40000"));
    workspace.writeFile(QStringLiteral("KEV_APPL.S19"), "S0030000FC\n" + secondLine + "\n");
    Program program(workspace, {QStringLiteral("/KEV")});
    QVERIFY(program.start());
    QCOMPARE(g_bigMem, bigMem);
    QCOMPARE(g_baseAdrAppl, applBase);
    QCOMPARE(g_baseAdrDC, bigMem ? 0x60000 : 0xC0000);
}

void StartUpTest::secondInstanceIsRefusedBeforeAnyWindow() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    QLockFile other(workspace.path(QStringLiteral("pxuloader.lock")));
    QVERIFY(other.tryLock(0));
    Program program(workspace, {QStringLiteral("/KEV")});
    QVERIFY(!program.start());
    QCOMPARE(dialogs.texts(), QStringList{"PXU Loader is already running!"});
    QCOMPARE(dialogs.shown().first().title, QStringLiteral("ERROR"));
    QVERIFY(dialogs.windows().isEmpty());
    QVERIFY(!program.window.form());
    QVERIFY(g_configDbPath.isEmpty());
    QCOMPARE(program.window.exitCode(), 1);
}

void StartUpTest::startQuestionNoEndsTheRun() {
    ScriptedDialogs dialogs;
    dialogs.answerWindow(WindowAnswer::No);
    Workspace workspace;
    Program program(workspace, {QStringLiteral("/TOQ")});
    QVERIFY(!program.start());
    QCOMPARE(dialogs.windows().size(), 1);
    const MessageWindowRequest& question = dialogs.windows().first();
    QCOMPARE(question.title, QStringLiteral("Question"));
    QCOMPARE(question.text, g_getUserMessage(1));
    QCOMPARE(question.yesCaption, QStringLiteral("Yes"));
    QCOMPARE(question.noCaption, QStringLiteral("No"));
    QCOMPARE(question.kind, int(MessageKind::Warning));
    QVERIFY(!program.window.form());
}

void StartUpTest::developSkipsTheStartQuestion() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {QStringLiteral("/TOQ"), QStringLiteral("/develop")});
    QVERIFY(program.start());
    QVERIFY(dialogs.windows().isEmpty());
    QVERIFY(g_developMode);
    QVERIFY(program.window.form()->isVisible());
}

void StartUpTest::unusableConfigurationEndsTheRun() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    Program program(workspace, {QStringLiteral("/KEV"),
                                QStringLiteral("/db=") + workspace.path(QStringLiteral("none"))});
    QVERIFY(!program.start());
    QCOMPARE(dialogs.shown().size(), 1);
    QVERIFY(dialogs.texts().first().endsWith(QStringLiteral("No valid drive or path!")));
    QVERIFY(!program.window.form());
}

void StartUpTest::oldReportFilesAreDeletedOnceEach() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    workspace.writeFile(QStringLiteral("one.rep"));
    workspace.writeFile(QStringLiteral("TWO.REP"));
    const QString kept = workspace.writeFile(QStringLiteral("notes.rep.txt"));
    Program program(workspace, {QStringLiteral("/noCan")});
    QVERIFY(program.start());
    QVERIFY(!QFile::exists(workspace.path(QStringLiteral("one.rep"))));
    QVERIFY(!QFile::exists(workspace.path(QStringLiteral("TWO.REP"))));
    QVERIFY(QFile::exists(kept));
    QVERIFY(dialogs.shown().isEmpty());
}

void StartUpTest::scratchCopiesOfKilledJobsAreRemovedAtStart() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    const QString work = workspace.configFolder(QStringLiteral("work"));
    QVERIFY(!work.isEmpty());
    // Copies that a killed template creation, reconstruction and version save left, one with
    // its journal (an older program named no owner), beside files that stay.
    const QStringList left{"work/~scratch-Ab12Cd.mdb", "work/~scratch-Ab12Cd.mdb-journal",
                           "work/Upload/~scratch-Ef34Gh.mdb", "PXU_Templates/~scratch-Ij56Kl.mdb"};
    const QStringList kept{"work/DORN Update Tool-PXU-DC-001.mdb", "work/Upload/PXU_DATA.S19",
                           "PXU_Templates/DC_Template_Build_041.mdb"};
    for (const QString& name : left + kept)
        QVERIFY(!workspace.writeFile(name).isEmpty());
    // A scratch copy of a job that is still running (this process's) is no leftover.
    QTemporaryFile running(scratchFileTemplate(workspace.path(QStringLiteral("PXU_Templates")),
                                               QStringLiteral(".mdb")));
    QVERIFY(running.open());

    Program program(workspace, {"/noCan", "/db=" + work});
    QVERIFY(program.start());
    for (const QString& name : left)
        QVERIFY2(!QFile::exists(workspace.path(name)), qPrintable(name));
    for (const QString& name : kept)
        QVERIFY2(QFile::exists(workspace.path(name)), qPrintable(name));
    QVERIFY(QFile::exists(running.fileName()));
    QVERIFY(dialogs.shown().isEmpty());
}

void StartUpTest::undeletableReportFileIsToldAndStartGoesOn() {
    ScriptedDialogs dialogs;
    Workspace workspace;
    const QString stuck = workspace.writeFile(QStringLiteral("stuck.rep"));
    workspace.writeFile(QStringLiteral("gone.rep"));
    // A read-only folder holds its files; root needs the immutable flag for that.
    const bool root = geteuid() == 0;
    const QFile::Permissions before = QFile::permissions(workspace.folder());
    auto chattr = [&](const char* flag) {
        return QProcess::execute(QStringLiteral("chattr"), {QLatin1String(flag), stuck}) == 0;
    };
    if (root) {
        if (!chattr("+i"))
            QSKIP("no immutable flag here");
    } else {
        QFile::setPermissions(workspace.folder(), QFile::ReadOwner | QFile::ExeOwner);
    }
    Program program(workspace, {QStringLiteral("/noCan")});
    const bool started = program.start();
    if (root)
        chattr("-i");
    else
        QFile::setPermissions(workspace.folder(), before);
    QVERIFY(started);
    QVERIFY(QFile::exists(stuck));
    QCOMPARE(dialogs.shown().size(), 1);
    QVERIFY(dialogs.texts().first().contains(stuck));
    if (root)
        QVERIFY(!QFile::exists(workspace.path(QStringLiteral("gone.rep"))));
}

void StartUpTest::blockTransferItemIsReadAsBoolean_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("blockTransfer");
    QTest::addColumn<bool>("failure");
    QTest::newRow("True") << "True" << true << false;
    QTest::newRow("false in lower case") << "false" << false << false;
    QTest::newRow("0") << "0" << false << false;
    QTest::newRow("-1") << "-1" << true << false;
    QTest::newRow("missing") << "-" << false << false;
    // Reported; "Continue" goes on with the default and shows the window.
    QTest::newRow("other text") << "yes" << false << true;
}

void StartUpTest::blockTransferItemIsReadAsBoolean() {
    QFETCH(QString, item);
    QFETCH(bool, blockTransfer);
    QFETCH(bool, failure);
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    Workspace workspace;
    if (item == QLatin1String("-"))
        workspace.execute(QStringLiteral("DELETE FROM miscellaneous WHERE item = 'blockTransfer'"));
    else
        workspace.setMiscItem(QStringLiteral("blockTransfer"), item);
    Program program(workspace, {QStringLiteral("/KEV"), QStringLiteral("/noCan")});
    QVERIFY(program.start());
    QCOMPARE(frmCANopen().g_blockTransfer(), blockTransfer);
    QCOMPARE(errors.reports().size(), failure ? 1 : 0);
    if (failure)
        QCOMPARE(errors.reports().first().procedure, QStringLiteral("Form_Load"));
    QVERIFY(program.window.view().visible);
    QVERIFY(program.window.form()->isVisible());
}

void StartUpTest::startUpLeftWithoutItsWindowEndsTheRun() {
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    // The start question fails; "Continue" leaves the start-up before the window shows.
    dialogs.whileShown([] { raise(5, QStringLiteral("frmMessage2"), QStringLiteral("failed")); });
    Workspace workspace;
    Program program(workspace, {QStringLiteral("/TOQ")});
    QVERIFY(!program.start());
    QCOMPARE(errors.reports().size(), 1);
    QVERIFY(program.window.programEnded());
    QCOMPARE(program.window.exitCode(), 1);
    QVERIFY(!program.window.view().visible);
}

QTEST_MAIN(StartUpTest)
#include "start_up_test.moc"
