#include "can_channel.h"

#include <QCanBus>

namespace pxu::sim {

CanChannel::CanChannel(QString channel, Bus& bus, QObject* parent)
    : QObject(parent)
    , m_channel(std::move(channel))
    , m_bus(bus) {}

CanChannel::~CanChannel() {
    m_bus.setSend({});
    close();
}

void CanChannel::open() {
    const qsizetype colon = m_channel.indexOf(QLatin1Char(':'));
    if (colon <= 0) {
        emit failed(QStringLiteral("channel must be PLUGIN:INTERFACE"));
        return;
    }
    QString error;
    m_device.reset(
        QCanBus::instance()->createDevice(m_channel.left(colon), m_channel.mid(colon + 1), &error));
    if (!m_device) {
        emit failed(error.isEmpty() ? QStringLiteral("no such CAN plugin") : error);
        return;
    }
    connect(m_device.get(), &QCanBusDevice::stateChanged, this, &CanChannel::onStateChanged);
    connect(m_device.get(), &QCanBusDevice::errorOccurred, this, &CanChannel::onError);
    connect(m_device.get(), &QCanBusDevice::framesReceived, this, &CanChannel::onFramesReceived);
    m_bus.setSend([this](const can::CanFrame& f) { write(f); });
    if (!m_device->connectDevice())
        emit failed(m_device->errorString());
}

void CanChannel::close() {
    if (m_device) {
        m_device->disconnect(this);
        if (m_device->state() != QCanBusDevice::UnconnectedState)
            m_device->disconnectDevice();
    }
}

bool CanChannel::isConnected() const {
    return m_device && m_device->state() == QCanBusDevice::ConnectedState;
}

void CanChannel::onStateChanged(QCanBusDevice::CanBusDeviceState state) {
    if (state == QCanBusDevice::ConnectedState && !m_wasConnected) {
        m_wasConnected = true;
        emit connected();
    } else if (state == QCanBusDevice::UnconnectedState && m_wasConnected) {
        emit lost(m_device->errorString());
    }
}

void CanChannel::onError(QCanBusDevice::CanBusError error) {
    if (!m_wasConnected && error == QCanBusDevice::ConnectionError)
        emit failed(m_device->errorString());
}

void CanChannel::onFramesReceived() {
    while (m_device && m_device->framesAvailable() > 0) {
        const QCanBusFrame frame = m_device->readFrame();
        if (frame.frameType() != QCanBusFrame::DataFrame || frame.hasExtendedFrameFormat() ||
            frame.hasFlexibleDataRateFormat())
            continue;
        can::CanFrame f;
        f.id = frame.frameId();
        const QByteArray payload = frame.payload();
        f.length = quint8(std::min<qsizetype>(payload.size(), 8));
        std::copy_n(payload.constBegin(), f.length, f.data.begin());
        m_bus.receive(f);
    }
}

void CanChannel::write(const can::CanFrame& frame) {
    if (!isConnected())
        return;
    const QByteArray payload(reinterpret_cast<const char*>(frame.data.data()),
                             std::min<int>(frame.length, 8));
    m_device->writeFrame(QCanBusFrame(frame.id, payload));
}

} // namespace pxu::sim
