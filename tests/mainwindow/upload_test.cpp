// "Upload From Spare" of the PXU type's full loader against the simulated spare module: the
// sections into S-record files, CRC checks, the result file's question, the refusals and
// the answers that end an upload.
#include "core/new_file.h"
#include "core/srecord_file.h"
#include "download_rig.h"
#include "sim/checksums.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <cerrno>
#include <optional>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kUploadFinished = QStringLiteral("   Upload finished ");

// A section's info block claiming another code checksum than the code has.
QByteArray withChecksum(const QByteArray& block, quint32 checksum) {
    QByteArray changed = block;
    sim::writeBe32(changed, 36, checksum);
    sim::sealInfoBlock(changed);
    return changed;
}

QByteArray withStartAndLength(const QByteArray& block, quint32 start, quint32 length) {
    QByteArray changed = block;
    sim::writeBe32(changed, 28, start);
    sim::writeBe32(changed, 32, length);
    sim::sealInfoBlock(changed);
    return changed;
}

// The full loader with the spare and two cylinders (or up to lastModule).
struct UploadRig {
    explicit UploadRig(sim::BusKind kind = sim::BusKind::SBus, int lastModule = 2)
        : r(kind, QStringLiteral("PXU"), lastModule) {
        r.forceFpga(false);
        r.window.g_checkFileExist(g_moduleType, true);
    }
    bool start() {
        if (!r.connect(r.rig.modules.kind() == sim::BusKind::MBus ? 0 : 2))
            return false;
        r.window.messages().clear();
        return true;
    }
    sim::Module& spare() { return r.rig.modules.module(0); }
    QString uploaded(const QString& name) const { return r.workspace.path("Upload/" + name); }
    // The file's image and start address; empty when it cannot be read.
    static QPair<QByteArray, qint32> read(const QString& file) {
        QByteArray image;
        qint32 start = -1;
        g_sRecToBin(file, image, start);
        return {image, start};
    }
    QList<sim::Mode> modes(int last) {
        QList<sim::Mode> out;
        for (int m = 0; m <= last; ++m)
            out << r.rig.modules.module(m).mode();
        return out;
    }
    // The SDO uploads the tool asked the spare's bootloader for: index and sub-index.
    QList<QPair<int, int>> reads(quint8 node) const {
        QList<QPair<int, int>> out;
        for (const BusRig::Heard& h : r.rig.heard) {
            const can::CanFrame& f = h.frame;
            const bool initiate = (f.data[0] & 0xE0) == 0x40 || (f.data[0] & 0xE3) == 0xA0;
            if (f.id == 0x600u + node && initiate)
                out << qMakePair(int(f.data[1] | f.data[2] << 8), int(f.data[3]));
        }
        return out;
    }

    DownloadRig r;
};

} // namespace

class UploadTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void applicationAndDataContainerBecomeS28Files();
    void crcMismatch_data();
    void crcMismatch();
    void earlierFailedSectionEndsRed();
    void existingFileAnsweredCancelIsNeitherReadNorWritten_data();
    void existingFileAnsweredCancelIsNeitherReadNorWritten();
    void fullDiskKeepsTheEarlierFileAndIsToldInOneBox();
    void implausibleInfoBlockIsRefused_data();
    void implausibleInfoBlockIsRefused();
    void wrongAmountOfDataFails_data();
    void wrongAmountOfDataFails();
    void emptySectionBecomesAnEmptyFile();
    void abortFailsEveryRemainingSection();
    void noSectionOrNoSpareChangesNothing();
    void spareInBootloaderOnTheMBusAsksFirst_data();
    void spareInBootloaderOnTheMBusAsksFirst();
    void mBusCylindersGetTheirApplicationBackThroughTheSpare();
    void failedBootloaderStartGivesTheSwitchedModulesTheirApplicationBack();
};

