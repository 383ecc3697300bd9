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
// frame's WriteDone runs once it was written, given up or dropped. The channel is lost when
// the device leaves its connected state unasked (a virtualcan host ended), reports bus-off,
// or, for socketcan, whose device stays connected, when its interface goes down or away;
// from then on no frame is written any more.
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
    // True once the channel is lost; a socketcan interface is looked at first.
    bool checkLost();
    void lose(const QString& why);
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
    QTimer m_watch; // socketcan: the interface's state, also while nothing is written
    QString m_interfaceName;
    bool m_socketcan = false;
    QElapsedTimer m_blockedSince;
    bool m_writing = false;
    bool m_closing = false;
    bool m_lost = false;
};

} // namespace pxu::can
