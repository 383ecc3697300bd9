// The module overview against the simulator: modules switched to their bootloader and
// back, their info blocks compared in the grid and the report, the details of one value.
#include "bus/auto_download.h"
#include "mainwindow/form_widgets.h"
#include "mainwindow/info_block_details.h"
#include "mainwindow/info_block_details_form.h"
#include "mainwindow/module_overview.h"
#include "mainwindow/module_overview_form.h"
#include "sim/auto_download_master.h"
#include "support/losable_channel.h"
#include "support/screenshot.h"
#include "tools_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

const QByteArray kDate = "Jan 05 2026";

QByteArray image(int length, char fill) {
    return QByteArray(length, fill);
}

// Modules 0, 3 and 7 with the same sections as module 3 (the hardware blocks keep their
// own serial numbers), then these differences: the application's name on module 0, the
// FPGA's code length, bootloader 1's version and the production week on module 7.
void prepareModules(ToolsRig& rig) {
    for (int m : {0, 7}) {
        for (int s : {2, 3, 4, 6, 7})
            rig.module(m).setSection(s, rig.module(3).section(s).infoBlock,
                                     rig.module(3).section(s).image);
    }
    const QByteArray app = image(100, 'a');
    rig.module(0).setSection(6, sim::makeInfoBlock(6, {"ZENX", 1, kDate, 0x30000}, app), app);
    const QByteArray fpga = image(3001, 'f');
    rig.module(7).setSection(7, sim::makeInfoBlock(7, {"FPGA_V01", 1, kDate, 0xD0000}, fpga), fpga);
    const QByteArray bl1 = rig.module(3).section(2).image;
    rig.module(7).setSection(2, sim::makeInfoBlock(2, {"BL1_V031", 0x311, kDate, 0}, bl1), bl1);
    sim::HardwareInfo hardware;
    hardware.serial = 1007;
    hardware.week = "06";
    rig.module(7).setSection(1, sim::makeHardwareInfoBlock(hardware), {});
}

// The overview of the prepared modules 0, 3 and 7, all running their application.
bool showPreparedOverview(ToolsRig& rig) {
    prepareModules(rig);
    if (!rig.connect({0, 3, 7}))
        return false;
    rig.window.cmdModuleState_Click();
    return frmModuleOverview().loaded();
}

QStringList linesFrom(const QStringList& lines, const QString& first, int count) {
    const qsizetype at = lines.indexOf(first);
    return at < 0 ? QStringList{} : lines.mid(at, count);
}

const QString kHeader = QStringLiteral(
    "   Section         Size  Name      Version   Code start    Code Length   Code CRC      "
    "InfoBlock CRC Serial      RAM     Flash   ");

bool isRule(const QString& line) {
    return line.startsWith(QString(82, QLatin1Char('-')) + QLatin1Char(' ')) && line.size() > 84;
}

} // namespace

class ModuleOverviewTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void onlyModuleZeroIsItsOwnReference();
    void cylinderIsTheReferenceAndDifferencesAreMarked();
    void detailsListTheValueOfEveryModule();
    void modulesAreLeftAsTheyWereFound();
    void moduleLeavingItsBootloaderCancelsTheOverview();
    void failedBootloaderStartRestartsTheSwitchedModules();
    void noModuleConnected();
    void mBusRestartsTheSpareBeforeTheCylinders();
    void mBusWithTheSpareInItsBootloaderWarns();
    void unreadableModuleIsLoggedAndLeftEmpty();
    void lostChannelStopsTheOverview_data();
    void lostChannelStopsTheOverview();
    void shutDownUnloadsTheWindows();
};