void UploadTest::applicationAndDataContainerBecomeS28Files() {
    UploadRig u;
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxAppl);
    u.r.tickSection(sectionBoxDC);
    const qint64 startMs = u.r.rig.time.nowMs();

    u.r.window.mnuUploadFromSpare_Click();

    const auto application = u.read(u.uploaded("PXU_APPL.S19"));
    QCOMPARE(application.first, u.spare().section(6).image);
    QCOMPARE(application.second, 0x30000);
    const auto container = u.read(u.uploaded("PXU_DATA.S19"));
    QCOMPARE(container.first, u.spare().section(4).image);
    QCOMPARE(container.second, 0xC0000);
    QFile file(u.uploaded("PXU_DATA.S19"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("\nS2") && text.contains("\nS8"));

    const QStringList log = u.r.log();
    QCOMPARE(log.mid(0, 6),
             (QStringList{"Starting Upload of Data from Spare Module",
                          "   Starting bootloader on all modules.", "   Start bootloader",
                          "      PXU 0: ok", "      PXU 1: ok", "      PXU 2: ok"}));
    QCOMPARE(log.mid(6, 4), (QStringList{"    Uploading Application", "    Uploading DataCont.",
                                         kUploadFinished, "   Start application"}));
    QVERIFY(log.last().startsWith(QString(82, u'-')));
    QVERIFY(u.r.window.row(0).lampVisible);
    QVERIFY(u.r.window.g_downloadStatusOk(0));
    for (int m = 0; m <= 2; ++m)
        QCOMPARE(u.r.rig.modules.module(m).mode(), sim::Mode::Application);
    QCOMPARE(u.r.window.selection().program(0).value, int(ticked));
    QCOMPARE(u.r.window.selection().program(1).value, int(unticked));
    // Every box of the array costs its 2 s, ticked or not.
    QVERIFY(u.r.rig.time.nowMs() - startMs >= 5 * 2000);
    QVERIFY(!u.r.window.lock().operationMode());
    QVERIFY(u.r.window.lock().enabled(Control::mnuUploadFromSpare));
}

void UploadTest::crcMismatch_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("kept");
    QTest::newRow("data container kept") << int(sectionBoxDC) << int(WindowAnswer::Yes) << true;
    QTest::newRow("data container discarded")
        << int(sectionBoxDC) << int(WindowAnswer::No) << false;
    QTest::newRow("application") << int(sectionBoxAppl) << int(WindowAnswer::None) << false;
}

void UploadTest::crcMismatch() {
    QFETCH(int, box);
    QFETCH(int, answer);
    QFETCH(bool, kept);
    UploadRig u;
    const int section = box == sectionBoxDC ? 4 : 6;
    const sim::StoredSection stored = u.spare().section(section);
    u.spare().setSection(section, withChecksum(stored.infoBlock, 0x8000ABCD), stored.image);
    QVERIFY(u.start());
    u.r.tickSection(box);
    u.r.rig.dialogs.answerWindow(WindowAnswer::Yes); // the bootloader start's question
    if (answer != int(WindowAnswer::None))
        u.r.rig.dialogs.answerWindow(WindowAnswer(answer));
    const QString name = box == sectionBoxDC ? "PXU_DATA.S19" : "PXU_APPL.S19";
    const QString caption = box == sectionBoxDC ? "DataCont." : "Application";

    u.r.window.mnuUploadFromSpare_Click();

    const QStringList log = u.r.log();
    const QString crcLine =
        QStringLiteral("Upload CRC check failed.  Uploaded: %1 Infoblock: 8000ABCD")
            .arg(QString::number(sim::crc32(stored.image), 16).toUpper());
    QVERIFY2(log.contains(crcLine), qPrintable(log.join(u'\n')));
    // The start of the bootloader asks first, in every case.
    const QList<MessageWindowRequest>& windows = u.r.rig.dialogs.windows();
    QCOMPARE(windows.size(), box == sectionBoxDC ? 2 : 1);
    if (box == sectionBoxDC) {
        QCOMPARE(windows.last().title, QStringLiteral("Upload CRC Warning"));
        QCOMPARE(windows.last().yesCaption, QStringLiteral("Keep Data"));
        QCOMPARE(windows.last().noCaption, QStringLiteral("Discard Data"));
        QVERIFY(windows.last().text.startsWith(
            QStringLiteral("The CRC check of the uploaded Data Container has failed. ")));
    }
    QCOMPARE(QFile::exists(u.uploaded(name)), kept);
    if (kept)
        QCOMPARE(u.read(u.uploaded(name)).first, stored.image);
    QCOMPARE(u.r.window.g_downloadStatusOk(0), kept);
    QVERIFY(u.r.window.row(0).lampVisible);
    QCOMPARE(log.contains(kUploadFinished), kept);
    QCOMPARE(log.contains("   Upload of " + caption + " has failed "), !kept);
}

