// The CAN channel lost in each phase of a full loader's download on the M-Bus, the upload
// from the spare and a start of the modules: the run stops at once with one line that names
// the lost channel, nothing after the loss reports ok, nothing waits for modules that can no
// longer answer, and the Exit that follows says what it could not switch off.
#include "bus/mode_change.h"
#include "download_rig.h"
#include "support/losable_channel.h"

#include <QRegularExpression>
#include <QtTest>
#include <functional>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kLost = QStringLiteral("CAN channel in-process bus was lost");
constexpr quint8 kSpareApplication = 0x11;
constexpr quint8 kSpareBootloader = 0x7F;

enum class Way { Download, Upload };

// The SDO request of the tool that opens a transfer of the object to or from the node.
bool opens(const can::CanFrame& f, quint8 node, quint16 index, Way way = Way::Download) {
    if (f.id != 0x600u + node || quint16(f.data[1] | f.data[2] << 8) != index)
        return false;
    const int ccs = f.data[0] >> 5;
    return way == Way::Download ? ccs == 1 || ccs == 6 : ccs == 2 || ccs == 5;
}

bool programControl(const can::CanFrame& f, quint8 node, quint8 sub) {
    return opens(f, node, 0x1F51) && f.data[3] == sub;
}

using Match = std::function<bool(const can::CanFrame&)>;

// When to lose the channel: the n-th tool frame that matches once the log holds a line, or
// the n-th command word the spare takes through its service channel.
struct Phase {
    Match frame;
    int nth = 1;
    QString afterLine;
    quint16 commandWord = 0;
};

Phase onFrame(Match match, int nth = 1, const QString& afterLine = {}) {
    return Phase{std::move(match), nth, afterLine, 0};
}

Phase onCommand(quint16 word) {
    return Phase{{}, 1, {}, word};
}

Match programControlOf(quint8 node, quint8 sub) {
    return [=](const can::CanFrame& f) { return programControl(f, node, sub); };
}

Match transferOf(quint16 index, Way way = Way::Download) {
    return [=](const can::CanFrame& f) { return opens(f, kSpareBootloader, index, way); };
}

// Loses the rig's channel at the phase and keeps the time and the log line count of the loss.
struct LossAt {
    LossAt(DownloadRig& r, const Phase& phase)
        : channel(r.rig.bus) {
        channel.install();
        const auto lose = [this, &r] {
            if (channel.lost() || --left > 0)
                return;
            channel.lose();
            atMs = r.rig.time.nowMs();
            logLines = r.window.messages().count();
            boxes = r.rig.dialogs.shown().size();
        };
        left = phase.nth;
        if (phase.frame)
            r.rig.bus.attach([phase, lose, &r](const can::CanFrame& f) {
                if (phase.frame(f) &&
                    (phase.afterLine.isEmpty() || r.log().contains(phase.afterLine)))
                    lose();
            });
        if (phase.commandWord != 0)
            r.rig.service.addSymbolListener([&r, phase, lose](int module, quint16 id, quint32 v) {
                if (module == 0 && id == r.spare->ids().moduleStateRw &&
                    quint16(v >> 16) == phase.commandWord)
                    lose();
            });
    }

    // What followed the loss: the lines logged and the boxes shown.
    QStringList linesAfter(DownloadRig& r) const { return r.log().mid(logLines); }
    QStringList boxesAfter(DownloadRig& r) const { return r.rig.dialogs.texts().mid(boxes); }

    LosableChannel channel;
    int left = 0;
    qint64 atMs = -1;
    qsizetype logLines = 0;
    qsizetype boxes = 0;
};

// After the loss no line says a module is ok, one line says the channel was lost, and the
// lost channel showed at most one box, which names it.
void checkStoppedByTheLoss(DownloadRig& r, const LossAt& loss, const QString& stopLine,
                           qint64 endMs) {
    QVERIFY2(loss.atMs >= 0, "the phase was never reached");
    const QStringList after = loss.linesAfter(r);
    const QStringList all = r.log();
    QVERIFY2(after.filter(QRegularExpression(QStringLiteral(": ok$"))).isEmpty(),
             qPrintable(after.join(u'\n')));
    QVERIFY2(all.filter(kLost).size() == 1, qPrintable(all.join(u'\n')));
    QVERIFY2(after.contains(stopLine), qPrintable(after.join(u'\n')));
    // No flash-programming wait, no per-module start wait, no retries.
    QVERIFY2(endMs - loss.atMs <= 2000, qPrintable(QString::number(endMs - loss.atMs)));
    QVERIFY(!after.contains(QStringLiteral("         new attempt")));
    QVERIFY(after.filter(QStringLiteral("not started!")).isEmpty());
    const QStringList boxes = loss.boxesAfter(r);
    QVERIFY2(boxes.size() <= 1, qPrintable(boxes.join(u'|')));
    for (const QString& box : boxes)
        QVERIFY2(box.endsWith(kLost), qPrintable(box));
    QVERIFY(!r.window.lock().operationMode());
}

