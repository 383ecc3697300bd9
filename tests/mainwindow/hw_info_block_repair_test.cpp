// The hardware-info-block repair against the simulator: a module's block read, checked,
// rebuilt from its template, written and read back; the module's mode looked after.
#include "mainwindow/form_widgets.h"
#include "mainwindow/hw_info_block_fields.h"
#include "mainwindow/hw_info_block_repair.h"
#include "mainwindow/hw_info_block_repair_form.h"
#include "platform/clock/clock_timer.h"
#include "support/losable_channel.h"
#include "support/screenshot.h"
#include "tools_rig.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

constexpr int kLightGreen = 0x80FF80;
constexpr int kLightRed = 0x8080FF;
const QString kFailed = QStringLiteral("   InfoBlock repair failed!");

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The repair window beside a main window and the S-Bus; the working folder and the
// template folder beside it in a folder of their own.
struct RepairRig : ToolsRig {
    RepairRig() {
        g_workDir = m_root.filePath(QStringLiteral("work"));
        QDir().mkpath(g_workDir);
    }

    QString templates() const { return m_root.filePath(QStringLiteral("PXU_Templates")); }
    // A template as the modules' blocks are made, with a pattern in its spare bytes.
    QByteArray addTemplate(const QString& version) {
        sim::HardwareInfo info;
        info.hardwareVersion = quint32(version.toInt());
        info.week = info.year = "00";
        info.serial = 0;
        QByteArray bytes = sim::makeHardwareInfoBlock(info);
        for (int i = 32; i < 300; ++i)
            bytes[i] = char(i * 13 + version.toInt());
        writeFile(
            QDir(templates())
                .filePath(QStringLiteral("HWInfoBlockVersion") + version + QStringLiteral(".bin")),
            bytes);
        return bytes;
    }
    void setHardware(int module, quint32 version, quint32 serial) {
        sim::HardwareInfo info;
        info.hardwareVersion = version;
        info.serial = serial;
        this->module(module).setSection(1, sim::makeHardwareInfoBlock(info), {});
    }
    QByteArray storedBlock(int module) { return this->module(module).section(1).infoBlock; }

    HwInfoBlockRepair& repair() { return frmHWInfoBlockRepair(); }
    // Shows the window and chooses the module.
    void choose(int module) {
        if (!repair().loaded())
            repair().g_show();
        repair().cmbModuleNum_GotFocus();
        repair().cmbModuleNum_Click(
            int(repair().view().moduleItems.indexOf(QString::number(module))));
    }
    QStringList boxes() const { return bus.dialogs.texts(); }
    void setInputs(const QString& serial, const QString& week, const QString& year) {
        repair().setSerial(serial);
        repair().setWeek(week);
        repair().setYear(year);
    }

private:
    QTemporaryDir m_root;
};

// The serial box as it is drawn: its back colour, and the contrast of its text on it.
struct SerialLook {
    QColor back;
    double contrast;
};
SerialLook serialLook(const HwInfoBlockRepairForm& form) {
    const QLineEdit& box = *form.txtHWSerial;
    const QPalette::ColorGroup group = box.isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QColor back = box.palette().color(group, QPalette::Base);
    return {back, contrastRatio(box.palette().color(group, QPalette::Text), back)};
}
// What readability guidelines ask of normal text.
constexpr double kReadable = 4.5;

std::array<bool, int(RepairControl::count)> allEnabled() {
    std::array<bool, int(RepairControl::count)> all{};
    all.fill(true);
    return all;
}

std::array<bool, int(RepairControl::count)> onlyModuleAndExit() {
    std::array<bool, int(RepairControl::count)> some{};
    some[int(RepairControl::cmbModuleNum)] = true;
    some[int(RepairControl::cmdExit)] = true;
    return some;
}

} // namespace

class HwInfoBlockRepairTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void showListsTheTemplatesBesideTheWorkingFolder();
    void withoutTemplatesOnlyTheError();
    void repairIsWrittenAndReadBack();
    void stuckStatusEndsTheWaitAfterFifteenSeconds_data();
    void stuckStatusEndsTheWaitAfterFifteenSeconds();
    void lostChannelStopsTheRepair_data();
    void lostChannelStopsTheRepair();
    void oldBootloaderRefusesTheRepair_data();
    void oldBootloaderRefusesTheRepair();
    void inputChecks_data();
    void inputChecks();
    void versionWithoutTemplateIsListedAndRefused();
    void blockWithoutSerialSkipsTheQuestionAndCanBeSaved();
    void modulesGoBackWhenAnotherIsChosenOrTheWindowCloses();
    void moduleListIsMadeAnewWhenTheBoxIsEntered();
    void shutDownStartsTheHeldModuleBeforeTheLogOff();
};