void UploadTest::earlierFailedSectionEndsRed() {
    UploadRig u;
    const sim::StoredSection application = u.spare().section(6);
    u.spare().setSection(6, withChecksum(application.infoBlock, 1), application.image);
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxAppl);
    u.r.tickSection(sectionBoxDC);

    u.r.window.mnuUploadFromSpare_Click();

    const QStringList log = u.r.log();
    QVERIFY(log.contains(QStringLiteral("   Upload of Application has failed ")));
    QVERIFY(QFile::exists(u.uploaded("PXU_DATA.S19")));
    QVERIFY(!QFile::exists(u.uploaded("PXU_APPL.S19")));
    QVERIFY(!log.contains(kUploadFinished));
    QVERIFY(u.r.window.row(0).lampVisible);
    QVERIFY(!u.r.window.g_downloadStatusOk(0));
}

void UploadTest::existingFileAnsweredCancelIsNeitherReadNorWritten_data() {
    QTest::addColumn<bool>("alsoApplication");
    QTest::newRow("beside another section") << true;
    QTest::newRow("the only section") << false;
}

void UploadTest::existingFileAnsweredCancelIsNeitherReadNorWritten() {
    QFETCH(bool, alsoApplication);
    UploadRig u;
    const QString old = u.r.workspace.writeFile("Upload/PXU_DATA.S19", "old\n");
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxDC);
    if (alsoApplication)
        u.r.tickSection(sectionBoxAppl);
    u.r.rig.dialogs.answer(BoxAnswer::Cancel);
    // The question comes first, while every module still runs its application. The modes
    // are taken at the first box, whether or not the bootloader start's question came before.
    std::optional<QList<sim::Mode>> modesAtQuestion;
    for (int i = 0; i < 2; ++i) {
        u.r.rig.dialogs.whileShown([&] {
            if (!modesAtQuestion && u.r.rig.dialogs.shown().size() == 1)
                modesAtQuestion = u.modes(2);
        });
    }
    const qsizetype from = u.r.rig.heard.size();
    const qint64 startMs = u.r.rig.time.nowMs();

    u.r.window.mnuUploadFromSpare_Click();

    QCOMPARE(u.r.rig.dialogs.texts(),
             QStringList{"The result file \r" + old + "\r already exists. Replace it?"});
    QCOMPARE(modesAtQuestion, std::optional(QList<sim::Mode>(3, sim::Mode::Application)));
    QVERIFY(!u.reads(0x70).contains(qMakePair(0x5FFE, 4)));
    QVERIFY(!u.reads(0x70).contains(qMakePair(0x1F50, 4)));
    QFile file(old);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old\n"));
    const QStringList log = u.r.log();
    QVERIFY(!log.contains(QStringLiteral("    Uploading DataCont.")));
    QCOMPARE(u.modes(2), QList<sim::Mode>(3, sim::Mode::Application));
    QVERIFY(u.r.window.lock().enabled(Control::mnuUploadFromSpare));
    if (alsoApplication) {
        QCOMPARE(u.read(u.uploaded("PXU_APPL.S19")).first, u.spare().section(6).image);
        QVERIFY(log.contains(kUploadFinished));
        QVERIFY(u.r.rig.time.nowMs() - startMs >= 5 * 2000);
        return;
    }
    // Nothing left to upload: no module is taken out of its application.
    QCOMPARE(log.mid(0, 2), (QStringList{"Starting Upload of Data from Spare Module",
                                         "  Upload cancelled: every result file is kept."}));
    QVERIFY(log.last().startsWith(QString(82, u'-')));
    QVERIFY(u.r.toolFrames(from).isEmpty());
    QVERIFY(u.r.rig.dialogs.windows().isEmpty());
}

