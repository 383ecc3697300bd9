// The Download button end to end against simulated modules: directly into KEV and PXU
// modules, through the spare's auto download on the M-Bus, the refusals before anything is
// sent, attempts, failures and Abort.
#include "bus/info_block_date.h"
#include "core/sprintf.h"
#include "download_rig.h"
#include "mainwindow/form_widgets.h"
#include "mainwindow/loader_panel.h"
#include "mainwindow/main_window_form.h"
#include "sim/checksums.h"

#include <QLineEdit>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

QStringList withoutFirst(QStringList lines) {
    if (!lines.isEmpty())
        lines.removeFirst();
    return lines;
}

QString aborted() {
    return QStringLiteral("      PXU 0: failure in transmitting program/data!");
}

bool isClosingLine(const QString& line) {
    return line.startsWith(QString(82, u'-') + u' ');
}

// Application and data container ticked for modules 0 to last, FPGA free.
bool readyForTwoSections(DownloadRig& r, int last, const QByteArray& application,
                         const QByteArray& container) {
    r.forceFpga(false);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), application, 0x30000);
    r.writeLoadFile(QStringLiteral("PXU_DATA.S19"), container, 0xC0000);
    return r.ready(last, 0, last, {sectionBoxAppl, sectionBoxDC});
}

} // namespace

using Setup = std::function<void(DownloadRig&)>;
Q_DECLARE_METATYPE(Setup)
using Faults = std::function<void(pxu::sim::ModuleFaults&)>;
Q_DECLARE_METATYPE(Faults)

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void kevApplicationGoesIn8192ByteSegments();
    void refusalsSendNothing_data();
    void refusalsSendNothing();
    void spareOnlyAnsweredNoStopsAfterTheNetworkStart();
    void attemptsOfOneSection_data();
    void attemptsOfOneSection();
    void flashWaitBoxesOnlyTheFirstFailedRead();
    void updaterIsToldOnlyOfAcceptedSections();
    void moduleVanishingMidRunIsSkippedByLaterSections();
    void selectionTakesNoInputDuringTheDownload();
    void abortIsAskedBeforeTheNextModule_data();
    void abortIsAskedBeforeTheNextModule();
    void mBusSpareAloneTakesTheDirectPath();
    void oldInterfaceLeavesTheRestartToTheUser_data();
    void oldInterfaceLeavesTheRestartToTheUser();
    void mBusLoadsTheSpareFirstThenSixCylindersThroughIt_data();
    void mBusLoadsTheSpareFirstThenSixCylindersThroughIt();
};