void ModuleOverviewTest::onlyModuleZeroIsItsOwnReference() {
    ToolsRig rig;
    QVERIFY(rig.connect({0}));
    rig.window.cmdModuleState_Click();

    ModuleOverview& overview = frmModuleOverview();
    QVERIFY(overview.loaded());
    QCOMPARE(overview.referenceModule(), 0);
    QCOMPARE(overview.moduleCount(), 1);
    TextGridModel& grid = overview.grid();
    QCOMPARE(grid.rowCount(), 6);
    QCOMPARE(grid.columnCount(), 12);
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 12; ++c) {
            QVERIFY(overview.cellEqual(r, c));
            QVERIFY(grid.text(r, c) != QLatin1String("***"));
        }
    }
    QCOMPARE(grid.text(5, 0), QStringLiteral("Hardware"));
    QCOMPARE(grid.text(5, 9), QStringLiteral("1000"));
    QCOMPARE(grid.text(0, 2), QStringLiteral("ZENT"));
    QCOMPARE(grid.text(4, 3), QStringLiteral("3.10"));
    QCOMPARE(grid.text(1, 4), QStringLiteral("Jan 05 2026"));

    const QStringList lines = rig.window.messages().lines();
    const QStringList report = linesFrom(lines, QStringLiteral("Infoblock values:"), 9);
    QCOMPARE(report.size(), 9);
    QVERIFY(isRule(lines[lines.indexOf(report[0]) - 1]));
    QCOMPARE(report[1], QStringLiteral("      * = value is not equal on all Modules"));
    QCOMPARE(report[2], kHeader);
    QVERIFY(!report.join(QString()).contains(QLatin1Char('*')) ||
            report.mid(3, 6).join(QString()).count(QLatin1Char('*')) == 0);
    QCOMPARE(report[8], QStringLiteral("   Hardware        312   PXU20HW   7         0x00000000    "
                                       "0             0x00000000    ") +
                            grid.text(5, 8).leftJustified(14) +
                            QStringLiteral("1000        &H0100  &H0200  "));
    QVERIFY(isRule(lines[lines.indexOf(report[8]) + 1]));
    QVERIFY(lines.contains(QStringLiteral("Reading InfoBlocks finished.")));
    // The application runs again, the window is unlocked.
    QCOMPARE(rig.state(0), int(moduleApplicationRunning));
    QVERIFY(!rig.window.lock().operationMode());
    QCOMPARE(rig.window.progress(), 0.0);
}

void ModuleOverviewTest::cylinderIsTheReferenceAndDifferencesAreMarked() {
    ToolsRig rig;
    QVERIFY(showPreparedOverview(rig));
    ModuleOverview& overview = frmModuleOverview();
    QCOMPARE(overview.referenceModule(), 3);
    TextGridModel& grid = overview.grid();
    // Only module 0 differs: shown as module 3 has it, not marked.
    QCOMPARE(grid.text(0, 2), QStringLiteral("ZENT"));
    QVERIFY(overview.cellEqual(0, 2));
    QCOMPARE(grid.colour(0, 2), kColourButtonFace);
    // Module 7 differs: red, but grey in the rows of bootloader 1 and the hardware.
    QCOMPARE(grid.text(2, 6), QStringLiteral("3000"));
    QVERIFY(!overview.cellEqual(2, 6));
    QCOMPARE(grid.colour(2, 6), kColourRed);
    QCOMPARE(grid.text(4, 3), QStringLiteral("3.10"));
    QCOMPARE(grid.colour(4, 3), kColourAppWorkspace);
    QCOMPARE(grid.text(5, 4), QStringLiteral("05 / 2026"));
    QCOMPARE(grid.colour(5, 4), kColourAppWorkspace);
    QCOMPARE(grid.data(grid.index(2, 6), TextGridModel::ColourCodeRole).toInt(), kColourRed);
    // Values of each module alone.
    for (int r = 0; r < 6; ++r) {
        QCOMPARE(grid.text(r, 8), QStringLiteral("***"));
        QCOMPARE(grid.colour(r, 8), kColourButtonFace);
    }
    for (int c : {9, 10, 11})
        QCOMPARE(grid.text(5, c), QStringLiteral("***"));
    QCOMPARE(grid.text(0, 9), QStringLiteral("---"));
    QCOMPARE(grid.colour(0, 9), kColourAppWorkspace);
    QCOMPARE(grid.colour(3, 0), kColourButtonFace);

    const QStringList report =
        linesFrom(rig.window.messages().lines(), QStringLiteral("Infoblock values:"), 9);
    QCOMPARE(report.size(), 9);
    QCOMPARE(report[2], kHeader);
    QCOMPARE(report[8], QStringLiteral("   Hardware        312   PXU20HW   7         0x00000000    "
                                       "0             0x00000000    ****          ****        "
                                       "***     ***     "));
    // The FPGA row: its code length, code CRC and block CRC differ on module 7.
    QVERIFY(report[5].startsWith(QStringLiteral("   FPGA            44    FPGA_V01  ---       "
                                                "0x000D0000    *3000         *0x")));
    QVERIFY(report[5].endsWith(QStringLiteral("****          ---         ---     ---     ")));
    QVERIFY(report[7].startsWith(QStringLiteral("   Bootloader 1    44    BL1_V031  *3.10     ")));
    QVERIFY(!report[3].contains(QLatin1Char('*') + QStringLiteral("ZENT")));
    QCOMPARE(report[3].count(QLatin1Char('*')), 3); // "***" of the block CRC only

    for (int m : {0, 3, 7})
        QCOMPARE(rig.state(m), int(moduleApplicationRunning));
    ModuleOverviewForm* form = overview.form();
    QVERIFY(form && form->isVisible());
    form->resize(1100, 260);
    QVERIFY(!saveScreenshot(*form, QStringLiteral("module_overview")).isEmpty());
    overview.cmdExit_Click();
    QVERIFY(!overview.loaded());
}

