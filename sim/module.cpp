#include "module.h"

namespace pxu::sim {

class Module::NodeObjects : public ObjectAccess {
public:
    NodeObjects(Module& module, Role role)
        : m_module(module)
        , m_role(role) {}
    SdoAbort read(quint16 index, quint8 sub, QByteArray& value) override {
        return m_module.readObject(m_role, index, sub, value);
    }
    SdoAbort checkWrite(quint16 index, quint8 sub, std::optional<qint64> size) override {
        return m_module.checkWriteObject(m_role, index, sub, size);
    }
    SdoAbort write(quint16 index, quint8 sub, const QByteArray& value) override {
        return m_module.writeObject(m_role, index, sub, value);
    }

private:
    Module& m_module;
    Role m_role;
};

Module::Module(BusKind bus, int number, Scheduler& scheduler, Transmit transmit)
    : m_bus(bus)
    , m_type(moduleType(bus))
    , m_number(number)
    , m_scheduler(scheduler)
    , m_transmit(std::move(transmit))
    , m_sections(defaultSections(bus, number))
    , m_loader(m_type, scheduler, m_sections, m_config, m_faults) {
    const auto send = [this](const can::CanFrame& f) { this->send(f); };
    const auto delay = [this] { return answerDelayUs(); };
    m_applicationObjects = std::make_unique<NodeObjects>(*this, Role::Application);
    m_bootloaderObjects = std::make_unique<NodeObjects>(*this, Role::Bootloader);
    m_applicationServer = std::make_unique<SdoServer>(sim::applicationNode(bus, number), scheduler,
                                                      *m_applicationObjects, send, delay);
    m_bootloaderServer = std::make_unique<SdoServer>(sim::bootloaderNode(bus, number), scheduler,
                                                     *m_bootloaderObjects, send, delay);
    if (const auto node = hardwareVersionNode(bus, number)) {
        m_hardwareObjects = std::make_unique<NodeObjects>(*this, Role::HardwareVersion);
        m_hardwareServer =
            std::make_unique<SdoServer>(*node, scheduler, *m_hardwareObjects, send, delay);
    }
}

Module::~Module() {
    leaveMode();
    m_scheduler.cancel(m_switchTask);
    m_scheduler.cancel(m_offTask);
}

quint8 Module::applicationNode() const {
    return sim::applicationNode(m_bus, m_number);
}

quint8 Module::bootloaderNode() const {
    return sim::bootloaderNode(m_bus, m_number);
}

qint64 Module::answerDelayUs() const {
    return m_config.answerDelayUs + m_faults.slowAnswerUs;
}

const StoredSection& Module::section(int number) const {
    static const StoredSection none;
    const auto it = m_sections.find(number);
    return it == m_sections.end() ? none : it->second;
}

void Module::setSection(int number, QByteArray infoBlock, QByteArray image) {
    m_sections[number] = {std::move(infoBlock), std::move(image)};
}

void Module::setMode(Mode mode) {
    m_scheduler.cancel(m_switchTask);
    m_switchTask = 0;
    leaveMode();
    enterMode(mode);
}

void Module::switchMode(Mode mode, qint64 delayUs) {
    leaveMode();
    m_scheduler.cancel(m_switchTask);
    m_switchTask = m_scheduler.callAfter(delayUs, [this, mode] {
        m_switchTask = 0;
        enterMode(mode);
    });
}

void Module::leaveMode() {
    m_scheduler.cancel(m_heartbeatTask);
    m_heartbeatTask = 0;
    m_applicationServer->reset();
    m_bootloaderServer->reset();
    if (m_hardwareServer)
        m_hardwareServer->reset();
    m_loader.reset();
    m_uploadOffset.clear();
    m_mode = Mode::Off;
    m_nmtState = NmtState::Stopped;
}

void Module::enterMode(Mode mode) {
    m_mode = mode;
    if (mode == Mode::Off)
        return;
    if (mode == Mode::Bootloader) {
        // Block transfer came with bootloader 3.0.
        const QByteArray& v = m_config.bootloaderVersion;
        m_bootloaderServer->settings().blockTransfer =
            v.size() >= 2 && v[0] >= '3' && v[0] <= '9' && v[1] == '.';
    }
    sendNmtState(NmtState::BootUp);
    m_nmtState = m_config.startOperational ? NmtState::Operational : NmtState::PreOperational;
    startHeartbeat();
}

bool Module::sendsHeartbeat() const {
    return m_mode == Mode::Application ||
           (m_mode == Mode::Bootloader && bootloaderSendsHeartbeat(m_bus, m_number));
}

void Module::sendNmtState(NmtState state) {
    if (m_faults.noHeartbeat)
        return;
    can::CanFrame f;
    f.length = 1;
    f.data[0] = quint8(state);
    if (sendsHeartbeat()) {
        f.id = 0x700u + (m_mode == Mode::Application ? applicationNode() : bootloaderNode());
        send(f);
    }
    if (m_mode == Mode::Bootloader && m_faults.oldBootloaderHeartbeat) {
        f.id = 0x700u + kOldBootloaderNode;
        send(f);
    }
}

void Module::startHeartbeat() {
    m_scheduler.cancel(m_heartbeatTask);
    m_heartbeatTask = 0;
    if (m_mode == Mode::Off || m_config.heartbeatMs == 0)
        return;
    m_heartbeatTask =
        m_scheduler.callAfter(qint64(m_config.heartbeatMs) * 1000, [this] { sendHeartbeat(); });
}

void Module::sendHeartbeat() {
    m_heartbeatTask = 0;
    sendNmtState(m_nmtState);
    startHeartbeat();
}

void Module::send(const can::CanFrame& frame) {
    if (m_mode == Mode::Off || m_faults.silent || !m_transmit)
        return;
    m_transmit(frame);
}

bool Module::answersNode(quint8 node) const {
    if (m_mode == Mode::Application)
        return node == applicationNode();
    if (m_mode == Mode::Bootloader)
        return node == bootloaderNode();
    return false;
}

SdoServer* Module::serverFor(quint32 cobId) {
    if (m_mode == Mode::Application) {
        if (cobId == m_applicationServer->requestId())
            return m_applicationServer.get();
        if (m_hardwareServer && cobId == m_hardwareServer->requestId())
            return m_hardwareServer.get();
    }
    if (m_mode == Mode::Bootloader && cobId == m_bootloaderServer->requestId())
        return m_bootloaderServer.get();
    return nullptr;
}

void Module::receive(const can::CanFrame& frame) {
    if (m_mode == Mode::Off || m_faults.silent)
        return;
    if (frame.id == 0x000) {
        onNmt(frame);
        return;
    }
    if (SdoServer* server = serverFor(frame.id)) {
        server->settings().shortBlockAcknowledge = m_faults.shortBlockAcknowledge;
        if (m_nmtState != NmtState::Stopped)
            server->receive(frame);
        return;
    }
    if (m_frameHandler)
        m_frameHandler(*this, frame);
}

void Module::onNmt(const can::CanFrame& frame) {
    if (frame.length < 2)
        return;
    const quint8 node = frame.data[1];
    if (node != 0 && !answersNode(node))
        return;
    switch (frame.data[0]) {
    case 0x01:
        m_nmtState = NmtState::Operational;
        break;
    case 0x02:
        m_nmtState = NmtState::Stopped;
        break;
    case 0x80:
        m_nmtState = NmtState::PreOperational;
        break;
    case 0x81: // reset node
    case 0x82: // reset communication
        setMode(m_mode);
        break;
    default:
        break;
    }
}

} // namespace pxu::sim
