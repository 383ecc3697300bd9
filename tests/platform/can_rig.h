#pragma once

#include "platform/can/can_interface.h"
#include "platform/can/in_process_bus.h"
#include "platform/can/in_process_transport.h"
#include "sim/bus.h"
#include "support/virtual_time.h"

#include <QList>

namespace pxu::test {

// The interface and a bus of simulated modules on one bit-timed in-process bus, in virtual
// time. A recorder on the bus keeps every frame with the time its transmission ended.
struct CanRig {
    struct Heard {
        qint64 atUs;
        can::CanFrame frame;
    };

    explicit CanRig(sim::BusKind kind = sim::BusKind::SBus, int bitRateKbit = 125)
        : bus(time, can::BusTiming{bitRateKbit, false})
        , modules(kind, time) {
        const auto simId = bus.attach([this](const can::CanFrame& f) { modules.receive(f); });
        modules.setSend(bus.sender(simId));
        bus.attach([this](const can::CanFrame& f) { heard << Heard{time.nowUs(), f}; });
        can::CanInterface::setTransportFactory(
            [this](int board) -> std::unique_ptr<can::CanTransport> {
                if (board != 0)
                    return nullptr;
                return std::make_unique<can::InProcessTransport>(bus);
            });
    }
    ~CanRig() { can::CanInterface::setTransportFactory({}); }

    // initBoard and startCan on board 0, as the CANopen master opens the bus; then 10 ms
    // pass, so that the boot-up messages of modules switched on before are through.
    bool open(int bitRateKbit = 125) {
        const bool opened =
            can.initBoard(0x01050F00, 0, bitRateKbit, 48891) == can::result::kSuccess &&
            can.startCan() == can::result::kSuccess;
        time.runFor(10);
        return opened;
    }

    // The frames heard on one identifier, or on all with id < 0.
    QList<can::CanFrame> framesOn(int id = -1) const {
        QList<can::CanFrame> out;
        for (const Heard& h : heard) {
            if (id < 0 || h.frame.id == quint32(id))
                out << h.frame;
        }
        return out;
    }

    VirtualTime time;
    can::InProcessBus bus;
    sim::Bus modules;
    QList<Heard> heard;
    can::CanInterface can;
};

inline can::CanFrame frameOf(quint32 id, std::initializer_list<quint8> bytes) {
    can::CanFrame f{id, quint8(bytes.size()), {}};
    std::copy(bytes.begin(), bytes.end(), f.data.begin());
    return f;
}

} // namespace pxu::test
