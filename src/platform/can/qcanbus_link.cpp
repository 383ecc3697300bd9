#include "qcanbus_link.h"

#include "can_result.h"
#include "platform/clock/clock.h"
#include "socketcan_state.h"

#include <QCanBus>
#include <QCanBusFrame>
#include <QEventLoop>
#include <algorithm>

namespace pxu::can {

namespace {

constexpr qint64 kConnectWaitMs = 3000;
constexpr qint64 kWriteGiveUpMs = 1000;
// Real time: the interface goes down in the world, not in the program's time.
constexpr int kInterfaceWatchMs = 200;

// The device waits in wall time; a virtual clock has none to give, so it gets the full wait.
int realWaitMs(qint64 programMs) {
    const double real = clock().realMs(programMs);
    return int(real > 0 ? std::max(1.0, real) : double(programMs));
}

qint32 codeOf(QCanBusDevice::CanBusError error) {
    switch (error) {
    case QCanBusDevice::ReadError:
    case QCanBusDevice::WriteError:
    case QCanBusDevice::TimeoutError:
        return result::kTransmissionError;
    case QCanBusDevice::ConnectionError:
        return result::kHardwareError;
    case QCanBusDevice::ConfigurationError:
        return result::kParameterError;
    default:
        return result::kInterfaceError;
    }
}

} // namespace

QCanBusLink::QCanBusLink() {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &QCanBusLink::flush);
    connect(&m_watch, &QTimer::timeout, this, &QCanBusLink::checkLost);
}

QCanBusLink::~QCanBusLink() {
    close();
}

qint32 QCanBusLink::open(const CanChannel& channel, int bitRateKbit,
                         CanTransport::Handlers handlers, QString* errorText,
                         QString* serialNumber) {
    m_name = channel.plugin + QLatin1Char(':') + channel.interfaceName;
    QString why;
    m_device.reset(QCanBus::instance()->createDevice(channel.plugin, channel.interfaceName, &why));
    if (!m_device) {
        *errorText = QStringLiteral("CAN channel %1 cannot be created: %2").arg(m_name, why);
        return result::kHardwareError;
    }
    if (channel.plugin != QLatin1String("socketcan") &&
        channel.plugin != QLatin1String("virtualcan"))
        m_device->setConfigurationParameter(QCanBusDevice::BitRateKey, bitRateKbit * 1000);

    if (!m_device->connectDevice()) {
        *errorText = QStringLiteral("CAN channel %1 cannot be opened: %2")
                         .arg(m_name, m_device->errorString());
        m_device.reset();
        return result::kHardwareError;
    }
    if (m_device->state() != QCanBusDevice::ConnectedState) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(m_device.get(), &QCanBusDevice::stateChanged, &loop,
                [&loop](QCanBusDevice::CanBusDeviceState state) {
                    if (state == QCanBusDevice::ConnectedState ||
                        state == QCanBusDevice::UnconnectedState)
                        loop.quit();
                });
        limit.start(realWaitMs(kConnectWaitMs));
        if (m_device->state() == QCanBusDevice::ConnectingState)
            loop.exec();
    }
    if (m_device->state() != QCanBusDevice::ConnectedState) {
        const QString detail = m_device->errorString().isEmpty()
                                   ? QStringLiteral("not connected after %1 ms").arg(kConnectWaitMs)
                                   : m_device->errorString();
        *errorText = QStringLiteral("CAN channel %1 cannot be opened: %2").arg(m_name, detail);
        m_device->disconnectDevice();
        m_device.reset();
        return result::kHardwareError;
    }

    *serialNumber = m_device->deviceInfo().serialNumber();
    m_handlers = std::move(handlers);
    m_closing = false;
    m_lost = false;
    connect(m_device.get(), &QCanBusDevice::framesReceived, this, &QCanBusLink::readFrames);
    connect(m_device.get(), &QCanBusDevice::errorOccurred, this, &QCanBusLink::deviceError);
    connect(m_device.get(), &QCanBusDevice::stateChanged, this, &QCanBusLink::stateChanged);
    m_socketcan = channel.plugin == QLatin1String("socketcan");
    m_interfaceName = channel.interfaceName;
    if (m_socketcan)
        m_watch.start(kInterfaceWatchMs);
    return result::kSuccess;
}

