// "/PXU": the full loader for the PXU modules on simulated ones, and its tools reached
// from its menus and buttons as a user reaches them.
#include "core/config_items.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_reconstruction.h"
#include "dcbuilder/dc_tools.h"
#include "main_window_fixture.h"
#include "mainwindow/form_widgets.h"
#include "mainwindow/hw_info_block_repair.h"
#include "mainwindow/loader_panel.h"
#include "mainwindow/main_window_form.h"
#include "mainwindow/module_overview.h"
#include "sim/info_block.h"
#include "sim_boards.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

class PxuFullLoaderTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void overviewUploadRepairAndBuilderAreReachedFromTheMenus();
};

void PxuFullLoaderTest::overviewUploadRepairAndBuilderAreReachedFromTheMenus() {
    Workspace workspace;
    workspace.setMiscItem(QStringLiteral("lastUsedBus"), QStringLiteral("S-Bus"));
    // The repair's templates, beside the working folder, stay in the workspace.
    const QString folder = workspace.configFolder(QStringLiteral("work"));
    QVERIFY(!folder.isEmpty());
    workspace.writeFile(QStringLiteral("work/PXU_APPL.S19"));
    // A template as the sample workspace has one: size, ID and version, the rest zero.
    QByteArray hwTemplate(312, '\0');
    hwTemplate.replace(0, 16, QByteArray("\x00\x00\x01\x38PXU20HW\x00\x00\x00\x00\x07", 16));
    workspace.writeFile(QStringLiteral("PXU_Templates/HWInfoBlockVersion07.bin"), hwTemplate);
    SimBoards boards;
    boards.add(0, sim::BusKind::SBus).modules.setModes(0, 2, sim::Mode::Application);
    Program program(workspace, {QStringLiteral("/PXU"), QStringLiteral("/db=") + folder});

    QVERIFY(program.start());

    // The full loader's start: its question, the file's type, the modules found.
    QCOMPARE(boards.dialogs.windows().size(), 1);
    QCOMPARE(boards.dialogs.windows().first().text, g_getUserMessage(1));
    QVERIFY(!g_applUpdate);
    QCOMPARE(g_applType, int(applTypeZent));
    QVERIFY(frmCANopen().isInitialised());
    QVERIFY(!g_mBusMode);
    MainWindowForm* form = program.window.form();
    QVERIFY(form && form->isVisible());
    QVERIFY(form->loader()->isVisible());
    for (QMenu* menu :
         {form->mnuFile, form->mnuModuleControl, form->mnuDcBuilder, form->mnuTools, form->mnuHelp})
        QVERIFY(menu->menuAction()->isVisible());
    QVERIFY(!form->mnuView->menuAction()->isVisible());
    QVERIFY(form->mnuUploadFromSpare->isVisible());
    QVERIFY(form->loader()->cmdModuleState->isVisible());
    for (int box = 0; box < 4; ++box)
        QVERIFY(form->loader()->chkLoadSection[box]->isVisible());
    boards.time.runFor(2000);
    for (int m = 0; m <= 2; ++m)
        QCOMPARE(program.window.selection().applicationRunning(m), 1);

    // Overview.
    QTest::mouseClick(form->loader()->cmdModuleState, Qt::LeftButton);
    QVERIFY(frmModuleOverview().loaded());
    QCOMPARE(frmModuleOverview().moduleCount(), 3);
    frmModuleOverview().cmdExit_Click();

    // Upload from the spare: its application into the upload folder.
    program.window.selection().setSection(sectionBoxAppl, ticked);
    form->mnuUploadFromSpare->trigger();
    QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("Upload/PXU_APPL.S19"))));
    QVERIFY(program.window.messages().lines().contains(QStringLiteral("   Upload finished ")));

    // Hardware-info-block repair of module 1 from the template.
    form->mnuRepairHWInfoBlock->trigger();
    HwInfoBlockRepair& repair = frmHWInfoBlockRepair();
    QVERIFY(repair.loaded());
    QCOMPARE(repair.view().moduleItems, (QStringList{"---", "0", "1", "2"}));
    QCOMPARE(repair.view().versionItems, (QStringList{"---", "07"}));
    repair.cmbModuleNum_Click(2);
    repair.setSerial(QStringLiteral("4711"));
    boards.dialogs.answer(BoxAnswer::Ok);
    repair.cmdDownload_Click();
    QVERIFY(program.window.messages().lines().contains(
        QStringLiteral("   InfoBlock repaired successfully!")));
    const QByteArray stored = boards.board(0).modules.module(1).section(1).infoBlock;
    QVERIFY(sim::infoBlockChecksumValid(stored));
    QCOMPARE(sim::readBe32(stored, 20), 4711u);
    repair.cmdExit_Click();

    // The builder opens on the plant's data-container database in the load-file folder and
    // saves the version its schema update made.
    const QString plant =
        workspace.copyFile(QStringLiteral(PXU_SAMPLE_PLANT_DB),
                           QStringLiteral("work/DORN Update Tool-PXU-DC-001.mdb"));
    QVERIFY(!plant.isEmpty());
    boards.dialogs.clear();
    form->mnuBuildDC->trigger();
    QCOMPARE(boards.dialogs.shown().size(), 1);
    QCOMPARE(boards.dialogs.shown()[0].title, QStringLiteral("Update Datacontainer"));
    DcBuilder& builder = frmDcBuilder();
    QVERIFY(builder.isLoaded());
    QCOMPARE(builder.newestDcFile(), plant);
    builder.cmdExit_Click();
    QVERIFY(
        QFile::exists(QDir(folder).filePath(QStringLiteral("DORN Update Tool-PXU-DC-002.mdb"))));

    // The Tools menu's template of the newest version, beside the repair's template, and the
    // reconstruction, which wants the data container uploaded first.
    form->mnuCreateTemplate->trigger();
    QVERIFY(program.window.messages().lines().contains(
        QStringLiteral("DataContainer Template created for Build No: 041")));
    QCOMPARE(QDir(workspace.path(QStringLiteral("PXU_Templates"))).entryList(QDir::Files),
             (QStringList{"DC_Template_Build_041.mdb", "HWInfoBlockVersion07.bin"}));
    form->mnuReconstructDC->trigger();
    QVERIFY(frmDcReconstruction().isLoaded());
    QVERIFY(!frmDcReconstruction().view().reconstructEnabled);
    frmDcReconstruction().cmdExit_Click();
    QCOMPARE(boards.dialogs.shown().size(), 1); // none since the builder's question
    for (int m = 0; m <= 2; ++m)
        QCOMPARE(boards.board(0).modules.module(m).mode(), sim::Mode::Application);
}

QTEST_MAIN(PxuFullLoaderTest)
#include "pxu_full_loader_test.moc"