void ModuleOverviewTest::detailsListTheValueOfEveryModule() {
    ToolsRig rig;
    QVERIFY(showPreparedOverview(rig));
    ModuleOverview& overview = frmModuleOverview();

    // The section names open nothing.
    overview.tdbModuleInfo_RowColChange(2, 0);
    QVERIFY(rig.bus.dialogs.modalWindows().isEmpty());

    InfoBlockDetails& details = frmInfoBlockDetails();
    bool shown = false;
    rig.bus.dialogs.whileShown([&] {
        shown = details.loaded() && details.form() && details.form()->isVisible() &&
                details.form()->windowModality() == Qt::ApplicationModal;
        if (details.form())
            saveScreenshot(*details.form(), QStringLiteral("info_block_details"));
    });
    const qsizetype before = rig.window.messages().count();
    overview.tdbModuleInfo_RowColChange(2, 6);
    QVERIFY(shown);
    QCOMPARE(rig.bus.dialogs.modalWindows(), QStringList{"frmInfoBlockDetails"});
    QVERIFY(!details.loaded());
    QCOMPARE(details.caption(), QStringLiteral("FPGA : Code Length"));

    TextGridModel& grid = details.grid();
    QCOMPARE(grid.rowCount(), 15);
    QCOMPARE(grid.columnCount(), 2);
    QCOMPARE(grid.headerData(1, Qt::Horizontal).toString(), QStringLiteral("FPGA : Code Length"));
    for (int m = 0; m < 15; ++m) {
        QCOMPARE(grid.text(m, 0), QString::number(m));
        const QString value = m == 7 ? QStringLiteral("3001") : m == 0 || m == 3 ? "3000" : "---";
        QCOMPARE(grid.text(m, 1), value);
        const int colour = m == 0 || m == 3 || m == 7 ? kColourButtonFace : kColourAppWorkspace;
        QCOMPARE(grid.colour(m, 1), colour);
        QCOMPARE(grid.colour(m, 0), colour);
    }

    const QStringList log = rig.window.messages().lines().mid(before);
    QCOMPARE(log.size(), 19);
    QVERIFY(log[0].startsWith(QStringLiteral("INFO BLOCK ") + QString(71, QLatin1Char('-')) +
                              QLatin1Char(' ')));
    QCOMPARE(log[1], QStringLiteral("Info Block Details:"));
    QCOMPARE(log[2], QStringLiteral("   Module     FPGA : Code Length"));
    QCOMPARE(log[3], QStringLiteral("      0       3000"));
    QCOMPARE(log[4], QStringLiteral("      1       ---"));
    QCOMPARE(log[10], QStringLiteral("      7       3001"));
    QCOMPARE(log[17], QStringLiteral("     14       ---"));
    QVERIFY(isRule(log[18]));
}