void HwInfoBlockRepairTest::showListsTheTemplatesBesideTheWorkingFolder() {
    RepairRig rig;
    for (const char* v : {"10", "07", "03"})
        rig.addTemplate(QString::fromLatin1(v));
    writeFile(QDir(rig.templates()).filePath(QStringLiteral("HWInfoBlockVersion05.txt")), "x");
    writeFile(QDir(g_workDir).filePath(QStringLiteral("PXU_Templates/HWInfoBlockVersion99.bin")),
              QByteArray(312, '\0'));
    g_workDir += QLatin1Char('/');
    QVERIFY(rig.connect({0, 3}));

    rig.repair().g_show();
    const HwInfoBlockRepairView& view = rig.repair().view();
    QVERIFY(rig.repair().loaded());
    QCOMPARE(QDir(rig.repair().templateDir()), QDir(rig.templates()));
    QCOMPARE(view.versionItems, (QStringList{"---", "03", "07", "10"}));
    QCOMPARE(view.moduleItems, (QStringList{"---", "0", "3"}));
    QCOMPARE(view.moduleIndex, -1);
    QCOMPARE(view.enabled, onlyModuleAndExit());
    QVERIFY(!view.createFileVisible);
    QVERIFY(rig.boxes().isEmpty());
    QVERIFY(rig.repair().form() && rig.repair().form()->isVisible());
    QCOMPARE(rig.repair().form()->windowTitle(), QStringLiteral("Repair HW InfoBlock"));
}

void HwInfoBlockRepairTest::withoutTemplatesOnlyTheError() {
    RepairRig rig;
    writeFile(QDir(g_workDir).filePath(QStringLiteral("PXU_Templates/HWInfoBlockVersion07.bin")),
              QByteArray(312, '\0'));
    rig.window.mnuRepairHWInfoBlock_Click();
    QCOMPARE(rig.boxes(), QStringList{"Error: No HW info block data files available."});
    QCOMPARE(rig.bus.dialogs.shown().first().title, QStringLiteral("ERROR"));
    QVERIFY(!rig.repair().loaded());
    QVERIFY(!rig.repair().form());
}

