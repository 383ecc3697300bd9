#include "sim/service_channel.h"
#include "sim_rig.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::sim;
using namespace pxu::sim::test;

namespace {

can::CanFrame frame(quint32 id, std::initializer_list<quint8> bytes) {
    can::CanFrame f{id, quint8(bytes.size()), {}};
    std::copy(bytes.begin(), bytes.end(), f.data.begin());
    return f;
}

} // namespace

class ServiceChannelTest : public QObject {
    Q_OBJECT
private slots:
    void reportsCarryModuleNibbleAndStopWithTheApplication();
    void framesItDoesNotTakeGoToTheGivenHandler();
};

void ServiceChannelTest::reportsCarryModuleNibbleAndStopWithTheApplication() {
    VirtualClock clock;
    Bus bus(BusKind::MBus, clock);
    QList<can::CanFrame> reports;
    bus.addListener([&](const can::CanFrame& f) {
        if (f.id == ServiceChannel::kVariableValueId)
            reports << f;
    });
    ServiceChannel channel(bus, 250'000);
    bus.setModes(0, 5, Mode::Application);
    channel.setVariable(5, 0x810, 0x01020304);

    bus.receive(frame(0x382, {0x10, 0x58, 0, 0x85, 1, 0, 0, 0}));
    clock.advanceUs(1'100'000);

    QCOMPARE(reports.size(), 5); // at once, then every 250 ms
    const can::CanFrame& r = reports[0];
    QCOMPARE(r.length, quint8(8));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(r.data.data()), 8),
             QByteArray("\x10\x58\x00\x00\x04\x03\x02\x01", 8));
    QVERIFY(channel.reporting(5, 0x810));

    bus.module(5).setMode(Mode::Bootloader);
    clock.advanceUs(1'000'000);
    QCOMPARE(reports.size(), 5);
    QVERIFY(!channel.reporting(5, 0x810));
}

void ServiceChannelTest::framesItDoesNotTakeGoToTheGivenHandler() {
    VirtualClock clock;
    Bus bus(BusKind::SBus, clock);
    ServiceChannel channel(bus);
    bus.setModes(0, 1, Mode::Application);
    QList<quint32> passedOn;
    channel.setFrameHandler(1, [&](Module&, const can::CanFrame& f) {
        passedOn << f.id;
        return true;
    });

    bus.receive(frame(0x382, {0x21, 0x18, 0, 0x80, 1, 2, 3, 4})); // a symbol of module 1
    bus.receive(frame(0x382, {0x21, 0x08, 0, 0x80, 5, 6, 7, 8})); // one of module 0
    bus.receive(frame(0x482, {0x8B}));
    bus.receive(frame(0x555, {1}));

    QCOMPARE(channel.variable(1, 0x821), std::optional<quint32>(0x04030201));
    QCOMPARE(channel.variable(0, 0x821), std::optional<quint32>(0x08070605));
    QCOMPARE(channel.userLevel(1), quint8(11));
    QCOMPARE(passedOn, (QList<quint32>{0x382, 0x555}));
}

QTEST_MAIN(ServiceChannelTest)
#include "service_channel_test.moc"
