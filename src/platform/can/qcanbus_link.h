#pragma once

#include "can_channel.h"
#include "can_transport.h"

#include <QCanBusDevice>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <memory>

namespace pxu::can {

// The I/O-thread half of QCanBusTransport: owns the device, converts frames and keeps the
// frames the device could not take yet (a full socketcan queue) to write them again. Each
// frame's WriteDone runs once it was written, given up or dropped; after the device left
// its connected state unasked (the channel is lost) no frame is written any more.
class QCanBusLink : public QObject {
public:
    QCanBusLink();
    ~QCanBusLink() override;

    // Runs in the I/O thread.
    qint32 open(const CanChannel& channel, int bitRateKbit, CanTransport::Handlers handlers,
                QString* errorText, QString* serialNumber);
    void close();
    void write(const CanFrame& frame, CanTransport::WriteDone done);

private:
    void readFrames();
    void flush();
    void deviceError(QCanBusDevice::CanBusError error);
    void stateChanged(QCanBusDevice::CanBusDeviceState state);
    void report(qint32 code, const QString& text);
    // Every frame still waiting will not be written.
    void dropOutbox();

    struct Outgoing {
        CanFrame frame;
        CanTransport::WriteDone done;
    };

    std::unique_ptr<QCanBusDevice> m_device;
    CanTransport::Handlers m_handlers;
    QString m_name;
    std::deque<Outgoing> m_outbox;
    QTimer m_retry;
    QElapsedTimer m_blockedSince;
    bool m_writing = false;
    bool m_closing = false;
    bool m_lost = false;
};

} // namespace pxu::can