// Exit after the loss: the log-off cannot switch the auto download off and says so.
void checkExitSaysWhatStaysOn(DownloadRig& r) {
    r.rig.dialogs.clear();
    r.window.mnuExit_Click();
    const QStringList boxes = r.rig.dialogs.texts();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.first().startsWith(QStringLiteral("Logoff AutoDownload: ZENT-Variables ")) &&
                 boxes.first().endsWith(QStringLiteral(" not deactivated: ") + kLost + u'.'),
             qPrintable(boxes.first()));
}

} // namespace

Q_DECLARE_METATYPE(Phase)

class DownloadLostChannelTest : public QObject {
    Q_OBJECT
private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }
    void downloadStopsAtTheLoss_data();
    void downloadStopsAtTheLoss();
    void downloadOnALostChannelSendsNothing();
    void uploadStopsAtTheLoss_data();
    void uploadStopsAtTheLoss();
    void startOfTheModulesStopsAtTheLoss_data();
    void startOfTheModulesStopsAtTheLoss();
};

void DownloadLostChannelTest::downloadStopsAtTheLoss_data() {
    QTest::addColumn<bool>("cylinders");
    QTest::addColumn<Phase>("phase");
    const Phase bootloader = onFrame(programControlOf(kSpareApplication, 3));
    // The checks read the info blocks of the modules switched.
    const Phase infoBlocksRead = onFrame(transferOf(0x5FFE, Way::Upload));
    const Phase infoBlock = onFrame(transferOf(0x5FFE));
    const Phase data = onFrame(transferOf(0x1F50));
    // The status after the info block, after the data, then the first poll of the wait.
    const Phase flashProgramming = onFrame(transferOf(0x5FFF, Way::Upload), 3);
    const Phase restart = onFrame(programControlOf(kSpareBootloader, 6));
    QTest::newRow("spare only: switch to the bootloader") << false << bootloader;
    QTest::newRow("spare only: the info blocks read after the switch") << false << infoBlocksRead;
    QTest::newRow("spare only: info block") << false << infoBlock;
    QTest::newRow("spare only: data") << false << data;
    QTest::newRow("spare only: flash programming") << false << flashProgramming;
    QTest::newRow("spare only: restart") << false << restart;
    QTest::newRow("spare first: data") << true << data;
    QTest::newRow("spare first: flash programming") << true << flashProgramming;
    QTest::newRow("spare first: the spare's restart") << true << restart;
    QTest::newRow("spare first: the clear before the cylinders") << true << onCommand(0x3000);
    QTest::newRow("spare first: the cylinders through the spare") << true << onCommand(0x0040);
    QTest::newRow("spare first: the cylinders' restart") << true << onCommand(0x0002);
}

void DownloadLostChannelTest::downloadStopsAtTheLoss() {
    QFETCH(bool, cylinders);
    QFETCH(Phase, phase);
    DownloadRig r(sim::BusKind::MBus, QStringLiteral("PXU"), 3);
    r.forceFpga(false);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), newImage(10000, 21), 0x30000);
    LossAt loss(r, phase);
    QVERIFY(r.ready(3, 0, cylinders ? 3 : 0, {sectionBoxAppl}));

    r.window.cmdDownload_Click();

    checkStoppedByTheLoss(r, loss, QStringLiteral("   Download stopped: ") + kLost + u'.',
                          r.rig.time.nowMs());
    QVERIFY(r.log().last().startsWith(QString(82, u'-')));
    QVERIFY(!loss.boxesAfter(r).contains(QStringLiteral("Restart application?")));
    QVERIFY(loss.channel.refusedFrames() <= 10);
    checkExitSaysWhatStaysOn(r);
}