void DownloadTest::kevApplicationGoesIn8192ByteSegments() {
    DownloadRig r(sim::BusKind::Kev, QStringLiteral("KEV"), 1);
    const QByteArray image = newImage(20000);
    const QString file = r.writeLoadFile(QStringLiteral("KEV_APPL.S19"), image, 0x40000);
    QVERIFY(!file.isEmpty());
    QVERIFY(r.ready(1, 1, 1, {sectionBoxAppl}));
    const qsizetype from = r.rig.heard.size();

    r.window.cmdDownload_Click();

    const sim::Module& kev = r.rig.modules.module(1);
    QCOMPARE(kev.section(2).image, image);
    const QByteArray block = kev.section(2).infoBlock;
    QCOMPARE(block.size(), 44);
    QCOMPARE(sim::readBe32(block, 0), 44u);
    QCOMPARE(block.mid(4, 8), QByteArray("KEV20APP"));
    QCOMPARE(sim::readBe32(block, 12), 1u);
    QCOMPARE(block.mid(16, 12), fileDateText(g_getFileDate(file)).toLatin1() + '\0');
    QCOMPARE(sim::readBe32(block, 28), 0x40000u);
    QCOMPARE(sim::readBe32(block, 32), 20000u);
    QCOMPARE(sim::readBe32(block, 36), sim::crc32(image));
    QVERIFY(sim::infoBlockChecksumValid(block));

    QList<DownloadRig::Initiate> data;
    for (const auto& d : r.segmentedDownloads(0x41, from)) {
        if (d.index == 0x1F50)
            data << d;
    }
    QCOMPARE(data, (QList<DownloadRig::Initiate>{
                       {0x1F50, 2, 8192}, {0x1F50, 2, 8192}, {0x1F50, 2, 3616}}));
    QCOMPARE(kev.mode(), sim::Mode::Application);
    QVERIFY(r.window.m_moduleUpdated[1]);
    QVERIFY(!r.window.m_moduleUpdated[0]);
    QVERIFY(r.window.row(1).lampVisible);
    QVERIFY(r.window.g_downloadStatusOk(1));

    const QStringList log = r.log();
    QVERIFY(log.first().startsWith(QStringLiteral("DOWNLOAD ") + QString(73, u'-') + u' '));
    QVERIFY(isClosingLine(log.last()));
    QCOMPARE(withoutFirst(log).mid(0, log.size() - 2),
             (QStringList{"Programming KEV's", "   Starting bootloader on all modules",
                          "   Start bootloader", "      KEV 0: ok", "      KEV 1: ok",
                          "   Download Application", "      KEV 1: ok", "   Start application",
                          "      KEV 0: ok", "      KEV 1: ok"}));
    QVERIFY(r.window.lock().enabled(Control::cmdDownload));
    QVERIFY(!r.window.lock().operationMode());
}

void DownloadTest::mBusLoadsTheSpareFirstThenSixCylindersThroughIt_data() {
    QTest::addColumn<bool>("updaterFace");
    QTest::newRow("full loader") << false;
    QTest::newRow("updater face") << true;
}

