#pragma once

#include "module.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace pxu::sim {

// The fifteen modules (0 to 14) of one CAN bus. Frames from the outside come in through
// receive(); what a module sends goes out through the send callback and, as on a real
// bus, to every other module. All modules start off.
class Bus {
public:
    using Send = std::function<void(const can::CanFrame&)>;
    using Listener = std::function<void(const can::CanFrame&)>;

    Bus(BusKind kind, Scheduler& scheduler, Send send = {});

    BusKind kind() const { return m_kind; }
    Scheduler& scheduler() { return m_scheduler; }
    void setSend(Send send) { m_send = std::move(send); }

    Module& module(int number);
    const Module& module(int number) const;

    // Sets the mode of modules first to last at once.
    void setModes(int first, int last, Mode mode);

    void receive(const can::CanFrame& frame);
    // Sees every frame on the bus, from outside and from the modules.
    void addListener(Listener listener) { m_listeners.push_back(std::move(listener)); }

private:
    void transmit(const Module* sender, const can::CanFrame& frame);

    BusKind m_kind;
    Scheduler& m_scheduler;
    Send m_send;
    std::vector<Listener> m_listeners;
    std::array<std::unique_ptr<Module>, kModuleCount> m_modules;
};

} // namespace pxu::sim