void HwInfoBlockRepairTest::repairIsWrittenAndReadBack() {
    RepairRig rig;
    const QByteArray templateBlock = rig.addTemplate(QStringLiteral("07"));
    rig.addTemplate(QStringLiteral("03"));
    rig.module(3).config().hardwareBlockProgrammingUs = 300'000;
    QVERIFY(rig.connect({3}));
    // A red lamp from an earlier download does not keep the module in its bootloader.
    rig.window.setLamp(3, true, kColourRed);

    rig.choose(3);
    const HwInfoBlockRepairView& view = rig.repair().view();
    QCOMPARE(rig.state(3), int(moduleBootloaderRunning));
    QCOMPARE(view.serial, QStringLiteral("1003"));
    QCOMPARE(view.week, QStringLiteral("05"));
    QCOMPARE(view.year, QStringLiteral("2026"));
    QCOMPARE(view.versionItems.value(view.versionIndex), QStringLiteral("07"));
    QCOMPARE(view.enabled, allEnabled());
    QCOMPARE(view.serialColour, 0xFFFFFF);
    QVERIFY(!rig.window.lock().operationMode());
    QVERIFY(!saveScreenshot(*rig.repair().form(), QStringLiteral("hw_info_block_repair_read"))
                 .isEmpty());

    rig.setInputs(QStringLiteral("4711"), QStringLiteral("5"), QStringLiteral("2010"));
    rig.bus.dialogs.answer(BoxAnswer::Ok);
    const qsizetype logFrom = rig.window.messages().count();
    rig.repair().cmdDownload_Click();

    QCOMPARE(rig.boxes(), QStringList{"Do you want do download the info block?"});
    QCOMPARE(rig.bus.dialogs.shown().first().buttons, BoxButtons::OkCancel);
    QCOMPARE(rig.bus.dialogs.shown().first().defaultButton, 1);
    const QByteArray stored = rig.storedBlock(3);
    QVERIFY(sim::infoBlockChecksumValid(stored));
    QCOMPARE(sim::readBe32(stored, 12), 7u);
    QCOMPARE(stored.mid(16, 4), QByteArray("0510"));
    QCOMPARE(sim::readBe32(stored, 20), 4711u);
    QCOMPARE(stored.left(12), templateBlock.left(12));
    QCOMPARE(stored.mid(24, 284), templateBlock.mid(24, 284));
    QCOMPARE(view.week, QStringLiteral("05"));
    QCOMPARE(view.serialColour, kLightGreen);
    std::array<bool, int(RepairControl::count)> exitOnly{};
    exitOnly[int(RepairControl::cmdExit)] = true;
    QCOMPARE(view.enabled, exitOnly);
    const QStringList log = rig.window.messages().lines().mid(logFrom);
    QCOMPARE(log.size(), 8);
    QVERIFY(log[0].startsWith(QString(82, QLatin1Char('-')) + QLatin1Char(' ')));
    QCOMPARE(log.mid(1, 6), (QStringList{"   Repairing Infoblock of PXU 3", "   Start bootloader",
                                         "      All selected modules are already in bootloader",
                                         "   Start application", "      PXU 3: ok",
                                         "   InfoBlock repaired successfully!"}));
    QVERIFY(log[7].startsWith(QString(82, QLatin1Char('-')) + QLatin1Char(' ')));
    QCOMPARE(rig.state(3), int(moduleApplicationRunning));
    QVERIFY(!rig.window.lock().operationMode());
    // The disabled box keeps the green of the success, its number readable on it.
    QVERIFY(!rig.repair().form()->txtHWSerial->isEnabled());
    const SerialLook done = serialLook(*rig.repair().form());
    QCOMPARE(done.back, QColor(0x80, 0xFF, 0x80));
    QVERIFY2(done.contrast >= kReadable, qPrintable(QString::number(done.contrast)));
    QVERIFY(!saveScreenshot(*rig.repair().form(), QStringLiteral("hw_info_block_repair_done"))
                 .isEmpty());

    // Read back through a fresh window.
    rig.repair().cmdExit_Click();
    rig.choose(3);
    QCOMPARE(rig.repair().infoBlock(), stored);
    QCOMPARE(view.serial, QStringLiteral("4711"));
    QCOMPARE(view.week, QStringLiteral("05"));
    QCOMPARE(view.year, QStringLiteral("2010"));
    rig.repair().cmdExit_Click();
    QCOMPARE(rig.state(3), int(moduleApplicationRunning));
}

void HwInfoBlockRepairTest::stuckStatusEndsTheWaitAfterFifteenSeconds_data() {
    QTest::addColumn<bool>("tryAgain");
    QTest::newRow("then Exit") << false;
    QTest::newRow("then a try that succeeds") << true;
}

void HwInfoBlockRepairTest::stuckStatusEndsTheWaitAfterFifteenSeconds() {
    QFETCH(bool, tryAgain);
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    rig.module(3).config().hardwareBlockProgrammingUs = 100'000;
    rig.module(3).faults().statusStuck = true;
    QVERIFY(rig.connect({3}));
    rig.choose(3);
    rig.setInputs(QStringLiteral("4711"), QStringLiteral("10"), QStringLiteral("2010"));
    rig.bus.dialogs.answer(BoxAnswer::Ok);

    // Meanwhile the window's timers run and the main window stays locked.
    int ticks = 0;
    ClockTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &ClockTimer::timeout, [&] { ++ticks; });
    timer.start();
    std::optional<int> lockDuringWait;
    rig.bus.time.callAfter(8'000'000, [&] { lockDuringWait = rig.window.lock().operationMode(); });
    const qint64 start = rig.bus.time.nowMs();
    rig.repair().cmdDownload_Click();
    const qint64 waited = rig.bus.time.nowMs() - start;

    QVERIFY2(waited >= 15000 && waited < 16000, qPrintable(QString::number(waited)));
    QCOMPARE(lockDuringWait, std::optional<int>(lockModuleOverview));
    QVERIFY(ticks > 100);
    QCOMPARE(rig.boxes(), (QStringList{"Do you want do download the info block?",
                                       "Info block download failed: Loading Status Failure."}));
    QVERIFY(rig.window.messages().lines().contains(kFailed));
    QCOMPARE(rig.repair().view().serialColour, kLightRed);
    QCOMPARE(rig.repair().view().enabled, allEnabled());
    const SerialLook failed = serialLook(*rig.repair().form());
    QCOMPARE(failed.back, QColor(0xFF, 0x80, 0x80));
    QVERIFY2(failed.contrast >= kReadable, qPrintable(QString::number(failed.contrast)));
    QVERIFY(!rig.window.lock().operationMode());
    if (tryAgain) {
        // Without choosing the module anew: it ran its application and its block is sound.
        rig.module(3).faults().statusStuck = false;
        rig.bus.dialogs.answer(BoxAnswer::Ok);
        rig.repair().cmdDownload_Click();
        QCOMPARE(rig.repair().view().serialColour, kLightGreen);
        QVERIFY(sim::infoBlockChecksumValid(rig.storedBlock(3)));
        QCOMPARE(rig.state(3), int(moduleApplicationRunning));
        return;
    }
    // A block that may be broken keeps its module in the bootloader, even after Exit.
    rig.repair().cmdExit_Click();
    rig.bus.time.runFor(1000);
    QCOMPARE(rig.state(3), int(moduleBootloaderRunning));
}