void DownloadTest::mBusLoadsTheSpareFirstThenSixCylindersThroughIt() {
    QFETCH(bool, updaterFace);
    DownloadRig r(sim::BusKind::MBus, QStringLiteral("PXU"), 6);
    UpdaterFace face(r.window);
    g_applUpdate = updaterFace;
    // The updater presets the modules it does not load as updated.
    for (int m = 0; m < kModuleCount; ++m)
        r.window.m_moduleUpdated[m] = m > 6;
    r.spare->faults().risingAttempts = true;
    const QByteArray application = newImage(30000, 2);
    const QByteArray fpga = newImage(5000, 3);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), application, 0x30000);
    r.writeLoadFile(QStringLiteral("PXU_FPGA.S19"), fpga, 0xD0000);
    QVERIFY(r.ready(6, 0, 6, {sectionBoxAppl}));
    // The forced FPGA follows in the full loader; the guided update brings no FPGA file of
    // its own, so here it is ticked by hand to load both sections through the spare.
    if (updaterFace)
        r.window.selection().setSection(sectionBoxFPGA, ticked);
    QCOMPARE(r.window.selection().section(sectionBoxFPGA).value, int(ticked));
    QList<double> cylinderProgress;
    bool cylinderPhase = false;
    QObject::connect(&r.window, &MainWindow::changed, [&] {
        cylinderPhase =
            cylinderPhase ||
            r.log().contains(QStringLiteral("M-Bus download: starting download to cylinders."));
        if (cylinderPhase && r.window.progress() > 0 &&
            (cylinderProgress.isEmpty() || cylinderProgress.last() != r.window.progress()))
            cylinderProgress << r.window.progress();
    });

    r.window.cmdDownload_Click();

    // The commands the spare was given, in order: mask and command word.
    QList<QPair<int, int>> commands;
    for (const auto& written : r.rig.service.writtenSymbols()) {
        if (written.module == 0 && written.id == r.spare->ids().moduleStateRw)
            commands << qMakePair(int(written.value & 0xFFFF), int(written.value >> 16));
    }
    QList<QPair<int, int>> expected{{0x7E, 0x0001}, {0, 0x0002}};
    for (const int word : {0x0040, 0x0080}) {
        for (int m = 1; m <= 6; ++m)
            expected << qMakePair(0, 0x3000) << qMakePair(1 << m, word);
    }
    expected << qMakePair(0x7E, 0x0002);
    QCOMPARE(commands, expected);

    for (int m = 0; m <= 6; ++m) {
        const sim::Module& module = r.rig.modules.module(m);
        QCOMPARE(module.mode(), sim::Mode::Application);
        QCOMPARE(module.section(6).image, application);
        QCOMPARE(module.section(7).image, fpga);
        QVERIFY2(r.window.g_downloadStatusOk(m), qPrintable(QString::number(m)));
        QVERIFY(r.window.row(m).lampVisible);
        QVERIFY(r.window.m_moduleUpdated[m]);
        QCOMPARE(r.window.selection().program(m).value, int(ticked));
    }

    const QStringList log = r.log();
    const qsizetype cylinders = log.indexOf("M-Bus download: starting download to cylinders.");
    QVERIFY(log.indexOf("M-Bus download: starting download to spare.") > 0);
    QVERIFY(cylinders > 0);
    // Each cylinder needed a second attempt of the spare.
    QStringList perCylinder;
    for (int m = 1; m <= 6; ++m)
        perCylinder
            << QStringLiteral("      PXU %1: failure in auto-download of program/data!").arg(m)
            << QStringLiteral("      PXU %1: ok").arg(m);
    const qsizetype application6 = log.indexOf("   Download Application", cylinders);
    QCOMPARE(log.mid(application6 + 1, 12), perCylinder);
    const qsizetype fpga6 = log.indexOf("   Download FPGA", cylinders);
    QCOMPARE(log.mid(fpga6 + 1, 12), perCylinder);
    QVERIFY(isClosingLine(log.last()));
    QVERIFY(cylinderProgress.size() >= 10);
    for (const double p : cylinderProgress)
        QVERIFY(p > 0 && p <= 1);
    QVERIFY(!r.window.lock().operationMode());

    if (!updaterFace) {
        QCOMPARE(r.rig.dialogs.texts(), QStringList{"Restart application?"});
        QVERIFY(face.messages().lines().isEmpty());
        return;
    }
    // No question: the updater always restarts; it is told of every module and section.
    QVERIFY(r.rig.dialogs.texts().isEmpty());
    QVERIFY(r.rig.dialogs.windows().isEmpty());
    QStringList updated;
    for (const int m : {0, 0, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6})
        updated << QStringLiteral("   PXU-#%1 is updated").arg(m, 2, 10, QLatin1Char('0'));
    QCOMPARE(face.messages().lines(), updated);
    QCOMPARE(face.view().userInfo, sprintf(g_getUserMessage(83), 6));
}