void UploadTest::fullDiskKeepsTheEarlierFileAndIsToldInOneBox() {
    int failures = 0;
    for (int step = 0;; ++step) {
        QVERIFY2(step < 20, "the upload never writes its file whole");
        UploadRig u;
        const QString old = u.r.workspace.writeFile("Upload/PXU_DATA.S19", "old\n");
        QVERIFY(u.start());
        u.r.tickSection(sectionBoxDC);
        u.r.rig.dialogs.answer(BoxAnswer::Ok); // the earlier file is replaced
        injectWriteFailure(step, ENOSPC);
        u.r.window.mnuUploadFromSpare_Click();
        const bool failed = injectedWriteFailureCame();
        clearInjectedWriteFailure();
        const QStringList boxes = u.r.rig.dialogs.texts().mid(1);
        if (!failed) {
            QCOMPARE(boxes, QStringList());
            QCOMPARE(u.read(old).first, u.spare().section(4).image);
            break;
        }
        ++failures;
        const QString told = old + QStringLiteral(" cannot be written: the disk is full.");
        QCOMPARE(boxes, QStringList{told});
        QVERIFY(u.r.log().contains(QStringLiteral("  ") + told));
        QFile file(old);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old\n"));
        QCOMPARE(QDir(u.r.workspace.path("Upload")).entryList(QDir::Files),
                 QStringList{"PXU_DATA.S19"});
    }
    QVERIFY(failures > 0);
}

void UploadTest::implausibleInfoBlockIsRefused_data() {
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<QString>("line");
    QTest::newRow("erased block") << 0xFFFFFFFFu << 0xFFFFFFFFu
                                  << "Upload refused: invalid info block (Code Start 0xFFFFFFFF, "
                                     "Code Length -1).";
    QTest::newRow("negative length") << 0xC0000u << 0x80000000u
                                     << "Upload refused: invalid info block (Code Start 0xC0000, "
                                        "Code Length -2147483648).";
    QTest::newRow("beyond the S2 address range")
        << 0xFFF000u << 0x2000u
        << "Upload refused: invalid info block (Code Start 0xFFF000, Code Length 8192).";
}

void UploadTest::implausibleInfoBlockIsRefused() {
    QFETCH(quint32, start);
    QFETCH(quint32, length);
    QFETCH(QString, line);
    UploadRig u;
    const sim::StoredSection stored = u.spare().section(4);
    u.spare().setSection(4, withStartAndLength(stored.infoBlock, start, length), stored.image);
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxDC);

    u.r.window.mnuUploadFromSpare_Click();

    const QStringList log = u.r.log();
    const qsizetype at = log.indexOf(line);
    QVERIFY2(at > 0, qPrintable(log.join(u'\n')));
    QCOMPARE(log.at(at + 1), QStringLiteral("   Upload of DataCont. has failed "));
    QVERIFY(!u.reads(0x70).contains(qMakePair(0x1F50, 4)));
    QVERIFY(!QFile::exists(u.uploaded("PXU_DATA.S19")));
    QVERIFY(!u.r.window.g_downloadStatusOk(0));
}

void UploadTest::wrongAmountOfDataFails_data() {
    QTest::addColumn<int>("imageBytes");
    QTest::addColumn<int>("claimedBytes");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("no data at all")
        << 0 << 100 << "Upload failed: the module sent no more data." << QStringList{};
    QTest::newRow("more than the info block says")
        << 12000 << 10000 << "   Upload of DataCont. has failed "
        << QStringList{"Length of uploaded data is higher than specified in infoBlock"};
}

void UploadTest::wrongAmountOfDataFails() {
    QFETCH(int, imageBytes);
    QFETCH(int, claimedBytes);
    QFETCH(QString, line);
    QFETCH(QStringList, boxes);
    UploadRig u;
    const QByteArray image = newImage(imageBytes, 16);
    const QByteArray block =
        withStartAndLength(sim::makeInfoBlock(4, {"DC_V0001", 1, "Jan 05 2026", 0xC0000}, image),
                           0xC0000, quint32(claimedBytes));
    u.spare().setSection(4, block, image);
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxDC);

    u.r.window.mnuUploadFromSpare_Click();

    const QStringList log = u.r.log();
    QVERIFY2(log.contains(line), qPrintable(log.join(u'\n')));
    QVERIFY(log.contains(QStringLiteral("   Upload of DataCont. has failed ")));
    QCOMPARE(u.r.rig.dialogs.texts(), boxes);
    QVERIFY(!QFile::exists(u.uploaded("PXU_DATA.S19")));
    // The loop ended at the first wrong answer: one read of data more than the image has.
    QVERIFY(u.reads(0x70).count(qMakePair(0x1F50, 4)) <= 2);
}