void HwInfoBlockRepairTest::lostChannelStopsTheRepair_data() {
    QTest::addColumn<bool>("afterTheWrite");
    QTest::newRow("before the repair") << false;
    QTest::newRow("as the block is programmed") << true;
}

// Nothing a lost channel did not read is taken for the module's answer: no wrong version,
// no loading status, no wait.
void HwInfoBlockRepairTest::lostChannelStopsTheRepair() {
    QFETCH(bool, afterTheWrite);
    const QString lost = QStringLiteral("CAN channel in-process bus was lost");
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    rig.module(3).config().hardwareBlockProgrammingUs = 300'000;
    LosableChannel channel(rig.bus.bus);
    channel.install();
    QVERIFY(rig.connect({3}));
    rig.choose(3);
    rig.setInputs(QStringLiteral("4711"), QStringLiteral("5"), QStringLiteral("2010"));
    rig.bus.dialogs.answer(BoxAnswer::Ok);
    if (afterTheWrite) {
        // The first loading status asked (an upload, expedited or block) after the block
        // went out.
        rig.bus.bus.attach([&](const can::CanFrame& f) {
            const int ccs = f.data[0] >> 5;
            if ((f.id & 0xF80) == 0x600 && (ccs == 2 || ccs == 5) && f.data[1] == 0xFF &&
                f.data[2] == 0x5F && !channel.lost())
                channel.lose();
        });
    } else {
        channel.lose();
    }
    const qsizetype logFrom = rig.window.messages().count();
    const qint64 start = rig.bus.time.nowMs();

    rig.repair().cmdDownload_Click();

    QVERIFY(channel.lost());
    QVERIFY2(rig.bus.time.nowMs() - start < 1000,
             qPrintable(QString::number(rig.bus.time.nowMs() - start)));
    QStringList boxes = rig.boxes();
    boxes.removeAll(QStringLiteral("Do you want do download the info block?"));
    QVERIFY2(boxes.size() <= 1 && (boxes.isEmpty() || boxes.first().endsWith(lost)),
             qPrintable(boxes.join(u'|')));
    const QStringList log = rig.window.messages().lines().mid(logFrom);
    QVERIFY2(log.contains(QStringLiteral("   Repair stopped: ") + lost + u'.'),
             qPrintable(log.join(u'\n')));
    QVERIFY(log.contains(kFailed));
    QCOMPARE(rig.repair().view().serialColour, kLightRed);
}

void HwInfoBlockRepairTest::oldBootloaderRefusesTheRepair_data() {
    QTest::addColumn<QByteArray>("version");
    QTest::newRow("3.09") << QByteArray("3.09");
    QTest::newRow("unreadable") << QByteArray("v3");
}