void DownloadTest::refusalsSendNothing_data() {
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("boxes");
    const auto application = [](DownloadRig& r) {
        r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), newImage(3000), 0x30000);
    };
    QTest::newRow("no module") << Setup([&](DownloadRig& r) {
        application(r);
        r.tickSection(sectionBoxAppl);
    }) << QStringList{"   no module selected!"}
                               << QStringList{};
    QTest::newRow("hardware not suitable") << Setup([&](DownloadRig& r) {
        application(r);
        r.tickModules(0, 2);
        r.tickSection(sectionBoxAppl);
        r.window.setHwBackColour(1, kColourRed);
    }) << QStringList{"   Not all modules are compatible with SW-version!"}
                                           << QStringList{};
    QTest::newRow("no section") << Setup([&](DownloadRig& r) {
        application(r);
        r.tickModules(0, 2);
    }) << QStringList{"   no section selected!"}
                                << QStringList{};
    QTest::newRow("a file missing, the others there") << Setup([&](DownloadRig& r) {
        application(r);
        r.tickModules(0, 2);
        r.tickSection(sectionBoxAppl);
        r.tickSection(sectionBoxDC);
    }) << QStringList{"   S19 file for section DataCont. not found!"}
                                                      << QStringList{};
    QTest::newRow("a file without path") << Setup([&](DownloadRig& r) {
        application(r);
        r.tickModules(0, 2);
        r.tickSection(sectionBoxAppl);
        LoadFileBoxes boxes = r.window.loadFiles().boxes(sectionBoxAppl);
        boxes.emhPath.clear();
        r.window.loadFiles().setBoxes(sectionBoxAppl, boxes);
    }) << QStringList{"   S19 file for section Application not found!"}
                                         << QStringList{};
    QTest::newRow("a file that is no S-record file") << Setup([&](DownloadRig& r) {
        r.workspace.writeFile(QStringLiteral("PXU_APPL.S19"), "no records\n");
        r.window.g_checkFileExist(g_moduleType, true);
        r.tickModules(0, 2);
        r.tickSection(sectionBoxAppl);
    }) << QStringList{"Download aborted because conversion S19-to-binary failed."}
                                                     << QStringList{};
    QTest::newRow("a section in bootloader 1") << Setup([&](DownloadRig& r) {
        r.writeLoadFile(QStringLiteral("PXU_BL2.S19"), newImage(3000), 0x100);
        r.tickModules(0, 2);
        r.tickSection(sectionBoxBL2);
    }) << QStringList{"Download aborted because start address in info block is invalid."}
                                               << QStringList{"Download cancelled because start "
                                                              "address is within Bootloader1 "
                                                              "memory."};
    QTest::newRow("bootloader 2 cancelled") << Setup([&](DownloadRig& r) {
        r.writeLoadFile(QStringLiteral("PXU_BL2.S19"), newImage(3000), 0x10100);
        r.tickModules(0, 2);
        r.tickSection(sectionBoxBL2);
        r.rig.dialogs.answer(BoxAnswer::Cancel);
    }) << QStringList{"   BL-download canceled!"}
                                            << QStringList{"Downloading of the bootloader will "
                                                           "remove the application from the "
                                                           "PXU!\r\nAter bootloader-downloading "
                                                           "you must also download the "
                                                           "application."};
}

void DownloadTest::refusalsSendNothing() {
    QFETCH(Setup, setup);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, boxes);
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 2);
    r.forceFpga(false);
    QVERIFY(r.connect(2));
    setup(r);
    r.window.messages().clear();
    const qsizetype from = r.rig.heard.size();

    r.window.cmdDownload_Click();
    r.rig.time.runFor(100);

    QVERIFY(r.toolFrames(from).isEmpty());
    const QStringList log = r.log();
    QCOMPARE(log.size(), 2 + lines.size() + 1);
    QCOMPARE(log.at(1), QStringLiteral("Programming PXU's"));
    QCOMPARE(log.mid(2, lines.size()), lines);
    QVERIFY(isClosingLine(log.last()));
    QCOMPARE(r.rig.dialogs.texts(), boxes);
    QVERIFY(!r.window.lock().operationMode());
    QVERIFY(r.window.lock().enabled(Control::cmdDownload));
    for (int m = 0; m <= 2; ++m)
        QCOMPARE(r.rig.modules.module(m).mode(), sim::Mode::Application);
}

void DownloadTest::spareOnlyAnsweredNoStopsAfterTheNetworkStart() {
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 2);
    r.forceFpga(false);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), newImage(3000), 0x30000);
    QVERIFY(r.ready(2, 0, 0, {sectionBoxAppl}));
    r.rig.dialogs.answerWindow(WindowAnswer::No);
    const qsizetype from = r.rig.heard.size();

    r.window.cmdDownload_Click();
    r.rig.time.runFor(100);

    QCOMPARE(r.rig.dialogs.windows().size(), 1);
    QCOMPARE(r.rig.dialogs.windows().first().text, g_getUserMessage(4));
    const QList<can::CanFrame> sent = r.toolFrames(from);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().id, 0u); // the network start of all nodes
    QCOMPARE(r.log().mid(1), (QStringList{"Programming PXU's", "Download to spare only aborted."}));
    QVERIFY(!r.window.lock().operationMode());
}

