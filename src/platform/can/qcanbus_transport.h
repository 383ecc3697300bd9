#pragma once

#include "can_transport.h"

#include <atomic>

namespace pxu::can {

class QCanBusLink;

// A Qt SerialBus channel ("plugin:interface"). The device lives in the CAN I/O thread;
// frames reach the handlers there. open() waits a bounded time for the device to connect
// (virtualcan connects over TCP), so a missing channel fails instead of hanging.
// The bit rate is handed to plugins that take it; socketcan's comes from the system
// (ip link ... bitrate) and virtualcan has none, so neither can be checked.
class QCanBusTransport : public CanTransport {
public:
    explicit QCanBusTransport(QString channelText);
    ~QCanBusTransport() override;

    qint32 open(int bitRateKbit, Handlers handlers, QString* errorText) override;
    void close() override;
    bool send(const CanFrame& frame, WriteDone done) override;
    QString channelName() const override { return m_channelText; }
    QString serialNumber() const override { return m_serialNumber; }

    // The default factory: the channel of PXU_CAN_BOARD<n>, socketcan:can<n> without it.
    static std::unique_ptr<CanTransport> forBoard(int boardNumber);

private:
    QString m_channelText;
    QString m_serialNumber;
    std::atomic<QCanBusLink*> m_link{nullptr};
};

} // namespace pxu::can
