#include "in_process_transport.h"

#include "can_result.h"

namespace pxu::can {

InProcessTransport::InProcessTransport(InProcessBus& bus, QString name)
    : m_bus(bus)
    , m_name(std::move(name)) {}

InProcessTransport::~InProcessTransport() {
    close();
}

qint32 InProcessTransport::open(int bitRateKbit, Handlers handlers, QString* errorText) {
    close();
    if (m_bus.bitRateKbit() > 0 && bitRateKbit != m_bus.bitRateKbit()) {
        if (errorText)
            *errorText = QStringLiteral("%1 runs at %2 kbit/s, not at %3 kbit/s")
                             .arg(m_name)
                             .arg(m_bus.bitRateKbit())
                             .arg(bitRateKbit);
        return result::kParameterError;
    }
    m_handlers = std::move(handlers);
    m_endpoint = m_bus.attach([this](const CanFrame& frame) {
        if (m_handlers.frame)
            m_handlers.frame(frame);
    });
    return result::kSuccess;
}

void InProcessTransport::close() {
    if (m_endpoint) {
        m_bus.detach(m_endpoint);
        m_endpoint = 0;
    }
    m_handlers = {};
}

bool InProcessTransport::send(const CanFrame& frame, WriteDone done) {
    if (!m_endpoint)
        return false;
    m_bus.send(m_endpoint, frame);
    if (done)
        done(true);
    return true;
}

} // namespace pxu::can
