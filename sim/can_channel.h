#pragma once

#include "bus.h"

#include <QCanBusDevice>
#include <QObject>
#include <memory>

namespace pxu::sim {

// Joins a Qt SerialBus channel ("virtualcan:tcp://127.0.0.1:PORT/can0", "socketcan:can0")
// with a simulated bus: received frames go to the modules, the modules' frames go out.
class CanChannel : public QObject {
    Q_OBJECT
public:
    CanChannel(QString channel, Bus& bus, QObject* parent = nullptr);
    ~CanChannel() override;

    QString name() const { return m_channel; }
    // Starts connecting; connected() or failed() follows.
    void open();
    void close();
    bool isConnected() const;

signals:
    void connected();
    void failed(const QString& reason);
    // A connected channel lost its device.
    void lost(const QString& reason);

private:
    void onStateChanged(QCanBusDevice::CanBusDeviceState state);
    void onError(QCanBusDevice::CanBusError error);
    void onFramesReceived();
    void write(const can::CanFrame& frame);

    QString m_channel;
    Bus& m_bus;
    std::unique_ptr<QCanBusDevice> m_device;
    bool m_wasConnected = false;
};

} // namespace pxu::sim
