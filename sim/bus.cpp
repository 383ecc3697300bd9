#include "bus.h"

#include <stdexcept>

namespace pxu::sim {

Bus::Bus(BusKind kind, Scheduler& scheduler, Send send)
    : m_kind(kind)
    , m_scheduler(scheduler)
    , m_send(std::move(send)) {
    for (int m = 0; m < kModuleCount; ++m) {
        m_modules[m] =
            std::make_unique<Module>(kind, m, scheduler, [this, m](const can::CanFrame& f) {
                transmit(m_modules[m].get(), f);
            });
    }
}

Module& Bus::module(int number) {
    if (number < 0 || number >= kModuleCount)
        throw std::out_of_range("module number");
    return *m_modules[number];
}

const Module& Bus::module(int number) const {
    if (number < 0 || number >= kModuleCount)
        throw std::out_of_range("module number");
    return *m_modules[number];
}

void Bus::setModes(int first, int last, Mode mode) {
    for (int m = std::max(first, 0); m <= std::min(last, kModuleCount - 1); ++m)
        m_modules[m]->setMode(mode);
}

void Bus::receive(const can::CanFrame& frame) {
    for (const auto& listener : m_listeners)
        listener(frame);
    for (const auto& module : m_modules)
        module->receive(frame);
}

void Bus::transmit(const Module* sender, const can::CanFrame& frame) {
    if (m_send)
        m_send(frame);
    for (const auto& listener : m_listeners)
        listener(frame);
    for (const auto& module : m_modules) {
        if (module.get() != sender)
            module->receive(frame);
    }
}

} // namespace pxu::sim