void HwInfoBlockRepairTest::oldBootloaderRefusesTheRepair() {
    QFETCH(QByteArray, version);
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    rig.module(3).config().bootloaderVersion = version;
    QVERIFY(rig.connect({3}));
    rig.choose(3);
    const QByteArray before = rig.storedBlock(3);
    rig.setInputs(QStringLiteral("---"), QStringLiteral("0"), QStringLiteral("1980"));
    rig.repair().cmdDownload_Click();

    QCOMPARE(rig.boxes(), QStringList{"Wrong Bootloader version detected. Bootloader version for "
                                      "HW Infoblock repair has to be 3.10 or above!"});
    QCOMPARE(rig.storedBlock(3), before);
    QVERIFY(rig.window.messages().lines().contains(kFailed));
    QCOMPARE(rig.repair().view().serialColour, kLightRed);
    // Nothing was written: closing the window starts the application again.
    rig.repair().cmdExit_Click();
    QCOMPARE(rig.state(3), int(moduleApplicationRunning));
    QVERIFY(!rig.repair().loaded());
}

void HwInfoBlockRepairTest::inputChecks_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("week");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QStringList>("boxes");
    const QString noVersion = QStringLiteral("Please Select the HW version.");
    const QString noTemplate = QStringLiteral(
        "Info block template file for the selected hardware version does not exist.");
    const QString noSerial = QStringLiteral("Please enter a HW Serial number.");
    const QString noDate = QStringLiteral("Please enter a valid production date.");
    QTest::newRow("no version") << "---"
                                << "1"
                                << "10"
                                << "2010" << QStringList{noVersion, noTemplate};
    QTest::newRow("empty serial and invalid date") << "07"
                                                   << ""
                                                   << "53"
                                                   << "2010" << QStringList{noSerial, noDate};
    QTest::newRow("serial of the reset text") << "07"
                                              << "---"
                                              << "10"
                                              << "2010" << QStringList{noSerial};
    QTest::newRow("serial beyond four bytes") << "07"
                                              << "4294967296"
                                              << "10"
                                              << "2010" << QStringList{noSerial};
    QTest::newRow("week 0") << "07"
                            << "1"
                            << "0"
                            << "2010" << QStringList{noDate};
    QTest::newRow("year 1979") << "07"
                               << "1"
                               << "10"
                               << "1979" << QStringList{noDate};
    QTest::newRow("year 2080") << "07"
                               << "1"
                               << "10"
                               << "2080" << QStringList{noDate};
    QTest::newRow("week with letters") << "07"
                                       << "1"
                                       << "5x"
                                       << "2010" << QStringList{noDate};
    QTest::newRow("year with letters") << "07"
                                       << "1"
                                       << "10"
                                       << "2010x" << QStringList{noDate};
    QTest::newRow("week 52 of 2079, then Cancel")
        << "07"
        << "1"
        << "52"
        << "2079" << QStringList{"Do you want do download the info block?"};
}

void HwInfoBlockRepairTest::inputChecks() {
    QFETCH(QString, version);
    QFETCH(QString, serial);
    QFETCH(QString, week);
    QFETCH(QString, year);
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    QVERIFY(rig.connect({3}));
    rig.choose(3);
    const QByteArray before = rig.storedBlock(3);
    rig.repair().setVersionIndex(int(rig.repair().view().versionItems.indexOf(version)));
    rig.setInputs(serial, week, year);
    rig.repair().cmdDownload_Click();

    QTEST(rig.boxes(), "boxes");
    QCOMPARE(rig.storedBlock(3), before);
    QVERIFY(rig.window.messages().lines().contains(kFailed));
    QCOMPARE(rig.repair().view().enabled, allEnabled());
    QCOMPARE(rig.state(3), int(moduleBootloaderRunning));
}

void HwInfoBlockRepairTest::versionWithoutTemplateIsListedAndRefused() {
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    rig.setHardware(3, 9, 1003);
    QVERIFY(rig.connect({3}));
    rig.choose(3);
    const HwInfoBlockRepairView& view = rig.repair().view();
    QCOMPARE(view.versionItems, (QStringList{"---", "07", "09"}));
    QCOMPARE(view.versionIndex, 2);
    rig.repair().cmdDownload_Click();
    QCOMPARE(rig.boxes(), QStringList{"Info block template file for the selected hardware "
                                      "version does not exist."});
}

