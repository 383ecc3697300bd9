// A cylinder module on the M-Bus loaded through the spare's auto download, when the spare
// stalls, when Abort is pressed during it and when a cylinder cannot be reached.
#include "download_rig.h"

#include <QtTest>
#include <optional>

using namespace pxu;
using namespace pxu::test;

namespace {

constexpr quint16 kDownloadApplication = 0x0040;
constexpr quint16 kDownloadFpga = 0x0080;
constexpr quint16 kClear = 0x3000;
constexpr quint16 kAbort = 0x0100;

// The M-Bus with the spare and cylinder 1 running, the application ticked for cylinder 1
// alone; `taken` runs when the spare has taken the download command, `cleared` when it has
// taken the clear command.
struct CylinderRig {
    CylinderRig()
        : r(sim::BusKind::MBus, QStringLiteral("PXU"), 1) {
        r.forceFpga(false);
        r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), newImage(20000, 8), 0x30000);
        r.rig.service.addSymbolListener([this](int module, quint16 id, quint32 value) {
            if (module != 0 || id != r.spare->ids().moduleStateRw)
                return;
            const quint16 word = quint16(value >> 16);
            if (word == kDownloadApplication && taken)
                taken();
            if (word == kClear && cleared)
                cleared();
        });
    }
    bool start() {
        if (!r.connect(1))
            return false;
        r.tickModules(1, 1);
        r.tickSection(sectionBoxAppl);
        r.window.messages().clear();
        return true;
    }
    QList<quint16> commandWords() const {
        QList<quint16> words;
        for (const auto& written : r.rig.service.writtenSymbols()) {
            if (written.module == 0 && written.id == r.spare->ids().moduleStateRw)
                words << quint16(written.value >> 16);
        }
        return words;
    }

    DownloadRig r;
    std::function<void()> taken;
    std::function<void()> cleared;
};

} // namespace

class DownloadViaSpareTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void stalledSpareIsGivenUpAfterAMinute();
    void abortDuringTheAutoDownloadStopsTheSpare();
    void unreachableCylinderFails();
    void spareThatNeverTakesTheCommandIsNoSuccess();
    void reportsSentBeforeTheSpareTookACommandAreNoAnswer();
    void clearNeverSeenBusyIsWaitedOut();
};

void DownloadViaSpareTest::stalledSpareIsGivenUpAfterAMinute() {
    CylinderRig c;
    // The spare finishes its work but never clears the command word.
    c.taken = [&] { c.r.spare->faults().commandNeverClears = true; };
    QVERIFY(c.start());
    const qint64 startMs = c.r.rig.time.nowMs();

    c.r.window.cmdDownload_Click();

    const qint64 tookMs = c.r.rig.time.nowMs() - startMs;
    QVERIFY2(tookMs > 60000 && tookMs < 80000, qPrintable(QString::number(tookMs)));
    const QStringList log = c.r.log();
    const qsizetype first = log.indexOf("   Download Application") + 1;
    QCOMPARE(log.mid(first, 2),
             (QStringList{"      Autodownload error: no progress for 60 s, download given up!",
                          "      PXU 1: autodownload of program/data has failed!"}));
    QVERIFY(c.commandWords().contains(kAbort));
    QVERIFY(!c.r.window.g_downloadStatusOk(1));
    QVERIFY(!c.r.window.m_moduleUpdated[1]);
    QVERIFY(!c.r.window.lock().operationMode());
}

