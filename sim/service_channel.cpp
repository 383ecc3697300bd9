#include "service_channel.h"

#include <stdexcept>

namespace pxu::sim {

ServiceChannel::ServiceChannel(Bus& bus, qint64 reportPeriodUs)
    : m_bus(bus)
    , m_reportPeriodUs(reportPeriodUs) {
    for (int m = 0; m < kModuleCount; ++m)
        m_bus.module(m).setFrameHandler(
            [this](Module& module, const can::CanFrame& f) { return receive(module, f); });
}

ServiceChannel::~ServiceChannel() {
    for (int m = 0; m < kModuleCount; ++m) {
        stopReports(m);
        m_bus.module(m).setFrameHandler({});
    }
}

ServiceChannel::ModuleChannel& ServiceChannel::channel(int module) {
    if (module < 0 || module >= kModuleCount)
        throw std::out_of_range("module number");
    return m_channels[module];
}

const ServiceChannel::ModuleChannel& ServiceChannel::channel(int module) const {
    if (module < 0 || module >= kModuleCount)
        throw std::out_of_range("module number");
    return m_channels[module];
}

void ServiceChannel::setVariable(int module, quint16 id, quint32 value) {
    channel(module).variables[id & 0xFFF] = value;
}

std::optional<quint32> ServiceChannel::variable(int module, quint16 id) const {
    const auto& variables = channel(module).variables;
    const auto it = variables.find(id & 0xFFF);
    if (it == variables.end())
        return std::nullopt;
    return it->second;
}

void ServiceChannel::removeVariable(int module, quint16 id) {
    channel(module).variables.erase(id & 0xFFF);
}

bool ServiceChannel::reporting(int module, quint16 id) const {
    return channel(module).reports.count(id & 0xFFF) > 0;
}

quint8 ServiceChannel::userLevel(int module) const {
    return channel(module).userLevel;
}

int ServiceChannel::toolHeartbeats(int module) const {
    return channel(module).toolHeartbeats;
}

void ServiceChannel::addSymbolListener(SymbolListener listener) {
    m_symbolListeners.push_back(std::move(listener));
}

void ServiceChannel::addServiceBitListener(ServiceBitListener listener) {
    m_serviceBitListeners.push_back(std::move(listener));
}

void ServiceChannel::setFrameHandler(int module, Module::FrameHandler handler) {
    channel(module).fallback = std::move(handler);
}

bool ServiceChannel::receive(Module& module, const can::CanFrame& frame) {
    ModuleChannel& ch = channel(module.number());
    bool taken = false;
    if (module.mode() == Mode::Application) {
        if (frame.id == kServiceChannelId) {
            taken = onServiceChannel(module, frame);
        } else if (frame.id == kUserLevelId && frame.length >= 1) {
            ch.userLevel = frame.data[0] & 0x7F;
            taken = true;
        } else if (frame.id == 0x700u + kToolNode && frame.length >= 1) {
            ++ch.toolHeartbeats;
            taken = true;
        }
    }
    if (!taken && ch.fallback)
        taken = ch.fallback(module, frame);
    return taken;
}

bool ServiceChannel::onServiceChannel(Module& module, const can::CanFrame& frame) {
    if (frame.length < 5)
        return false;
    const quint16 fullId = quint16(frame.data[0] | frame.data[1] << 8);
    if (fullId >> 12 != module.number())
        return false;
    const quint16 id = fullId & 0xFFF;
    switch (frame.data[3]) {
    case kServiceBit:
        switchReport(module, id, frame.data[4] != 0);
        return true;
    case kWriteSymbol: {
        if (frame.length < 8)
            return false;
        const quint32 value = quint32(frame.data[4]) | quint32(frame.data[5]) << 8 |
                              quint32(frame.data[6]) << 16 | quint32(frame.data[7]) << 24;
        channel(module.number()).variables[id] = value;
        m_written << WrittenSymbol{module.number(), id, value};
        for (const auto& listener : m_symbolListeners)
            listener(module.number(), id, value);
        return true;
    }
    default:
        return false;
    }
}

void ServiceChannel::switchReport(Module& module, quint16 id, bool on) {
    ModuleChannel& ch = channel(module.number());
    const auto it = ch.reports.find(id);
    if (it != ch.reports.end()) {
        m_bus.scheduler().cancel(it->second);
        ch.reports.erase(it);
    }
    if (on) {
        const int m = module.number();
        ch.reports[id] = m_bus.scheduler().callAfter(module.config().answerDelayUs,
                                                     [this, m, id] { reportAndRepeat(m, id); });
    }
    for (const auto& listener : m_serviceBitListeners)
        listener(module.number(), id, on);
}

void ServiceChannel::reportAndRepeat(int module, quint16 id) {
    ModuleChannel& ch = channel(module);
    if (m_bus.module(module).mode() != Mode::Application) {
        stopReports(module);
        return;
    }
    report(module, id);
    ch.reports[id] = m_bus.scheduler().callAfter(
        m_reportPeriodUs, [this, module, id] { reportAndRepeat(module, id); });
}

void ServiceChannel::stopReports(int module) {
    ModuleChannel& ch = channel(module);
    for (const auto& [id, task] : ch.reports)
        m_bus.scheduler().cancel(task);
    ch.reports.clear();
}

void ServiceChannel::report(int module, quint16 id) {
    Module& m = m_bus.module(module);
    const auto value = variable(module, id);
    if (!value || m.mode() != Mode::Application)
        return;
    id &= 0xFFF;
    can::CanFrame f{kVariableValueId, 8, {}};
    f.data[0] = quint8(id & 0xFF);
    f.data[1] = quint8((id >> 8) | module << 4);
    for (int k = 0; k < 4; ++k)
        f.data[4 + k] = quint8(*value >> (8 * k));
    m.send(f);
}

} // namespace pxu::sim