void QCanBusLink::close() {
    m_closing = true;
    m_retry.stop();
    m_watch.stop();
    dropOutbox();
    m_handlers = {};
    if (m_device) {
        m_device->disconnect(this);
        // A lost virtualcan device is unconnected already and would say so on the console.
        if (m_device->state() != QCanBusDevice::UnconnectedState)
            m_device->disconnectDevice();
        m_device.reset();
    }
}

void QCanBusLink::write(const CanFrame& frame, CanTransport::WriteDone done) {
    if (!m_device || m_lost) {
        if (done)
            done(false);
        return;
    }
    m_outbox.push_back(Outgoing{frame, std::move(done)});
    if (!m_retry.isActive())
        flush();
}

void QCanBusLink::dropOutbox() {
    std::deque<Outgoing> dropped;
    dropped.swap(m_outbox);
    for (Outgoing& outgoing : dropped) {
        if (outgoing.done)
            outgoing.done(false);
    }
}

void QCanBusLink::flush() {
    while (m_device && !m_outbox.empty()) {
        const CanFrame& next = m_outbox.front().frame;
        QCanBusFrame frame(next.id, QByteArray(reinterpret_cast<const char*>(next.data.data()),
                                               std::min<int>(next.length, 8)));
        m_writing = true;
        const bool written = m_device->writeFrame(frame);
        m_writing = false;
        if (written) {
            const CanTransport::WriteDone done = std::move(m_outbox.front().done);
            m_outbox.pop_front();
            m_blockedSince.invalidate();
            if (done)
                done(true);
            continue;
        }
        if (checkLost())
            return;
        // A full transmit queue drains within milliseconds; a dead channel does not.
        if (!m_blockedSince.isValid())
            m_blockedSince.start();
        if (m_blockedSince.elapsed() > kWriteGiveUpMs) {
            const auto dropped = m_outbox.size();
            m_blockedSince.invalidate();
            report(result::kTransmissionError,
                   QStringLiteral("CAN channel %1 takes no frames: %2 (%3 frames dropped)")
                       .arg(m_name, m_device->errorString())
                       .arg(dropped));
            dropOutbox();
            return;
        }
        m_retry.start(1);
        return;
    }
}

void QCanBusLink::readFrames() {
    if (!m_device)
        return;
    while (m_device && m_device->framesAvailable() > 0) {
        const QCanBusFrame frame = m_device->readFrame();
        if (frame.frameType() == QCanBusFrame::ErrorFrame &&
            frame.error().testFlag(QCanBusFrame::BusOffError)) {
            lose(QStringLiteral("the controller is bus-off"));
            return;
        }
        const QByteArray payload = frame.payload();
        if (!frame.isValid() || frame.frameType() != QCanBusFrame::DataFrame ||
            frame.hasExtendedFrameFormat() || frame.hasFlexibleDataRateFormat() ||
            frame.hasLocalEcho() || payload.size() > 8)
            continue;
        CanFrame received;
        received.id = frame.frameId();
        received.length = quint8(payload.size());
        std::copy(payload.begin(), payload.end(), received.data.begin());
        if (m_handlers.frame)
            m_handlers.frame(received);
    }
}

void QCanBusLink::deviceError(QCanBusDevice::CanBusError error) {
    // A refused write is retried by flush, which reports when it gives up.
    if (m_writing || error == QCanBusDevice::NoError || checkLost())
        return;
    report(codeOf(error),
           QStringLiteral("CAN channel %1: %2").arg(m_name, m_device->errorString()));
}

void QCanBusLink::stateChanged(QCanBusDevice::CanBusDeviceState state) {
    if (state == QCanBusDevice::UnconnectedState)
        lose(m_device->errorString());
}

bool QCanBusLink::checkLost() {
    if (!m_lost && m_socketcan && m_device) {
        if (const QString why = socketcanLossReason(socketcanInterfaceFlags(m_interfaceName));
            !why.isEmpty())
            lose(why);
    }
    return m_lost;
}

void QCanBusLink::lose(const QString& why) {
    if (m_closing || m_lost || !m_device)
        return;
    m_lost = true;
    m_retry.stop();
    m_watch.stop();
    QString text = QStringLiteral("CAN channel %1 was lost").arg(m_name);
    if (!why.isEmpty())
        text += QStringLiteral(": ") + why;
    report(result::kHardwareError, text);
    if (m_handlers.lost)
        m_handlers.lost(text);
    dropOutbox();
}

void QCanBusLink::report(qint32 code, const QString& text) {
    if (m_handlers.error)
        m_handlers.error(code, text);
}

} // namespace pxu::can