void DownloadViaSpareTest::abortDuringTheAutoDownloadStopsTheSpare() {
    CylinderRig c;
    const QByteArray before = c.r.rig.modules.module(1).section(6).image;
    c.taken = [&] { c.r.rig.time.callAfter(300'000, [&] { c.r.window.cmdAbort_Click(); }); };
    QVERIFY(c.start());
    c.r.rig.dialogs.answer(BoxAnswer::Yes);

    c.r.window.cmdDownload_Click();

    QCOMPARE(c.r.rig.dialogs.texts(), QStringList{"Do you want to abort the download?"});
    c.r.rig.time.runFor(100); // the abort command's frame ends
    const QList<quint16> words = c.commandWords();
    QCOMPARE(words.mid(words.indexOf(kDownloadApplication)),
             (QList<quint16>{kDownloadApplication, kAbort}));
    QCOMPARE(c.r.log().mid(c.r.log().size() - 2),
             (QStringList{"      PXU 1: autodownload of program/data has failed!",
                          "Abort of the download!"}));
    QCOMPARE(c.r.rig.modules.module(1).section(6).image, before);
    QVERIFY(!c.r.spare->busy());
    QCOMPARE(c.r.window.progress(), 0.0);
    QVERIFY(!c.r.window.m_moduleUpdated[1]);
    QVERIFY(!c.r.window.lock().operationMode());
}

void DownloadViaSpareTest::unreachableCylinderFails() {
    CylinderRig c;
    c.taken = [&] { c.r.rig.modules.module(1).setMode(sim::Mode::Off); };
    QVERIFY(c.start());

    c.r.window.cmdDownload_Click();

    const QStringList log = c.r.log();
    const qsizetype first = log.indexOf("   Download Application") + 1;
    QCOMPARE(log.at(first),
             QStringLiteral("      PXU 1: autodownload of program/data has failed!"));
    QVERIFY(!c.r.window.g_downloadStatusOk(1));
    QVERIFY(!c.r.window.m_moduleUpdated[1]);
}

void DownloadViaSpareTest::spareThatNeverTakesTheCommandIsNoSuccess() {
    CylinderRig c;
    // After the clear the spare loses the log-in: it keeps reporting its command word as
    // cleared and takes no further command.
    c.cleared = [&] { c.r.rig.inject(frameOf(0x482, {0x00})); };
    const QByteArray before = c.r.rig.modules.module(1).section(6).image;
    QVERIFY(c.start());

    c.r.window.cmdDownload_Click();

    const QStringList log = c.r.log();
    const qsizetype first = log.indexOf("   Download Application") + 1;
    QCOMPARE(log.mid(first, 2),
             (QStringList{"      Autodownload error: no progress for 60 s, download given up!",
                          "      PXU 1: autodownload of program/data has failed!"}));
    QCOMPARE(c.r.spare->commandsTaken(), 2); // the bootloader start and the clear
    QCOMPARE(c.r.rig.modules.module(1).section(6).image, before);
    QVERIFY(!c.r.window.g_downloadStatusOk(1));
    QVERIFY(!c.r.window.m_moduleUpdated[1]);
}

void DownloadViaSpareTest::reportsSentBeforeTheSpareTookACommandAreNoAnswer() {
    CylinderRig c;
    c.r.writeLoadFile(QStringLiteral("PXU_FPGA.S19"), newImage(5000, 3), 0xD0000);
    // The cylinders get the spare's own copy.
    const QByteArray fpga = newImage(6000, 19);
    c.r.rig.modules.module(0).setSection(
        7, sim::makeInfoBlock(7, {"FPGA0001", 1, "Jan 05 2026", 0xD0000}, fpga), fpga);
    // The spare's task sees a written command 50 ms after it came, and reports that left the
    // spare before reach the tool after its send: the word as cleared, after the clear before
    // the FPGA; the update status of the application just loaded into the same module and
    // the word as cleared, after the FPGA's download.
    c.r.spare->timing().takeUpUs = 50'000;
    // A section takes longer than the second the tool waits after the spare's end.
    c.r.spare->timing().progressStepUs = 300'000;
    const quint16 stateRw = c.r.spare->ids().moduleStateRw;
    const quint16 update = c.r.spare->ids().updateStateRo;
    const auto report = [&](quint16 id, quint32 value) {
        c.r.rig.inject(
            frameOf(0x411, {quint8(id & 0xFF), quint8(id >> 8), 0, 0, quint8(value),
                            quint8(value >> 8), quint8(value >> 16), quint8(value >> 24)}));
    };
    int clears = 0;
    c.cleared = [&] {
        if (++clears == 2)
            report(stateRw, 0);
    };
    c.r.rig.service.addSymbolListener([&](int module, quint16 id, quint32 value) {
        if (module == 0 && id == stateRw && value >> 16 == kDownloadFpga) {
            report(update, c.r.rig.service.variable(0, update).value_or(0));
            report(stateRw, 0);
        }
    });
    // Whether the module held the FPGA when the tool called it loaded.
    std::optional<bool> loadedWhenOk;
    QObject::connect(&c.r.window, &MainWindow::changed, [&] {
        const QStringList log = c.r.log();
        const qsizetype section = log.indexOf("   Download FPGA");
        if (!loadedWhenOk && section > 0 && log.indexOf("      PXU 1: ok", section) > 0)
            loadedWhenOk = c.r.rig.modules.module(1).section(7).image == fpga;
    });
    QVERIFY(c.start());
    c.r.tickSection(sectionBoxFPGA);
    c.r.window.messages().clear();

    c.r.window.cmdDownload_Click();

    QCOMPARE(clears, 2);
    QVERIFY(loadedWhenOk.has_value());
    QVERIFY(*loadedWhenOk);
    for (const QString& line : c.r.log())
        QVERIFY2(!line.contains(QStringLiteral("error")), qPrintable(line));
    QVERIFY(c.r.window.g_downloadStatusOk(1));
}

void DownloadViaSpareTest::clearNeverSeenBusyIsWaitedOut() {
    CylinderRig c;
    // The spare clears between two of its reports: the tool never sees the clear's word.
    c.r.spare->faults().clearUnseen = true;
    QVERIFY(c.start());
    const qint64 started = c.r.rig.time.nowMs();

    c.r.window.cmdDownload_Click();

    QVERIFY(c.r.rig.time.nowMs() - started >= 8000);
    for (const QString& line : c.r.log())
        QVERIFY2(!line.contains(QStringLiteral("error")), qPrintable(line));
    QVERIFY(c.r.window.g_downloadStatusOk(1));
    QVERIFY(c.r.window.m_moduleUpdated[1]);
    QCOMPARE(c.commandWords().count(kClear), 1);
}

QTEST_MAIN(DownloadViaSpareTest)
#include "download_via_spare_test.moc"