void DownloadTest::attemptsOfOneSection_data() {
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("updated");
    const QString newAttempt = QStringLiteral("         new attempt");
    const QString ok = QStringLiteral("      PXU 0: ok");
    QTest::newRow("status 126, then accepted") << Faults([](sim::ModuleFaults& f) {
        f.dataStatus = 126;
        f.dataStatusTimes = 1;
    }) << QStringList{"      PXU 0: downloading program/data failed!", newAttempt, ok}
                                               << true;
    QTest::newRow("a block aborted once") << Faults([](sim::ModuleFaults& f) {
        f.abortOnBlock = 2;
        f.abortTimes = 1;
    }) << QStringList{"      PXU 0: failure in transmitting program/data!", newAttempt, ok}
                                          << true;
    QTest::newRow("a block aborted every time")
        << Faults([](sim::ModuleFaults& f) { f.abortOnBlock = 3; })
        << QStringList{aborted(), newAttempt, aborted(), newAttempt, aborted()} << false;
    QTest::newRow("flash programming never ends")
        << Faults([](sim::ModuleFaults& f) { f.statusStuck = true; })
        << QStringList{ok, "      PXU 0: failure in flash-programming (timeout)!"} << false;
}

void DownloadTest::attemptsOfOneSection() {
    QFETCH(Faults, faults);
    QFETCH(QStringList, lines);
    QFETCH(bool, updated);
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 0);
    r.forceFpga(false);
    const QByteArray image = newImage(20000);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), image, 0x30000);
    QVERIFY(r.ready(0, 0, 0, {sectionBoxAppl}));
    faults(r.rig.modules.module(0).faults());
    QList<qint64> attemptsAtMs;
    r.rig.bus.attach([&](const can::CanFrame& f) {
        // The info block's write starts each attempt.
        if (f.id == 0x670 && (f.data[0] & 0xE0) == 0x20 && f.data[1] == 0xFE && f.data[2] == 0x5F)
            attemptsAtMs << r.rig.time.nowMs();
    });

    r.window.cmdDownload_Click();

    const QStringList log = r.log();
    const qsizetype first = log.indexOf("   Download Application") + 1;
    QCOMPARE(log.mid(first, lines.size()), lines);
    QCOMPARE(log.at(first + lines.size()), QStringLiteral("   Start application"));
    QCOMPARE(r.window.g_downloadStatusOk(0), updated);
    QVERIFY(r.window.row(0).lampVisible);
    QCOMPARE(r.window.m_moduleUpdated[0], updated);
    QCOMPARE(r.rig.modules.module(0).section(6).image == image,
             lines.contains(QStringLiteral("      PXU 0: ok")));
    // A module that failed stays in its bootloader.
    QCOMPARE(r.rig.modules.module(0).mode(),
             updated ? sim::Mode::Application : sim::Mode::Bootloader);
    for (qsizetype i = 1; i < attemptsAtMs.size(); ++i)
        QVERIFY(attemptsAtMs[i] - attemptsAtMs[i - 1] >= 2000);
    QCOMPARE(attemptsAtMs.size(),
             qsizetype(lines.count(QStringLiteral("         new attempt")) + 1));
}

void DownloadTest::flashWaitBoxesOnlyTheFirstFailedRead() {
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 0);
    r.forceFpga(false);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), newImage(20000), 0x30000);
    QVERIFY(r.ready(0, 0, 0, {sectionBoxAppl}));
    // Once the data is accepted, the first two reads of the flash-programming wait fail.
    bool armed = false;
    QObject::connect(&r.window, &MainWindow::changed, [&] {
        const QStringList log = r.log();
        const qsizetype section = log.indexOf(QStringLiteral("   Download Application"));
        if (!armed && section > 0 && log.indexOf(QStringLiteral("      PXU 0: ok"), section) > 0) {
            armed = true;
            r.rig.modules.module(0).faults().statusReadAborts = 2;
        }
    });

    r.window.cmdDownload_Click();

    QVERIFY(armed);
    QCOMPARE(r.rig.modules.module(0).faults().statusReadAborts, 0);
    const QStringList boxes = r.rig.dialogs.texts();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.last(), QStringLiteral("Restart application?"));
    const QStringList log = r.log();
    const qsizetype section = log.indexOf(QStringLiteral("   Download Application"));
    QCOMPARE(log.mid(section + 1, 2), (QStringList{"      PXU 0: ok", "   Start application"}));
    QVERIFY(r.window.g_downloadStatusOk(0));
    QVERIFY(r.window.m_moduleUpdated[0]);
}

