// Guided updates the bus stops: the engine runs, or the CAN channel is lost in a step that
// needs it. The run stops at once, and the updater's list and the report name the cause.
// The real main window (offscreen) against the simulated engine, in virtual time.
#include "support/losable_channel.h"
#include "updater_rig.h"

#include <QRegularExpression>
#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

const QString kStopped = QStringLiteral("   Update stopped: CAN channel in-process bus was lost.");
const QString kDownloadStopped =
    QStringLiteral("      Download stopped: CAN channel in-process bus was lost.");

// The CANopen SDO block download of the program data into the spare's bootloader.
bool spareDataBegins(const can::CanFrame& f) {
    return f.id == 0x600 + 0x7F && (f.data[0] & 0xE0) == 0xC0 && f.data[1] == 0x50 &&
           f.data[2] == 0x1F;
}

// A frame of the tool but for its heartbeat: NMT, SDO requests, service channel, user level.
bool toolFrame(const can::CanFrame& f) {
    return f.id == 0 || (f.id >= 0x601 && f.id <= 0x67F) || f.id == 0x382 || f.id == 0x482;
}

} // namespace

class UpdaterBusFailuresTest : public QObject {
    Q_OBJECT
private slots:
    void theCauseOfARefusedDownloadIsNamed_data();
    void theCauseOfARefusedDownloadIsNamed();
};

void UpdaterBusFailuresTest::theCauseOfARefusedDownloadIsNamed_data() {
    QTest::addColumn<QString>("cause"); // "engine", or where the channel is lost
    QTest::addColumn<QString>("line");  // the updater's line that names it
    QTest::addColumn<QString>("outcome");
    QTest::newRow("the engine runs")
        << "engine"
        << "      Bootloader cannot be started because engine is running."
        << "   Spare-PXU is not downloaded!";
    QTest::newRow("the channel is lost as the system information is asked for")
        << "step 2" << kStopped << kStopped;
    QTest::newRow("the channel is lost as the auto download is switched on")
        << "step 5" << kStopped << kStopped;
    QTest::newRow("the channel is lost as the spare's data begins")
        << "spare" << kDownloadStopped << "   Spare-PXU is not downloaded!";
    QTest::newRow("the channel is lost as the cylinders are served")
        << "cylinders" << kDownloadStopped
        << "   Following PXU's failed: PXU #01, PXU #02, PXU #03, PXU #04, PXU #05, PXU #06!";
    // The download started every module: the loss comes with the tool's heartbeat before.
    QTest::newRow("the channel is lost before the application is started")
        << "step 9, heartbeat" << kStopped << kStopped;
    QTest::newRow("the channel is lost as the new CRC is written")
        << "step 10" << kStopped << kStopped;
    QTest::newRow("the channel is lost as the update is checked")
        << "step 11" << kStopped << kStopped;
}

void UpdaterBusFailuresTest::theCauseOfARefusedDownloadIsNamed() {
    QFETCH(QString, cause);
    QFETCH(QString, line);
    QFETCH(QString, outcome);
    UpdaterRig rig(6);
    LosableChannel channel(rig.board.bus);
    channel.install();
    const bool engine = cause == QLatin1String("engine");
    const int step =
        cause.startsWith(QLatin1String("step ")) ? cause.mid(5).section(u',', 0, 0).toInt() : -1;
    const bool onHeartbeat = cause.endsWith(QLatin1String("heartbeat"));
    qint64 lostAtMs = -1;
    qsizetype linesBeforeLoss = 0;
    rig.board.bus.attach([&](const can::CanFrame& f) {
        if (channel.lost())
            return;
        const bool spareLoaded = rig.board.modules.module(0).section(6).image == rig.newImage;
        // The first command to the spare after it took the new application.
        const bool cylindersServed = spareLoaded && f.id == 0x382 && f.data[3] == 0x80;
        const bool atStep =
            rig.face().m_updaterStep == step &&
            (onHeartbeat ? f.id == 0x709 : rig.face().m_stepTicks >= 1 && toolFrame(f));
        if ((cause == QLatin1String("spare") && spareDataBegins(f)) ||
            (cause == QLatin1String("cylinders") && cylindersServed) || atStep) {
            channel.lose();
            lostAtMs = rig.boards.time.nowMs();
            linesBeforeLoss = rig.log().size();
        }
    });
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    if (!rig.face().m_updateFailed) {
        QCOMPARE(rig.face().m_updaterStep, 8);
        if (engine)
            rig.board.spare->setEngineRunning(true);
        rig.pressOk(); // "Update"
        QVERIFY(rig.runUntilAsked(600'000));
    }
    const qint64 askedAtMs = rig.boards.time.nowMs();

    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY2(rig.face().m_updateFailed, qPrintable(rig.log().join(u'\n')));
    const QStringList log = rig.log();
    QVERIFY2(log.contains(outcome), qPrintable(log.join(u'\n')));
    const auto named = [&line](const QString& l) { return l.startsWith(line); };
    QVERIFY2(std::any_of(log.begin(), log.end(), named), qPrintable(log.join(u'\n')));
    if (!engine) {
        QVERIFY2(lostAtMs >= 0, "the phase was never reached");
        // Within a tick or two of the loss, not after the step's time-out or module waits.
        QVERIFY2(askedAtMs - lostAtMs <= 4000, qPrintable(QString::number(askedAtMs - lostAtMs)));
        // Nothing after the loss says it went well; the download's own lines, repeated in
        // its failure, were written before.
        QStringList after = log.mid(linesBeforeLoss);
        after = after.mid(0, after.indexOf(QStringLiteral("   Download log:")));
        const QRegularExpression success(
            QStringLiteral(": ok$|for all PXU's successfully|ZENT started|Appl CRC set"));
        QVERIFY2(after.filter(success).isEmpty(), qPrintable(after.join(u'\n')));
        QCOMPARE(log.filter(QStringLiteral("CAN channel in-process bus was lost")).size(), 1);
    }
    // Stopped at the first refused frame, not after thousands of them, nor box after box.
    QVERIFY2(channel.refusedFrames() <= 10, qPrintable(QString::number(channel.refusedFrames())));
    QVERIFY2(rig.boards.dialogs.texts().size() <= 1,
             qPrintable(rig.boards.dialogs.texts().join(u'|')));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(QStringLiteral("\r\n") + line));
}

QTEST_MAIN(UpdaterBusFailuresTest)
#include "updater_bus_failures_test.moc"
