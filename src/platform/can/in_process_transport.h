#pragma once

#include "can_transport.h"
#include "in_process_bus.h"

namespace pxu::can {

// The interface's endpoint on an in-process bus. A bus with a bit rate refuses to open at
// another one, as a node at the wrong bit rate would never take part.
class InProcessTransport : public CanTransport {
public:
    explicit InProcessTransport(InProcessBus& bus, QString name = QStringLiteral("in-process bus"));
    ~InProcessTransport() override;

    qint32 open(int bitRateKbit, Handlers handlers, QString* errorText) override;
    void close() override;
    // The bus takes every frame at once: written.
    bool send(const CanFrame& frame, WriteDone done) override;
    QString channelName() const override { return m_name; }

private:
    InProcessBus& m_bus;
    QString m_name;
    Handlers m_handlers;
    InProcessBus::EndpointId m_endpoint = 0;
};

} // namespace pxu::can