void DownloadTest::updaterIsToldOnlyOfAcceptedSections() {
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 1);
    UpdaterFace face(r.window);
    g_applUpdate = true;
    r.forceFpga(false);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), newImage(20000, 17), 0x30000);
    QVERIFY(r.ready(1, 0, 1, {sectionBoxAppl}));
    r.rig.modules.module(1).faults().abortOnBlock = 2;

    r.window.cmdDownload_Click();

    QCOMPARE(face.messages().lines(), QStringList{"   PXU-#00 is updated"});
    QVERIFY(r.window.m_moduleUpdated[0]);
    QVERIFY(!r.window.m_moduleUpdated[1]);
    QVERIFY(!r.window.g_downloadStatusOk(1));
}

void DownloadTest::moduleVanishingMidRunIsSkippedByLaterSections() {
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 2);
    const QByteArray application = newImage(20000, 4);
    const QByteArray container = newImage(9000, 5);
    QVERIFY(readyForTwoSections(r, 2, application, container));
    r.rig.modules.module(1).faults().disappearAfterBlocks = 1;
    qsizetype dcStart = -1;
    QObject::connect(&r.window, &MainWindow::changed, [&] {
        if (dcStart < 0 && r.log().contains(QStringLiteral("   Download DataCont.")))
            dcStart = r.rig.heard.size();
    });

    r.window.cmdDownload_Click();

    const QStringList log = r.log();
    const QString transmitData =
        QStringLiteral("      PXU 1: failure in transmitting program/data!");
    const QString transmitInfo = QStringLiteral("      PXU 1: failure in transmitting infoblock!");
    const QString newAttempt = QStringLiteral("         new attempt");
    const qsizetype application0 = log.indexOf("   Download Application");
    QCOMPARE(log.mid(application0 + 1, 7),
             (QStringList{"      PXU 0: ok", transmitData, newAttempt, transmitInfo, newAttempt,
                          transmitInfo, "      PXU 2: ok"}));
    const qsizetype container0 = log.indexOf("   Download DataCont.");
    QCOMPARE(log.mid(container0 + 1, 2), (QStringList{"      PXU 0: ok", "      PXU 2: ok"}));
    QVERIFY(dcStart > 0);
    for (const can::CanFrame& f : r.toolFrames(dcStart))
        QVERIFY(f.id != 0x671 && f.id != 0x621);
    QVERIFY(!r.window.g_downloadStatusOk(1));
    QVERIFY(r.window.row(1).lampVisible);
    QVERIFY(r.window.m_moduleUpdated[0] && r.window.m_moduleUpdated[2]);
    QVERIFY(!r.window.m_moduleUpdated[1]);
    for (const int m : {0, 2}) {
        QCOMPARE(r.rig.modules.module(m).section(6).image, application);
        QCOMPARE(r.rig.modules.module(m).section(4).image, container);
        QCOMPARE(r.rig.modules.module(m).mode(), sim::Mode::Application);
    }
}

