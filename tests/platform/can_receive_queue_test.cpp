#include "can_rig.h"

#include <QSignalSpy>
#include <QtTest>

using namespace pxu;
using namespace pxu::can;
using namespace pxu::test;

namespace {

struct Message {
    quint32 id;
    QByteArray data;
    qint32 waiting;
};

QList<Message> drain(CanInterface& can) {
    QList<Message> out;
    qint32 cobId = 0, waiting = 0;
    QByteArray data;
    while (can.readMessage(cobId, data, waiting) == result::kSuccess)
        out << Message{quint32(cobId), data, waiting};
    return out;
}

} // namespace

class CanReceiveQueueTest : public QObject {
    Q_OBJECT
private slots:
    void framesComeOldestFirstWithCountStillWaiting();
    void emptyQueueAnswersQueueEmpty();
    void fullQueueDropsNewestAndReportsOverrunOnce();
    void signalIsRaisedOnceWhenWindowEventsPass();
    void heartbeatsFollowModulesThatSwitch();
};

void CanReceiveQueueTest::framesComeOldestFirstWithCountStillWaiting() {
    CanRig rig;
    QVERIFY(rig.open());
    rig.modules.setModes(1, 3, sim::Mode::Application);
    rig.time.runFor(5);

    const QList<Message> got = drain(rig.can);

    QCOMPARE(got.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(got[i].id, quint32(0x721 + i));
        QCOMPARE(got[i].data, QByteArray(1, '\0')); // boot-up
        QCOMPARE(got[i].waiting, 2 - i);
    }
}

void CanReceiveQueueTest::emptyQueueAnswersQueueEmpty() {
    CanRig rig;
    QVERIFY(rig.open());
    qint32 cobId = -7, waiting = -7;
    QByteArray data("keep");
    QCOMPARE(rig.can.readMessage(cobId, data, waiting), result::kQueueEmpty);
    QCOMPARE(waiting, 0);
    QCOMPARE(cobId, -7);
}

void CanReceiveQueueTest::fullQueueDropsNewestAndReportsOverrunOnce() {
    CanRig rig;
    QVERIFY(rig.open());
    QSignalSpy errors(&rig.can, &CanInterface::errorEvent);
    const auto other = rig.bus.attach({});
    const int sent = int(CanInterface::kReceiveQueueCapacity) + 10;
    for (int i = 0; i < sent; ++i)
        rig.bus.send(other, frameOf(0x411, {quint8(i), quint8(i >> 8)}));
    rig.time.runFor(2500); // 4106 frames of 63 bits at 125 kbit/s: 2.07 s

    qint32 cobId = 0, waiting = 0;
    QByteArray data;
    QCOMPARE(rig.can.readMessage(cobId, data, waiting), result::kQueueOverrun);
    const QList<Message> got = drain(rig.can);
    QCOMPARE(got.size(), int(CanInterface::kReceiveQueueCapacity));
    QCOMPARE(got.first().data, QByteArray::fromHex("0000"));
    QCOMPARE(got.last().data, QByteArray::fromHex("ff0f")); // frame 4095: the newest dropped
    QCOMPARE(rig.can.readMessage(cobId, data, waiting), result::kQueueEmpty);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().at(0).toInt(), result::kQueueOverrun);
}

void CanReceiveQueueTest::signalIsRaisedOnceWhenWindowEventsPass() {
    CanRig rig;
    rig.modules.module(4).setMode(sim::Mode::Application);
    QVERIFY(rig.open());
    drain(rig.can);
    QSignalSpy signals_(&rig.can, &CanInterface::signalEvent);
    rig.modules.setModes(1, 3, sim::Mode::Application);

    // A transfer holds the window thread: frames queue, the signal waits.
    QByteArray data;
    qint32 size = 0;
    QCOMPARE(rig.can.readSdo(0x24, 0x1018, 1, data, size, true, false), result::kSuccess);
    QCOMPARE(signals_.size(), 0);

    rig.time.doEvents();
    QCOMPARE(signals_.size(), 1);
    QCOMPARE(drain(rig.can).size(), 3);
    rig.time.doEvents();
    QCOMPARE(signals_.size(), 1);
}

void CanReceiveQueueTest::heartbeatsFollowModulesThatSwitch() {
    CanRig rig;
    rig.modules.setModes(1, 2, sim::Mode::Application);
    QVERIFY(rig.open());
    rig.time.runFor(1000);
    drain(rig.can);

    rig.modules.module(2).switchMode(sim::Mode::Bootloader, 100'000);
    rig.time.runFor(2150);

    QStringList beats;
    for (const Message& m : drain(rig.can))
        beats << QStringLiteral("%1:%2").arg(m.id, 0, 16).arg(quint8(m.data.at(0)));
    // Module 1 beats on; module 2 falls silent, boots as bootloader 0x72 and beats there.
    QCOMPARE(beats, (QStringList{"772:0", "721:5", "772:5", "721:5", "772:5"}));
}

QTEST_GUILESS_MAIN(CanReceiveQueueTest)
#include "can_receive_queue_test.moc"
