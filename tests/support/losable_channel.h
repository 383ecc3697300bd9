#pragma once

#include "platform/can/can_interface.h"
#include "platform/can/can_result.h"
#include "platform/can/in_process_transport.h"

#include <functional>
#include <memory>

namespace pxu::test {

// The tool's channel to a simulated bus, which a test can lose as a USB-to-CAN converter
// pulled out or a killed virtualcan host is lost: from then on the channel takes no frame,
// hears none and has reported its loss once.
class LosableChannel {
public:
    explicit LosableChannel(can::InProcessBus& bus)
        : m_bus(bus) {}

    // The transport for the tool's board; each opening of the board gets a new one.
    std::unique_ptr<can::CanTransport> transport() {
        return std::make_unique<Transport>(m_bus, m_state);
    }
    // Makes it the channel of the tool's board for the openings that follow; no other board
    // opens.
    void install(int board = 0) {
        can::CanInterface::setTransportFactory(
            [this, board](int number) -> std::unique_ptr<can::CanTransport> {
                return number == board ? transport() : nullptr;
            });
    }
    void lose() {
        m_state->lost = true;
        const QString text = QStringLiteral("CAN channel in-process bus was lost");
        if (m_state->handlers.error)
            m_state->handlers.error(can::result::kHardwareError, text);
        if (m_state->handlers.lost)
            m_state->handlers.lost(text);
    }
    // The converter plugged in again: the next opening of the board works.
    void reconnect() { m_state->lost = false; }
    bool lost() const { return m_state->lost; }
    // Frames the tool tried to send after the loss, but for its own heartbeat, which goes
    // on as long as the tool runs.
    int refusedFrames() const { return m_state->refused; }

private:
    struct State {
        bool lost = false;
        int refused = 0;
        can::CanTransport::Handlers handlers; // the tool's, for the loss
    };

    static constexpr quint32 kToolHeartbeat = 0x700 + 9;

    class Transport : public can::CanTransport {
    public:
        Transport(can::InProcessBus& bus, std::shared_ptr<State> state)
            : m_inner(bus)
            , m_state(std::move(state)) {}
        qint32 open(int bitRateKbit, Handlers handlers, QString* errorText) override {
            m_state->handlers = handlers;
            auto heard = std::move(handlers.frame);
            handlers.frame = [state = m_state, heard](const can::CanFrame& frame) {
                if (!state->lost && heard)
                    heard(frame);
            };
            return m_inner.open(bitRateKbit, std::move(handlers), errorText);
        }
        void close() override {
            m_state->handlers = {};
            m_inner.close();
        }
        bool send(const can::CanFrame& frame, WriteDone done) override {
            if (m_state->lost) {
                if (frame.id != kToolHeartbeat)
                    ++m_state->refused;
                return false;
            }
            return m_inner.send(frame, std::move(done));
        }
        QString channelName() const override { return m_inner.channelName(); }

    private:
        can::InProcessTransport m_inner;
        std::shared_ptr<State> m_state;
    };

    can::InProcessBus& m_bus;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace pxu::test
