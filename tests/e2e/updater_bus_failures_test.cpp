// Guided updates whose download the bus refuses: the engine runs, or the CAN channel is
// lost part-way. The run stops and the updater's list and the report name the cause. The
// real main window (offscreen) against the simulated engine, in virtual time.
#include "support/losable_channel.h"
#include "updater_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::test;

namespace {

// The CANopen SDO block download of the program data into the spare's bootloader.
bool spareDataBegins(const can::CanFrame& f) {
    return f.id == 0x600 + 0x7F && (f.data[0] & 0xE0) == 0xC0 && f.data[1] == 0x50 &&
           f.data[2] == 0x1F;
}

} // namespace

class UpdaterBusFailuresTest : public QObject {
    Q_OBJECT
private slots:
    void theCauseOfARefusedDownloadIsNamed_data();
    void theCauseOfARefusedDownloadIsNamed();
};

void UpdaterBusFailuresTest::theCauseOfARefusedDownloadIsNamed_data() {
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("line"); // the updater's line that names it
    QTest::addColumn<QString>("outcome");
    QTest::newRow("the engine runs")
        << "engine"
        << "      Bootloader cannot be started because engine is running."
        << "   Spare-PXU is not downloaded!";
    QTest::newRow("the channel is lost as the spare's data begins")
        << "spare"
        << "      Download stopped: CAN channel in-process bus was lost."
        << "   Spare-PXU is not downloaded!";
    QTest::newRow("the channel is lost as the cylinders are served")
        << "cylinders"
        << "      Download stopped: CAN channel in-process bus was lost."
        << "   Following PXU's failed: PXU #01, PXU #02, PXU #03, PXU #04, PXU #05, PXU #06!";
}

void UpdaterBusFailuresTest::theCauseOfARefusedDownloadIsNamed() {
    QFETCH(QString, cause);
    QFETCH(QString, line);
    QFETCH(QString, outcome);
    UpdaterRig rig(6);
    LosableChannel channel(rig.board.bus);
    can::CanInterface::setTransportFactory([&](int board) -> std::unique_ptr<can::CanTransport> {
        return board == 0 ? channel.transport() : nullptr;
    });
    rig.board.bus.attach([&](const can::CanFrame& f) {
        if (channel.lost())
            return;
        const bool spareLoaded = rig.board.modules.module(0).section(6).image == rig.newImage;
        // The first command to the spare after it took the new application.
        const bool cylindersServed = spareLoaded && f.id == 0x382 && f.data[3] == 0x80;
        if ((cause == QLatin1String("spare") && spareDataBegins(f)) ||
            (cause == QLatin1String("cylinders") && cylindersServed))
            channel.lose();
    });
    QVERIFY(rig.startToFirstQuestion());
    rig.pressOk();
    QVERIFY(rig.runUntilAsked());
    QCOMPARE(rig.face().m_updaterStep, 8);
    if (cause == QLatin1String("engine"))
        rig.board.spare->setEngineRunning(true);
    rig.pressOk(); // "Update"
    QVERIFY(rig.runUntilAsked(600'000));

    QCOMPARE(rig.face().m_updaterStep, 12);
    QVERIFY(rig.face().m_updateFailed);
    const QStringList log = rig.log();
    QVERIFY2(log.contains(outcome), qPrintable(log.join(u'\n')));
    const auto named = [&line](const QString& l) { return l.startsWith(line); };
    QVERIFY2(std::any_of(log.begin(), log.end(), named), qPrintable(log.join(u'\n')));
    // Stopped at the first refused frame, not after thousands of them, nor box after box.
    QVERIFY2(channel.refusedFrames() <= 10, qPrintable(QString::number(channel.refusedFrames())));
    QVERIFY2(rig.boards.dialogs.texts().size() <= 1,
             qPrintable(rig.boards.dialogs.texts().join(u'|')));
    QVERIFY(rig.finish());
    QVERIFY(rig.report().contains(QStringLiteral("\r\n") + line));
}

QTEST_MAIN(UpdaterBusFailuresTest)
#include "updater_bus_failures_test.moc"