void ModuleOverviewTest::modulesAreLeftAsTheyWereFound() {
    ToolsRig rig;
    rig.module(5).setMode(sim::Mode::Bootloader);
    QVERIFY(rig.connect({2, 3}));
    QVERIFY(
        rig.bus.time.runUntil([] { return ToolsRig::state(5) == moduleBootloaderRunning; }, 3000));
    // A failed download turned module 3's lamp red: the overview restarts it all the same.
    rig.window.setLamp(3, true, kColourRed);
    rig.window.cmdModuleState_Click();

    QVERIFY(frmModuleOverview().loaded());
    QCOMPARE(frmModuleOverview().moduleCount(), 3);
    QCOMPARE(frmModuleOverview().referenceModule(), 2);
    QCOMPARE(rig.state(2), int(moduleApplicationRunning));
    QCOMPARE(rig.state(3), int(moduleApplicationRunning));
    QCOMPARE(rig.state(5), int(moduleBootloaderRunning));
    QVERIFY(!rig.window.lock().operationMode());
}

void ModuleOverviewTest::moduleLeavingItsBootloaderCancelsTheOverview() {
    ToolsRig rig;
    rig.module(5).setMode(sim::Mode::Bootloader);
    QVERIFY(rig.connect({3}));
    QVERIFY(
        rig.bus.time.runUntil([] { return ToolsRig::state(5) == moduleBootloaderRunning; }, 3000));
    // While the bootloader start asks its question, module 5 starts its application.
    rig.bus.dialogs.whileShown([&] { rig.module(5).setMode(sim::Mode::Application); });
    rig.window.cmdModuleState_Click();

    const QList<BoxRequest> boxes = rig.bus.dialogs.shown();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Overview Error"));
    QCOMPARE(boxes[0].icon, BoxIcon::None);
    QCOMPARE(boxes[0].text,
             QStringLiteral("Overview cancelled because module 5 is not in Bootloader state.\r"
                            "Please set all modules into bootloader state using the menu item\r"
                            "Module Control - Start Bootloader."));
    QVERIFY(!frmModuleOverview().loaded());
    const QStringList lines = rig.window.messages().lines();
    QVERIFY(lines.contains(QStringLiteral("Reading InfoBlocks of all Modules ")));
    QVERIFY(!lines.contains(QStringLiteral("Reading InfoBlocks finished.")));
    QCOMPARE(rig.state(3), int(moduleApplicationRunning));
    QVERIFY(!rig.window.lock().operationMode());
}

void ModuleOverviewTest::failedBootloaderStartRestartsTheSwitchedModules() {
    ToolsRig rig;
    QVERIFY(rig.connect({2, 3}));
    rig.bus.dialogs.whileShown([&] { rig.module(3).faults().silent = true; });
    rig.window.cmdModuleState_Click();

    const QStringList lines = rig.window.messages().lines();
    QVERIFY(lines.contains(QStringLiteral("Error: Could not start Bootloader.")));
    QVERIFY(!lines.contains(QStringLiteral("Reading InfoBlocks of all Modules ")));
    QVERIFY(!frmModuleOverview().loaded());
    QCOMPARE(rig.state(2), int(moduleApplicationRunning));
    QVERIFY(!rig.window.lock().operationMode());
}

