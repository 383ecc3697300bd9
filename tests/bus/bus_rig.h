#pragma once

#include "bus/bus_hooks.h"
#include "bus/can_open_master.h"
#include "bus/heart_beat_control.h"
#include "core/config_items.h"
#include "core/globals.h"
#include "platform/can/in_process_bus.h"
#include "platform/can/in_process_transport.h"
#include "sim/bus.h"
#include "sim/service_channel.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <QList>
#include <QStringList>
#include <set>

namespace pxu::test {

// What a message target was told.
struct TargetLog {
    QStringList messages;
    QList<bool> errorSignals;
    MessageTarget target() {
        return {[this](const QString& t) { messages << t; }, [this](bool s) { errorSignals << s; }};
    }
};

// The program-wide CANopen master on a bit-timed in-process bus with simulated modules
// (and their service channel), in virtual time. Boards are the board numbers that exist;
// all of them lead to the one bus. A recorder keeps every frame on the bus, an injector
// endpoint sends frames of its own.
struct BusRig {
    struct Heard {
        qint64 atUs;
        can::CanFrame frame;
    };

    explicit BusRig(sim::BusKind kind = sim::BusKind::SBus, int bitRateKbit = 500,
                    std::set<int> boards = {0})
        : bus(time, can::BusTiming{bitRateKbit, false})
        , modules(kind, time)
        , service(modules)
        , m_boards(std::move(boards)) {
        const auto simId = bus.attach([this](const can::CanFrame& f) { modules.receive(f); });
        modules.setSend(bus.sender(simId));
        bus.attach([this](const can::CanFrame& f) { heard << Heard{time.nowUs(), f}; });
        injector = bus.attach({});
        can::CanInterface::setTransportFactory(
            [this](int board) -> std::unique_ptr<can::CanTransport> {
                if (!m_boards.count(board))
                    return nullptr;
                return std::make_unique<can::InProcessTransport>(bus);
            });
        resetProgramState();
    }
    ~BusRig() {
        unloadCanOpen();
        can::CanInterface::setTransportFactory({});
        clearBusHooks();
        resetProgramState();
    }

    static void resetProgramState() {
        g_KEVMode = g_TOQMode = false;
        g_mBusMode = false;
        g_cobIdBootloader = g_cobIdBootloaderSbus = g_cobIdApplication = 0;
        g_canInterfaceVersion = QStringLiteral("2");
        g_moduleDetected = false;
        g_varIds = VarIds{};
        modHeartBeatControl::g_initialise();
    }

    CanOpenMaster& master() { return frmCANopen(); }

    // Opens the bus as connection set-up does; then 10 ms pass.
    bool open(const QString& busText, bool lorin = false, quint8 board = 255) {
        double version = 0;
        const bool ok = master().g_initialise(log.target(), version, busText, lorin, board);
        g_canInterfaceVersion = QString::number(version);
        time.runFor(10);
        return ok;
    }

    void inject(const can::CanFrame& frame) { bus.send(injector, frame); }

    QList<can::CanFrame> framesOn(int id = -1) const {
        QList<can::CanFrame> out;
        for (const Heard& h : heard) {
            if (id < 0 || h.frame.id == quint32(id))
                out << h.frame;
        }
        return out;
    }

    VirtualTime time;
    ScriptedDialogs dialogs;
    can::InProcessBus bus;
    sim::Bus modules;
    sim::ServiceChannel service;
    can::InProcessBus::EndpointId injector = 0;
    QList<Heard> heard;
    TargetLog log;

private:
    std::set<int> m_boards;
};

inline can::CanFrame frameOf(quint32 id, std::initializer_list<quint8> bytes) {
    can::CanFrame f{id, quint8(bytes.size()), {}};
    std::copy(bytes.begin(), bytes.end(), f.data.begin());
    return f;
}

inline QByteArray bytesOf(const can::CanFrame& f) {
    return QByteArray(reinterpret_cast<const char*>(f.data.data()), f.length);
}

} // namespace pxu::test