void DownloadTest::selectionTakesNoInputDuringTheDownload() {
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 1);
    const QByteArray application = newImage(20000, 6);
    const QByteArray container = newImage(9000, 7);
    QVERIFY(readyForTwoSections(r, 1, application, container));
    MainWindowForm form(r.window);
    form.show();
    LoaderPanel& panel = *form.loader();
    const QString folder = r.window.loadFiles().directory();
    // While the first section goes in, the user edits the directory, unticks module 1 and
    // the data container, and ticks "New".
    bool tried = false;
    QObject::connect(&r.window, &MainWindow::changed, [&] {
        if (tried || !r.log().contains(QStringLiteral("   Download Application")))
            return;
        tried = true;
        panel.txtFileDirectory->setFocus();
        QTest::keyClicks(panel.txtFileDirectory, QStringLiteral("/elsewhere"));
        QTest::keyClick(panel.txtFileDirectory, Qt::Key_Return);
        for (ModelCheckBox* box :
             {panel.chkProgram[1], panel.chkLoadSection[sectionBoxDC], panel.chkSectionNew,
              panel.chkProgramAllModules, panel.chkProgramAllSections})
            QTest::mouseClick(box, Qt::LeftButton);
    });

    r.window.cmdDownload_Click();

    QVERIFY(tried);
    QCOMPARE(r.window.loadFiles().directory(), folder);
    QCOMPARE(r.window.loadFiles().sectionNew(), int(unticked));
    for (const int m : {0, 1}) {
        QCOMPARE(r.window.selection().program(m).value, int(ticked));
        QCOMPARE(r.rig.modules.module(m).section(6).image, application);
        QCOMPARE(r.rig.modules.module(m).section(4).image, container);
    }
    QCOMPARE(r.window.selection().section(sectionBoxDC).value, int(ticked));
    // Unlocked again afterwards.
    QVERIFY(panel.txtFileDirectory->isEnabled());
    QVERIFY(panel.chkProgram[1]->isEnabled());
    QVERIFY(panel.chkLoadSection[sectionBoxDC]->isEnabled());
}

void DownloadTest::abortIsAskedBeforeTheNextModule_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void DownloadTest::abortIsAskedBeforeTheNextModule() {
    QFETCH(bool, yes);
    DownloadRig r(sim::BusKind::SBus, QStringLiteral("PXU"), 2);
    r.forceFpga(false);
    const QByteArray image = newImage(20000, 6);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), image, 0x30000);
    QVERIFY(r.ready(2, 0, 2, {sectionBoxAppl}));
    // Abort is pressed while module 1 takes its data.
    bool pressed = false;
    r.rig.bus.attach([&](const can::CanFrame& f) {
        if (!pressed && f.id == 0x671 && f.data[1] == 0x50 && f.data[2] == 0x1F) {
            pressed = true;
            r.window.cmdAbort_Click();
        }
    });
    r.rig.dialogs.answer(yes ? BoxAnswer::Yes : BoxAnswer::No);
    QString logWhenAsked;
    r.rig.dialogs.whileShown([] {}); // the question before the bootloader start
    r.rig.dialogs.whileShown([&] { logWhenAsked = r.log().last(); });

    r.window.cmdDownload_Click();

    QVERIFY(pressed);
    QCOMPARE(r.rig.dialogs.texts().first(), QStringLiteral("Do you want to abort the download?"));
    QCOMPARE(logWhenAsked, QStringLiteral("      PXU 1: ok"));
    QCOMPARE(r.rig.modules.module(1).section(6).image, image);
    QCOMPARE(r.rig.modules.module(2).section(6).image == image, !yes);
    const QStringList log = r.log();
    if (yes) {
        // Module 2, sent nothing, gets its application back; the loaded ones stay in their
        // bootloader.
        QCOMPARE(log.mid(log.size() - 3), (QStringList{"Abort of the download!",
                                                       "   Start application", "      PXU 2: ok"}));
        QCOMPARE(r.window.progress(), 0.0);
        QCOMPARE(r.rig.modules.module(0).mode(), sim::Mode::Bootloader);
        QCOMPARE(r.rig.modules.module(1).mode(), sim::Mode::Bootloader);
        QCOMPARE(r.rig.modules.module(2).mode(), sim::Mode::Application);
        QCOMPARE(r.rig.dialogs.texts().size(), 1);
    } else {
        QVERIFY(log.contains(QStringLiteral("      PXU 2: ok")));
        QVERIFY(isClosingLine(log.last()));
        QCOMPARE(r.rig.modules.module(2).mode(), sim::Mode::Application);
    }
    QVERIFY(!r.window.lock().operationMode());
    QVERIFY(!r.window.g_abortRequested());
}