void ModuleOverviewTest::noModuleConnected() {
    ToolsRig rig;
    QVERIFY(rig.connect({}));
    rig.window.cmdModuleState_Click();
    QCOMPARE(rig.bus.dialogs.texts(), QStringList{"No Modules Connected."});
    QCOMPARE(rig.bus.dialogs.shown().first().title, QStringLiteral("ERROR"));
    QVERIFY(!rig.window.lock().closeRemoved());
    QVERIFY(!frmModuleOverview().loaded());
}

void ModuleOverviewTest::mBusRestartsTheSpareBeforeTheCylinders() {
    ToolsRig rig(sim::BusKind::MBus);
    sim::AutoDownloadMaster spare(rig.bus.modules, rig.bus.service);
    modConnectionStatus::resetAutoLogin();
    modAutoDownload::g_initialise();
    rig.bus.modules.setModes(0, 4, sim::Mode::Application);
    QVERIFY(rig.config.ok() && rig.bus.open(QStringLiteral("M-Bus")));
    QVERIFY(
        rig.bus.time.runUntil([] { return ToolsRig::state(4) == moduleApplicationRunning; }, 5000));
    rig.bus.time.runFor(1000);

    // Module 0's application starts again as soon as its blocks are read, before the
    // first cylinder block is read.
    qint64 spareStartedUs = -1;
    qint64 firstCylinderReadUs = -1;
    rig.bus.modules.addListener([&](const can::CanFrame& f) {
        if (f.id == 0x700 + 0x11 && f.length == 1 && f.data[0] == 0 && spareStartedUs < 0 &&
            rig.module(1).mode() == sim::Mode::Bootloader)
            spareStartedUs = rig.bus.time.nowUs();
    });
    rig.bus.bus.attach([&](const can::CanFrame& f) {
        if (f.id == 0x600 + 0x71 && f.data[1] == 0xFE && f.data[2] == 0x5F &&
            firstCylinderReadUs < 0)
            firstCylinderReadUs = rig.bus.time.nowUs();
    });
    rig.window.cmdModuleState_Click();

    QVERIFY(rig.bus.dialogs.texts().isEmpty());
    QVERIFY(frmModuleOverview().loaded());
    QCOMPARE(frmModuleOverview().moduleCount(), 5);
    QCOMPARE(frmModuleOverview().referenceModule(), 1);
    QVERIFY(spareStartedUs > 0);
    QVERIFY(firstCylinderReadUs > spareStartedUs);
    for (int m = 0; m <= 4; ++m)
        QCOMPARE(rig.state(m), int(moduleApplicationRunning));
    modAutoDownload::g_initialise();
    modConnectionStatus::resetAutoLogin();
}

void ModuleOverviewTest::mBusWithTheSpareInItsBootloaderWarns() {
    ToolsRig rig(sim::BusKind::MBus);
    sim::AutoDownloadMaster spare(rig.bus.modules, rig.bus.service);
    modConnectionStatus::resetAutoLogin();
    modAutoDownload::g_initialise();
    rig.module(0).setMode(sim::Mode::Bootloader);
    QVERIFY(rig.config.ok() && rig.bus.open(QStringLiteral("M-Bus")));
    QVERIFY(
        rig.bus.time.runUntil([] { return ToolsRig::state(0) == moduleBootloaderRunning; }, 5000));
    rig.window.cmdModuleState_Click();

    const QList<BoxRequest> boxes = rig.bus.dialogs.shown();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Warning"));
    QCOMPARE(boxes[0].text, QStringLiteral("PXU Loader is connected to the M-Bus and application "
                                           "is not \rrunning on module 0. Therefore overview "
                                           "information is only \ravailable of module 0."));
    QVERIFY(frmModuleOverview().loaded());
    QCOMPARE(frmModuleOverview().moduleCount(), 1);
    QCOMPARE(rig.state(0), int(moduleBootloaderRunning));
    modAutoDownload::g_initialise();
    modConnectionStatus::resetAutoLogin();
}

