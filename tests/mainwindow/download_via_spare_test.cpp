// A cylinder module on the M-Bus loaded through the spare's auto download, when the spare
// stalls, when Abort is pressed during it and when a cylinder cannot be reached.
#include "download_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

constexpr quint16 kDownloadApplication = 0x0040;
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

QTEST_MAIN(DownloadViaSpareTest)
#include "download_via_spare_test.moc"