void DownloadTest::mBusSpareAloneTakesTheDirectPath() {
    DownloadRig r(sim::BusKind::MBus, QStringLiteral("PXU"), 2);
    r.forceFpga(false);
    const QByteArray application = newImage(10000, 7);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), application, 0x30000);
    QVERIFY(r.ready(2, 0, 0, {sectionBoxAppl}));

    r.window.cmdDownload_Click();

    // The question about the cylinders left out, answered Yes.
    QCOMPARE(r.rig.dialogs.windows().first().text, g_getUserMessage(4));
    const QStringList log = r.log();
    for (const QString& line : log)
        QVERIFY2(!line.startsWith(QStringLiteral("M-Bus download:")), qPrintable(line));
    QCOMPARE(r.rig.modules.module(0).section(6).image, application);
    QVERIFY(r.rig.modules.module(1).section(6).image != application);
    for (int m = 0; m <= 2; ++m)
        QCOMPARE(r.rig.modules.module(m).mode(), sim::Mode::Application);
    QVERIFY(r.window.m_moduleUpdated[0]);
    QVERIFY(!r.window.m_moduleUpdated[1]);
    QVERIFY(isClosingLine(log.last()));
}

void DownloadTest::oldInterfaceLeavesTheRestartToTheUser_data() {
    QTest::addColumn<bool>("mBus");
    QTest::newRow("S-Bus: loaded, restarted by hand") << false;
    QTest::newRow("M-Bus: no download through the spare") << true;
}

void DownloadTest::oldInterfaceLeavesTheRestartToTheUser() {
    QFETCH(bool, mBus);
    DownloadRig r(mBus ? sim::BusKind::MBus : sim::BusKind::SBus, QStringLiteral("PXU"), 1);
    r.forceFpga(false);
    const QByteArray image = newImage(10000, 18);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), image, 0x30000);
    QVERIFY(r.ready(1, 0, 1, {sectionBoxAppl}));
    g_canInterfaceVersion = QStringLiteral("1.0");

    r.window.cmdDownload_Click();

    const QList<BoxRequest>& boxes = r.rig.dialogs.shown();
    QVERIFY(!boxes.isEmpty());
    const QStringList log = r.log();
    if (mBus) {
        QCOMPARE(boxes.last().text, g_getUserMessage(5));
        QCOMPARE(boxes.last().title, QStringLiteral("Error"));
        QCOMPARE(log.mid(1), QStringList{"Programming PXU's"});
        for (int m = 0; m <= 1; ++m) {
            QVERIFY(r.rig.modules.module(m).section(6).image != image);
            QCOMPARE(r.rig.modules.module(m).mode(), sim::Mode::Application);
        }
    } else {
        QCOMPARE(boxes.last().text,
                 QStringLiteral("Please restart application manually by exiting\rloader and "
                                "resetting power (off-on) of all PXU-20 modules."));
        QCOMPARE(boxes.last().title, QStringLiteral("Start Application"));
        QCOMPARE(boxes.last().buttons, BoxButtons::Ok);
        QVERIFY(isClosingLine(log.last()));
        for (int m = 0; m <= 1; ++m) {
            QCOMPARE(r.rig.modules.module(m).section(6).image, image);
            QCOMPARE(r.rig.modules.module(m).mode(), sim::Mode::Bootloader);
        }
    }
    QVERIFY(!r.rig.dialogs.texts().contains(QStringLiteral("Restart application?")));
    QVERIFY(!r.window.lock().operationMode());
}

QTEST_MAIN(DownloadTest)
#include "download_test.moc"