void UploadTest::emptySectionBecomesAnEmptyFile() {
    UploadRig u;
    u.spare().setSection(4, sim::makeInfoBlock(4, {"DC_V0001", 1, "Jan 05 2026", 0xC0000}, {}), {});
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxDC);

    u.r.window.mnuUploadFromSpare_Click();

    const QStringList log = u.r.log();
    QVERIFY2(log.contains(kUploadFinished), qPrintable(log.join(u'\n')));
    QFile file(u.uploaded("PXU_DATA.S19"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("S8"));
    QVERIFY(u.r.rig.dialogs.texts().isEmpty());
    QVERIFY(u.r.window.g_downloadStatusOk(0));
}

void UploadTest::abortFailsEveryRemainingSection() {
    UploadRig u;
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxAppl);
    u.r.tickSection(sectionBoxDC);
    // Abort while the application's first data block comes in.
    bool pressed = false;
    u.r.rig.bus.attach([&](const can::CanFrame& f) {
        if (!pressed && f.id == 0x670 && f.data[1] == 0x50 && f.data[2] == 0x1F) {
            pressed = true;
            u.r.window.cmdAbort_Click();
        }
    });

    u.r.window.mnuUploadFromSpare_Click();

    QVERIFY(pressed);
    const QStringList log = u.r.log();
    QVERIFY(log.contains(QStringLiteral("   Upload of Application has failed ")));
    QVERIFY(log.contains(QStringLiteral("   Upload of DataCont. has failed ")));
    QCOMPARE(u.reads(0x70).count(qMakePair(0x1F50, 4)), 1);
    QVERIFY(!u.r.window.g_downloadStatusOk(0));
    QVERIFY(!u.r.window.g_abortRequested());
}

void UploadTest::noSectionOrNoSpareChangesNothing() {
    UploadRig u;
    u.r.connect(2);
    u.spare().setMode(sim::Mode::Off);
    QVERIFY(
        u.r.rig.time.runUntil([&] { return !u.r.window.selection().program(0).enabled; }, 5000));
    u.r.window.messages().clear();
    const qsizetype from = u.r.rig.heard.size();

    u.r.window.mnuUploadFromSpare_Click();
    QCOMPARE(u.r.log().mid(0, 2),
             (QStringList{"Starting Upload of Data from Spare Module", "  no section selected!"}));

    u.r.tickSection(sectionBoxDC);
    u.r.window.messages().clear();
    u.r.window.mnuUploadFromSpare_Click();
    QCOMPARE(u.r.log().mid(0, 2), (QStringList{"Starting Upload of Data from Spare Module",
                                               "  Error: Spare Module is not Connected."}));
    QCOMPARE(u.r.rig.dialogs.texts(), QStringList{g_getUserMessage(2)});
    QVERIFY(u.r.log().last().startsWith(QString(82, u'-')));
    QVERIFY(u.r.toolFrames(from).isEmpty());
    QVERIFY(u.r.window.lock().enabled(Control::mnuUploadFromSpare));
}