void HwInfoBlockRepairTest::blockWithoutSerialSkipsTheQuestionAndCanBeSaved() {
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    rig.setHardware(3, 7, 0xFFFFFFFF);
    g_developMode = true;
    QVERIFY(rig.connect({3}));
    rig.choose(3);
    QVERIFY(rig.repair().view().createFileVisible);
    QCOMPARE(rig.repair().view().serial, QStringLiteral("-1"));

    rig.repair().cmdCreateFile_Click();
    const QString saved = QDir(rig.templates()).filePath(QStringLiteral("UploadedHWInfoBlock.bin"));
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), rig.storedBlock(3));
    QCOMPARE(rig.boxes(), QStringList{QStringLiteral("Uploaded Data Have been saved to file: ") +
                                      QDir::toNativeSeparators(saved)});

    rig.bus.dialogs.clear();
    rig.repair().setSerial(QStringLiteral("1234"));
    rig.repair().cmdDownload_Click();
    QVERIFY(rig.boxes().isEmpty());
    QCOMPARE(sim::readBe32(rig.storedBlock(3), 20), 1234u);
    QCOMPARE(rig.repair().view().serialColour, kLightGreen);
}

void HwInfoBlockRepairTest::modulesGoBackWhenAnotherIsChosenOrTheWindowCloses() {
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    rig.module(5).setMode(sim::Mode::Bootloader);
    QVERIFY(rig.connect({2, 3}));
    QVERIFY(
        rig.bus.time.runUntil([] { return ToolsRig::state(5) == moduleBootloaderRunning; }, 3000));

    rig.choose(2);
    QCOMPARE(rig.state(2), int(moduleBootloaderRunning));
    rig.choose(2); // the same module again: still the window's to restart
    rig.choose(3);
    QCOMPARE(rig.state(2), int(moduleApplicationRunning));
    QCOMPARE(rig.state(3), int(moduleBootloaderRunning));
    rig.choose(5);
    QCOMPARE(rig.state(3), int(moduleApplicationRunning));
    rig.repair().cmdExit_Click();
    QCOMPARE(rig.state(5), int(moduleBootloaderRunning));
    QCOMPARE(rig.state(2), int(moduleApplicationRunning));

    // Closing the window's frame does the same as Exit.
    rig.choose(3);
    QCOMPARE(rig.state(3), int(moduleBootloaderRunning));
    QVERIFY(rig.repair().form()->close());
    QCOMPARE(rig.state(3), int(moduleApplicationRunning));
    QVERIFY(!rig.repair().loaded());
    QVERIFY(!rig.window.lock().operationMode());
}

void HwInfoBlockRepairTest::moduleListIsMadeAnewWhenTheBoxIsEntered() {
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    QVERIFY(rig.connect({3}));
    rig.repair().g_show();
    QComboBox* box = rig.repair().form()->cmbModuleNum;
    QCOMPARE(rig.repair().view().moduleItems, (QStringList{"---", "3"}));
    rig.module(5).setMode(sim::Mode::Application);
    QVERIFY(rig.bus.time.runUntil([] { return ToolsRig::state(5) != moduleNotConnected; }, 3000));

    // The box's own list handing the focus back is no entry: the list stays as the user
    // saw it when choosing from it.
    QFocusEvent fromList(QEvent::FocusIn, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(box, &fromList);
    QCOMPARE(rig.repair().view().moduleItems, (QStringList{"---", "3"}));
    QFocusEvent entered(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(box, &entered);
    QCOMPARE(rig.repair().view().moduleItems, (QStringList{"---", "3", "5"}));
    QCOMPARE(box->count(), 3);
    rig.repair().cmdExit_Click();
}

void HwInfoBlockRepairTest::shutDownStartsTheHeldModuleBeforeTheLogOff() {
    RepairRig rig;
    rig.addTemplate(QStringLiteral("07"));
    rig.module(5).setMode(sim::Mode::Bootloader);
    QVERIFY(rig.connect({3}));
    QVERIFY(
        rig.bus.time.runUntil([] { return ToolsRig::state(5) == moduleBootloaderRunning; }, 3000));
    rig.choose(5);
    rig.choose(3);
    QCOMPARE(rig.module(3).mode(), sim::Mode::Bootloader);
    rig.window.mnuExit_Click();

    // Started again while the bus was still open.
    QVERIFY(rig.window.programEnded());
    QVERIFY(!rig.repair().loaded());
    QCOMPARE(rig.module(3).mode(), sim::Mode::Application);
    // A module found in its bootloader is left there.
    QCOMPARE(rig.module(5).mode(), sim::Mode::Bootloader);
    QVERIFY(!rig.window.lock().operationMode());
}

QTEST_MAIN(HwInfoBlockRepairTest)
#include "hw_info_block_repair_test.moc"