void ModuleOverviewTest::unreadableModuleIsLoggedAndLeftEmpty() {
    ToolsRig rig;
    QVERIFY(rig.connect({2, 3, 7}));
    // Module 7 falls silent when its first block is asked for.
    bool silenced = false;
    rig.bus.modules.addListener([&](const can::CanFrame& f) {
        if (f.id == 0x600 + 0x77 && !silenced) {
            silenced = true;
            rig.module(7).faults().silent = true;
        }
    });
    // It answers again once its failure is shown (after the bootloader start's question).
    rig.bus.dialogs.whileShown([] {});
    rig.bus.dialogs.whileShown([&] { rig.module(7).faults().silent = false; });
    rig.window.cmdModuleState_Click();

    QVERIFY(silenced);
    QVERIFY(rig.window.messages().lines().contains(
        QStringLiteral("Error: Could not read info block. Module: 7")));
    QCOMPARE(rig.bus.dialogs.shown().size(), 1);
    QCOMPARE(rig.bus.dialogs.shown().first().title, QStringLiteral("CANopen ERROR"));
    ModuleOverview& overview = frmModuleOverview();
    QVERIFY(overview.loaded());
    QCOMPARE(overview.referenceModule(), 2);
    QCOMPARE(overview.grid().text(1, 2), QStringLiteral("DC_V0001"));
    QVERIFY(!overview.cellEqual(1, 2)); // module 7 has nothing there
    for (int m : {2, 3, 7})
        QCOMPARE(rig.state(m), int(moduleApplicationRunning));
}

void ModuleOverviewTest::lostChannelStopsTheOverview_data() {
    QTest::addColumn<bool>("whileAsked");
    QTest::newRow("while the bootloader start asks") << true;
    QTest::newRow("as the second module's blocks are read") << false;
}

// No overview of what a lost channel let through, no restart into it.
void ModuleOverviewTest::lostChannelStopsTheOverview() {
    QFETCH(bool, whileAsked);
    const QString lost = QStringLiteral("CAN channel in-process bus was lost");
    ToolsRig rig;
    LosableChannel channel(rig.bus.bus);
    channel.install();
    QVERIFY(rig.connect({2, 3, 7}));
    if (whileAsked) {
        rig.bus.dialogs.whileShown([&] { channel.lose(); });
    } else {
        rig.bus.bus.attach([&](const can::CanFrame& f) {
            if (f.id == 0x600 + 0x73 && f.data[1] == 0xFE && f.data[2] == 0x5F && !channel.lost())
                channel.lose();
        });
    }
    const qsizetype logFrom = rig.window.messages().count();
    const qint64 start = rig.bus.time.nowMs();

    rig.window.cmdModuleState_Click();

    QVERIFY(channel.lost());
    QVERIFY2(rig.bus.time.nowMs() - start < 2000,
             qPrintable(QString::number(rig.bus.time.nowMs() - start)));
    const QStringList log = rig.window.messages().lines().mid(logFrom);
    QVERIFY2(log.contains(QStringLiteral("   Overview stopped: ") + lost + u'.'),
             qPrintable(log.join(u'\n')));
    QVERIFY(!log.contains(QStringLiteral("Reading InfoBlocks finished.")));
    QVERIFY(!frmModuleOverview().loaded());
    const QStringList boxes = rig.bus.dialogs.texts().mid(1); // after the bootloader question
    QVERIFY2(boxes.size() <= 1 && (boxes.isEmpty() || boxes.first().endsWith(lost)),
             qPrintable(boxes.join(u'|')));
    QVERIFY(!rig.window.lock().operationMode());
}

void ModuleOverviewTest::shutDownUnloadsTheWindows() {
    ToolsRig rig;
    QVERIFY(showPreparedOverview(rig));
    QVERIFY(frmModuleOverview().form());
    rig.window.mnuExit_Click();
    QVERIFY(rig.window.programEnded());
    QVERIFY(!frmModuleOverview().loaded());
    QVERIFY(!frmModuleOverview().form());
}

QTEST_MAIN(ModuleOverviewTest)
#include "module_overview_test.moc"
