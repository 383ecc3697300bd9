#pragma once

#include "bus/can_open_master.h"
#include "platform/can/can_interface.h"
#include "platform/can/in_process_bus.h"
#include "platform/can/in_process_transport.h"
#include "sim/auto_download_master.h"
#include "sim/bus.h"
#include "sim/service_channel.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_time.h"

#include <array>
#include <memory>
#include <optional>

namespace pxu::test {

// The tool's two USB-to-CAN boards, each on a bus of simulated modules of its own, in
// virtual time. A board without a bus cannot be opened. The buses are untimed, so a board
// opens at either bus's bit rate and merely hears nobody on the wrong one. An M-Bus gets the
// spare's auto-download master.
class SimBoards {
public:
    struct Board {
        Board(VirtualTime& time, sim::BusKind kind)
            : bus(time)
            , modules(kind, time)
            , service(modules) {
            const auto id = bus.attach([this](const can::CanFrame& f) { modules.receive(f); });
            modules.setSend(bus.sender(id));
            bus.attach([this](const can::CanFrame& f) { heard.push_back(f); });
            if (kind == sim::BusKind::MBus)
                spare = std::make_unique<sim::AutoDownloadMaster>(modules, service);
        }
        // The SDO reads of an object the tool sent to a node.
        int sdoReads(int node, quint16 index) const {
            int reads = 0;
            for (const can::CanFrame& f : heard) {
                if (f.id == quint32(0x600 + node) && (f.data[0] & 0xE0) == 0x40 &&
                    f.data[1] == (index & 0xFF) && f.data[2] == (index >> 8))
                    ++reads;
            }
            return reads;
        }

        can::InProcessBus bus;
        sim::Bus modules;
        sim::ServiceChannel service;
        std::unique_ptr<sim::AutoDownloadMaster> spare;
        std::vector<can::CanFrame> heard;
    };

    SimBoards() {
        can::CanInterface::setTransportFactory(
            [this](int board) -> std::unique_ptr<can::CanTransport> {
                if (board < 0 || board > 1 || !m_boards[board])
                    return nullptr;
                return std::make_unique<can::InProcessTransport>(m_boards[board]->bus);
            });
    }
    ~SimBoards() {
        unloadCanOpen(); // its transport leads to a bus of ours
        can::CanInterface::setTransportFactory({});
    }

    Board& add(int board, sim::BusKind kind) {
        m_boards.at(board) = std::make_unique<Board>(time, kind);
        return *m_boards[board];
    }
    Board& board(int board) { return *m_boards.at(board); }

    VirtualTime time;
    ScriptedDialogs dialogs;

private:
    std::array<std::unique_ptr<Board>, 2> m_boards;
};

} // namespace pxu::test