void DownloadLostChannelTest::downloadOnALostChannelSendsNothing() {
    DownloadRig r(sim::BusKind::MBus, QStringLiteral("PXU"), 3);
    r.forceFpga(false);
    r.writeLoadFile(QStringLiteral("PXU_APPL.S19"), newImage(10000, 22), 0x30000);
    LosableChannel channel(r.rig.bus);
    channel.install();
    QVERIFY(r.ready(3, 0, 3, {sectionBoxAppl}));
    channel.lose();
    const qint64 startMs = r.rig.time.nowMs();

    r.window.cmdDownload_Click();

    QCOMPARE(r.rig.time.nowMs(), startMs);
    const QStringList log = r.log();
    QCOMPARE(log.mid(2),
             (QStringList{QStringLiteral("   Download stopped: ") + kLost + u'.', log.last()}));
    QCOMPARE(channel.refusedFrames(), 0);
    QVERIFY(r.rig.dialogs.texts().isEmpty());
}

void DownloadLostChannelTest::uploadStopsAtTheLoss_data() {
    QTest::addColumn<Phase>("phase");
    const QString application = QStringLiteral("    Uploading Application");
    QTest::newRow("switch to the bootloader") << onFrame(programControlOf(kSpareApplication, 3));
    QTest::newRow("info block") << onFrame(transferOf(0x5FFE, Way::Upload), 1, application);
    QTest::newRow("data") << onFrame(transferOf(0x1F50, Way::Upload), 2, application);
    QTest::newRow("the second section")
        << onFrame(transferOf(0x5FFE, Way::Upload), 1, QStringLiteral("    Uploading DataCont."));
    QTest::newRow("restart") << onFrame(programControlOf(kSpareBootloader, 6));
}

void DownloadLostChannelTest::uploadStopsAtTheLoss() {
    QFETCH(Phase, phase);
    DownloadRig r(sim::BusKind::MBus, QStringLiteral("PXU"), 3);
    r.forceFpga(false);
    r.window.g_checkFileExist(g_moduleType, true);
    LossAt loss(r, phase);
    QVERIFY(r.connect(3));
    r.tickSection(sectionBoxAppl);
    r.tickSection(sectionBoxDC);
    r.window.messages().clear();

    r.window.mnuUploadFromSpare_Click();

    checkStoppedByTheLoss(r, loss, QStringLiteral("   Upload stopped: ") + kLost + u'.',
                          r.rig.time.nowMs());
    QVERIFY(!loss.linesAfter(r).contains(QStringLiteral("   Upload finished ")));
    checkExitSaysWhatStaysOn(r);
}

void DownloadLostChannelTest::startOfTheModulesStopsAtTheLoss_data() {
    QTest::addColumn<bool>("application");
    QTest::newRow("start application") << true;
    QTest::newRow("start bootloader") << false;
}

void DownloadLostChannelTest::startOfTheModulesStopsAtTheLoss() {
    QFETCH(bool, application);
    DownloadRig r(sim::BusKind::MBus, QStringLiteral("PXU"), 3);
    // The start command of the spare: its application (into the bootloader) or its
    // bootloader (back into the application).
    LossAt loss(r, onFrame(application ? programControlOf(kSpareBootloader, 6)
                                       : programControlOf(kSpareApplication, 3)));
    QVERIFY(r.connect(3));
    if (application) {
        QVERIFY(modModeChange::g_startBootloader(modModeChange::g_singeTargetSelection(0), false));
        QVERIFY(r.rig.time.runUntil(
            [] { return modConnectionStatus::g_getModuleStatus(0) == moduleBootloaderRunning; },
            3000));
    }
    r.tickModules(0, 3);
    r.window.messages().clear();
    r.rig.dialogs.clear();

    if (application)
        r.window.mnuStartApplication_Click();
    else
        r.window.mnuStartBootloader_Click();

    const QString what =
        application ? QStringLiteral("Start application") : QStringLiteral("Start bootloader");
    checkStoppedByTheLoss(
        r, loss, QStringLiteral("   ") + what + QStringLiteral(" stopped: ") + kLost + u'.',
        r.rig.time.nowMs());
}

QTEST_MAIN(DownloadLostChannelTest)
#include "download_lost_channel_test.moc"