void UploadTest::spareInBootloaderOnTheMBusAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void UploadTest::spareInBootloaderOnTheMBusAsksFirst() {
    QFETCH(bool, yes);
    UploadRig u(sim::BusKind::MBus);
    u.spare().setMode(sim::Mode::Bootloader);
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxDC);
    u.r.rig.dialogs.answerWindow(yes ? WindowAnswer::Yes : WindowAnswer::No);

    u.r.window.mnuUploadFromSpare_Click();

    QCOMPARE(u.r.rig.dialogs.windows().first().text,
             QStringLiteral("Upload of data is only possible, if no other modules are connected "
                            "via S-Bus.Otherwise the upload will interfere with the autodownload "
                            "function. Would you like to continue the upload?"));
    const QStringList log = u.r.log();
    QVERIFY(!log.contains(QStringLiteral("   Starting bootloader on all modules.")));
    if (!yes) {
        QCOMPARE(log.mid(0, 2), (QStringList{"Starting Upload of Data from Spare Module",
                                             "  M-Bus upload cancelled."}));
        QCOMPARE(u.spare().mode(), sim::Mode::Bootloader);
        return;
    }
    QCOMPARE(u.read(u.uploaded("PXU_DATA.S19")).first, u.spare().section(4).image);
    QVERIFY(log.contains(kUploadFinished));
    QCOMPARE(u.spare().mode(), sim::Mode::Application);
}

void UploadTest::mBusCylindersGetTheirApplicationBackThroughTheSpare() {
    UploadRig u(sim::BusKind::MBus, 6);
    QVERIFY(u.r.connect(6));
    u.r.window.messages().clear();
    u.r.tickSection(sectionBoxDC);

    u.r.window.mnuUploadFromSpare_Click();

    const QStringList log = u.r.log();
    QVERIFY2(log.contains(kUploadFinished), qPrintable(log.join(u'\n')));
    QCOMPARE(u.read(u.uploaded("PXU_DATA.S19")).first, u.spare().section(4).image);
    // The commands the spare was given: the cylinders to their bootloader, its own start
    // (no cylinder), then the cylinders' start through its application.
    QList<QPair<int, int>> commands;
    for (const auto& written : u.r.rig.service.writtenSymbols()) {
        if (written.module == 0 && written.id == u.r.spare->ids().moduleStateRw)
            commands << qMakePair(int(written.value & 0xFFFF), int(written.value >> 16));
    }
    QCOMPARE(commands, (QList<QPair<int, int>>{{0x7E, 0x0001}, {0, 0x0002}, {0x7E, 0x0002}}));
    QCOMPARE(u.modes(6), QList<sim::Mode>(7, sim::Mode::Application));
    // The grid shows it: "BL" unticked, the application ticked.
    const Selection& grid = u.r.window.selection();
    QVERIFY(u.r.rig.time.runUntil(
        [&] {
            for (int m = 0; m <= 6; ++m) {
                if (grid.applicationRunning(m) != ticked || grid.bootLoaderRunning(m) != unticked)
                    return false;
            }
            return true;
        },
        1000));
    const qsizetype started = log.lastIndexOf(QStringLiteral("   Start application"));
    QCOMPARE(log.mid(started + 1, 6),
             (QStringList{"      PXU 1: ok", "      PXU 2: ok", "      PXU 3: ok",
                          "      PXU 4: ok", "      PXU 5: ok", "      PXU 6: ok"}));
    QVERIFY(log.last().startsWith(QString(82, u'-')));
    QVERIFY(!u.r.window.lock().operationMode());
}

void UploadTest::failedBootloaderStartGivesTheSwitchedModulesTheirApplicationBack() {
    UploadRig u;
    QVERIFY(u.start());
    u.r.tickSection(sectionBoxDC);
    // Module 1 falls silent: the bootloader start ends there, after modules 0 and 2 left
    // their application.
    u.r.rig.modules.module(1).faults().silent = true;

    u.r.window.mnuUploadFromSpare_Click();

    const QStringList log = u.r.log();
    const qsizetype failed =
        log.indexOf(QStringLiteral("  Upload failed: Could not start Bootloader"));
    QVERIFY2(failed > 0, qPrintable(log.join(u'\n')));
    QCOMPARE(log.mid(failed + 1),
             (QStringList{"   Start application", "      PXU 0: ok", "      PXU 2: ok"}));
    QCOMPARE(u.r.rig.modules.module(0).mode(), sim::Mode::Application);
    QCOMPARE(u.r.rig.modules.module(2).mode(), sim::Mode::Application);
    QVERIFY(!QFile::exists(u.uploaded("PXU_DATA.S19")));
    QVERIFY(!u.r.window.g_downloadStatusOk(0));
    QVERIFY(!u.r.window.lock().operationMode());
}

QTEST_MAIN(UploadTest)
#include "upload_test.moc"
