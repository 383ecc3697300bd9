#include "can_interface.h"

#include "can_interface_version.h"
#include "platform/clock/clock.h"
#include "qcanbus_transport.h"

#include <algorithm>

namespace pxu::can {

using namespace result;

namespace {

constexpr int kMaxNode = 127;
constexpr qint32 kMaxCobId = 0x7FF;
constexpr quint32 kNmtCobId = 0x000;
constexpr quint8 kNmtStart = 0x01;
constexpr quint32 kHeartbeatBase = 0x700;

TransportFactory& factorySlot() {
    static TransportFactory factory;
    return factory;
}

QString describe(quint8 node, qint32 index, quint8 subIndex) {
    return QStringLiteral("node %1 object 0x%2 sub-index %3")
        .arg(node)
        .arg(index, 4, 16, QLatin1Char('0'))
        .arg(subIndex);
}

QString frameText(const CanFrame& frame) {
    return QStringLiteral("frame 0x%1").arg(frame.id, 3, 16, QLatin1Char('0'));
}

} // namespace

CanInterface::CanInterface(QObject* parent)
    : QObject(parent)
    , m_sdo([this](const CanFrame& frame) {
        // Runs under m_mutex, from whichever thread drives the transfer; the transfer does
        // not wait for each write, a frame not written ends it.
        const auto written = [this](bool ok) {
            if (!ok) {
                m_sendFailed = true;
                clock().notify();
            }
        };
        if (!m_transport || !m_transport->send(frame, written))
            m_sendFailed = true;
    }) {
    m_sdo.setTimeoutMs(kDefaultSdoTimeoutMs);
}

CanInterface::~CanInterface() {
    closeTransport();
}

void CanInterface::setTransportFactory(TransportFactory factory) {
    factorySlot() = std::move(factory);
}

qint32 CanInterface::requireOpen() const {
    return m_state == State::Closed ? kInterfaceError : kSuccess;
}

qint32 CanInterface::requireStarted() const {
    switch (m_state) {
    case State::Closed:
        return kInterfaceError;
    case State::Initialised:
        return kPassiveMode;
    case State::Started:
        break;
    }
    return kSuccess;
}

qint32 CanInterface::fail(qint32 code, const QString& text) {
    {
        QMutexLocker lock(&m_mutex);
        m_lastErrorText = text;
    }
    postError(code, text);
    return code;
}

void CanInterface::postError(qint32 code, const QString& text) {
    QMetaObject::invokeMethod(
        this, [this, code, text] { emit errorEvent(code, text); }, Qt::QueuedConnection);
}

void CanInterface::raiseSignal() {
    {
        QMutexLocker lock(&m_mutex);
        m_signalPending = false;
    }
    emit signalEvent();
}

void CanInterface::closeTransport() {
    std::unique_ptr<CanTransport> old;
    {
        QMutexLocker lock(&m_mutex);
        old = std::move(m_transport);
        m_state = State::Closed;
        m_sdo.cancel();
        m_queue.clear();
        m_overrunReported = false;
    }
    // Unlocked: the transport's thread may be waiting for m_mutex in frameArrived.
    if (old)
        old->close();
    // Only now: the old channel may tell its loss until it is closed.
    m_channelLost = false;
}

// --- board ------------------------------------------------------------------------------

qint32 CanInterface::initBoard(qint32 boardType, qint32 boardNumber, qint32 bitRateKbit,
                               qint32 magic) {
    Q_UNUSED(boardType);
    Q_UNUSED(magic);
    closeTransport();
    if (bitRateKbit < 1 || bitRateKbit > 1000)
        return fail(kParameterError,
                    QStringLiteral("%1 kbit/s is no CAN bit rate").arg(bitRateKbit));
    if (boardNumber < 0)
        return fail(kParameterError, QStringLiteral("board number %1").arg(boardNumber));

    const TransportFactory& factory = factorySlot();
    std::unique_ptr<CanTransport> transport =
        factory ? factory(boardNumber) : QCanBusTransport::forBoard(boardNumber);
    if (!transport)
        return fail(kHardwareError, QStringLiteral("no CAN channel for board %1").arg(boardNumber));

    CanTransport::Handlers handlers;
    handlers.frame = [this](const CanFrame& frame) { frameArrived(frame); };
    handlers.error = [this](qint32 code, const QString& text) {
        {
            QMutexLocker lock(&m_mutex);
            m_lastErrorText = text;
        }
        postError(code, text);
    };
    handlers.lost = [this](const QString& text) { channelWentAway(text); };
    QString why;
    const qint32 opened = transport->open(bitRateKbit, std::move(handlers), &why);
    if (opened != kSuccess)
        return fail(opened, why);

    QMutexLocker lock(&m_mutex);
    m_transport = std::move(transport);
    m_state = State::Initialised;
    m_bitRateKbit = bitRateKbit;
    m_sdo.setBitRate(bitRateKbit);
    m_queue.clear();
    m_overrunReported = false;
    return kSuccess;
}

qint32 CanInterface::initOption1(qint32 value) {
    Q_UNUSED(value);
    QMutexLocker lock(&m_mutex);
    return requireOpen();
}

qint32 CanInterface::initOption2(qint32 value) {
    return initOption1(value);
}

qint32 CanInterface::initOption3(qint32 value) {
    return initOption1(value);
}

qint32 CanInterface::startCan() {
    QMutexLocker lock(&m_mutex);
    if (m_state == State::Started)
        return kAlreadyStarted;
    if (const qint32 r = requireOpen(); r != kSuccess)
        return r;
    m_queue.clear();
    m_state = State::Started;
    return kSuccess;
}

qint32 CanInterface::stopCan() {
    {
        QMutexLocker lock(&m_mutex);
        if (const qint32 r = requireOpen(); r != kSuccess)
            return r;
    }
    closeTransport();
    return kSuccess;
}

qint32 CanInterface::getBoardInfo(BoardInfo& info) const {
    QMutexLocker lock(&m_mutex);
    if (const qint32 r = requireOpen(); r != kSuccess)
        return r;
    const auto version = quint16(quint16(CanInterfaceVersion::kVersion) << 8);
    info = BoardInfo{};
    info.hardwareVersion = 0x0100;
    info.firmwareVersion = version;
    info.apiVersion = version;
    info.serialNumber = m_transport->serialNumber();
    info.hardwareName = m_transport->channelName();
    return kSuccess;
}

int CanInterface::bitRateKbit() const {
    QMutexLocker lock(&m_mutex);
    return m_bitRateKbit;
}

// --- SDO --------------------------------------------------------------------------------

qint32 CanInterface::setSdoTimeout(qint32 ms) {
    QMutexLocker lock(&m_mutex);
    if (const qint32 r = requireOpen(); r != kSuccess)
        return r;
    if (ms < 1)
        return kParameterError;
    m_sdo.setTimeoutMs(ms);
    return kSuccess;
}

qint32 CanInterface::beginSdo(quint8 node, qint32 index) {
    if (const qint32 r = requireStarted(); r != kSuccess)
        return r;
    if (node > kMaxNode || index < 0 || index > 0xFFFF)
        return kParameterError;
    if (m_sdo.busy())
        return kResourceError;
    if (m_channelLost)
        return lostResult();
    m_sendFailed = false;
    return kSuccess;
}

qint32 CanInterface::lostResult() {
    m_lastErrorText = m_lostText;
    return kHardwareError;
}

void CanInterface::channelWentAway(const QString& text) {
    {
        QMutexLocker lock(&m_mutex);
        m_lostText = text;
        m_lastErrorText = text;
        m_channelLost = true;
    }
    clock().notify();
}

qint32 CanInterface::readSdo(quint8 node, qint32 index, quint8 subIndex, QByteArray& data,
                             qint32& size, bool normal, bool block) {
    Q_UNUSED(normal);
    {
        QMutexLocker lock(&m_mutex);
        if (const qint32 r = beginSdo(node, index); r != kSuccess)
            return r;
        m_sdo.startUpload(node, sdo::Multiplexer{quint16(index), subIndex},
                          block ? SdoMode::Block : SdoMode::Normal, clock().nowUs());
    }
    const qint32 r = finishSdo();
    if (r != kSuccess) {
        QMutexLocker lock(&m_mutex);
        m_lastErrorText = QStringLiteral("upload from %1: %2")
                              .arg(describe(node, index, subIndex), m_lastErrorText);
        return r;
    }
    QMutexLocker lock(&m_mutex);
    data = m_sdo.uploaded();
    size = qint32(data.size());
    return r;
}

qint32 CanInterface::writeSdo(quint8 node, qint32 index, quint8 subIndex, const QByteArray& data,
                              bool normal, bool block) {
    Q_UNUSED(normal);
    {
        QMutexLocker lock(&m_mutex);
        if (const qint32 r = beginSdo(node, index); r != kSuccess)
            return r;
        m_sdo.startDownload(node, sdo::Multiplexer{quint16(index), subIndex}, data,
                            block ? SdoMode::Block : SdoMode::Normal, clock().nowUs());
    }
    const qint32 r = finishSdo();
    if (r != kSuccess) {
        QMutexLocker lock(&m_mutex);
        m_lastErrorText = QStringLiteral("download to %1: %2")
                              .arg(describe(node, index, subIndex), m_lastErrorText);
    }
    return r;
}

qint32 CanInterface::finishSdo() {
    Clock& c = clock();
    for (;;) {
        qint64 deadlineUs = 0;
        {
            QMutexLocker lock(&m_mutex);
            if (m_sendFailed || m_channelLost)
                m_sdo.cancel();
            m_sdo.advanceTo(c.nowUs());
            if (!m_sdo.busy())
                break;
            deadlineUs = m_sdo.deadlineUs();
        }
        // Answers move the deadline on; the loop then waits for the new one.
        const qint64 leftMs = std::max<qint64>(1, (deadlineUs - c.nowUs() + 999) / 1000);
        c.waitUntil(
            [this] {
                QMutexLocker lock(&m_mutex);
                return !m_sdo.busy() || m_sendFailed || m_channelLost;
            },
            leftMs);
    }
    QMutexLocker lock(&m_mutex);
    switch (m_sdo.outcome()) {
    case SdoOutcome::Done:
        return kSuccess;
    case SdoOutcome::Cancelled:
        if (m_channelLost)
            return lostResult();
        if (!m_sendFailed) {
            m_lastErrorText = QStringLiteral("the board was closed");
            return kInterfaceError;
        }
        [[fallthrough]];
    default:
        break;
    }
    if (m_sendFailed) {
        m_lastErrorText = QStringLiteral("the transport did not write a frame");
        return kTransmissionError;
    }
    const QString abortText = sdoAbortText(m_sdo.abortCode());
    const QString code =
        QStringLiteral("0x%1").arg(quint32(m_sdo.abortCode()), 8, 16, QLatin1Char('0'));
    switch (m_sdo.outcome()) {
    case SdoOutcome::TimedOut:
        m_lastErrorText = QStringLiteral("no answer within %1 ms, aborted with %2")
                              .arg(m_sdo.timeoutMs())
                              .arg(code);
        break;
    case SdoOutcome::Aborted:
        m_lastErrorText = QStringLiteral("aborted by the node, %1 (%2)").arg(code, abortText);
        break;
    default:
        m_lastErrorText = QStringLiteral("failed, %1 (%2)").arg(code, abortText);
        break;
    }
    return kGeneralError;
}

SdoOutcome CanInterface::lastSdoOutcome() const {
    QMutexLocker lock(&m_mutex);
    return m_sdo.outcome();
}

SdoAbort CanInterface::lastAbortCode() const {
    QMutexLocker lock(&m_mutex);
    return m_sdo.abortCode();
}

QString CanInterface::lastErrorText() const {
    QMutexLocker lock(&m_mutex);
    return m_lastErrorText;
}

QString CanInterface::lostChannelText() const {
    QMutexLocker lock(&m_mutex);
    return m_channelLost ? m_lostText : QString();
}

// --- frames -----------------------------------------------------------------------------

qint32 CanInterface::sendFrame(const CanFrame& frame) {
    // 0 while the frame waits, 1 written, -1 not written. Shared: the answer may come after
    // the wait has given up.
    const auto outcome = std::make_shared<std::atomic<int>>(0);
    {
        QMutexLocker lock(&m_mutex);
        if (const qint32 r = requireStarted(); r != kSuccess)
            return r;
        if (m_channelLost)
            return lostResult();
        const auto written = [outcome](bool ok) {
            *outcome = ok ? 1 : -1;
            clock().notify();
        };
        if (!m_transport->send(frame, written)) {
            m_lastErrorText = QStringLiteral("the transport refused ") + frameText(frame);
            return kTransmissionError;
        }
    }
    // Unlocked: frames keep arriving meanwhile.
    clock().waitUntil([&] { return *outcome != 0 || m_channelLost; }, kWriteWaitMs);
    if (*outcome == 1)
        return kSuccess;
    QMutexLocker lock(&m_mutex);
    if (m_channelLost)
        return lostResult();
    m_lastErrorText = frameText(frame) + QStringLiteral(" not written");
    if (*outcome == 0)
        m_lastErrorText += QStringLiteral(" within %1 ms").arg(kWriteWaitMs);
    return kTransmissionError;
}

qint32 CanInterface::sendMessage(qint32 cobId, const QByteArray& data) {
    if (cobId < 0 || cobId > kMaxCobId || data.size() > 8)
        return checkedParameter();
    CanFrame frame{quint32(cobId), quint8(data.size()), {}};
    std::copy(data.begin(), data.end(), frame.data.begin());
    return sendFrame(frame);
}

qint32 CanInterface::sendHeartbeat(quint8 node, quint8 state) {
    if (node > kMaxNode)
        return checkedParameter();
    return sendFrame(CanFrame{kHeartbeatBase + node, 1, {state}});
}

qint32 CanInterface::startNode(quint8 node) {
    if (node > kMaxNode)
        return checkedParameter();
    return sendFrame(CanFrame{kNmtCobId, 2, {kNmtStart, node}});
}

qint32 CanInterface::checkedParameter() const {
    // A closed or passive board answers so before any argument is looked at.
    QMutexLocker lock(&m_mutex);
    const qint32 r = requireStarted();
    return r != kSuccess ? r : kParameterError;
}

qint32 CanInterface::releaseNode(quint8 node) {
    QMutexLocker lock(&m_mutex);
    if (const qint32 r = requireOpen(); r != kSuccess)
        return r;
    return node > kMaxNode ? kParameterError : kSuccess;
}

qint32 CanInterface::readMessage(qint32& cobId, QByteArray& data, qint32& waiting) {
    QMutexLocker lock(&m_mutex);
    if (const qint32 r = requireOpen(); r != kSuccess)
        return r;
    CanFrame frame;
    const ReceiveQueue::Take taken = m_queue.take(&frame);
    waiting = qint32(m_queue.size());
    switch (taken) {
    case ReceiveQueue::Take::Empty:
        return kQueueEmpty;
    case ReceiveQueue::Take::Overrun:
        m_overrunReported = false;
        m_lastErrorText = QStringLiteral("received frames were dropped from the full queue");
        return kQueueOverrun;
    case ReceiveQueue::Take::Frame:
        break;
    }
    cobId = qint32(frame.id);
    data = QByteArray(reinterpret_cast<const char*>(frame.data.data()), frame.length);
    return kSuccess;
}

void CanInterface::frameArrived(const CanFrame& frame) {
    bool answer = false;
    bool signal = false;
    bool overrun = false;
    {
        QMutexLocker lock(&m_mutex);
        if (m_state != State::Started)
            return;
        if (m_sdo.isAnswer(frame)) {
            m_sdo.receive(frame, clock().nowUs());
            answer = true;
        } else if (m_queue.push(frame)) {
            signal = !m_signalPending;
            m_signalPending = true;
        } else {
            overrun = !m_overrunReported;
            m_overrunReported = true;
        }
    }
    if (answer)
        clock().notify();
    if (signal)
        QMetaObject::invokeMethod(this, &CanInterface::raiseSignal, Qt::QueuedConnection);
    if (overrun)
        postError(kQueueOverrun,
                  QStringLiteral("receive queue full (%1 frames): frames are dropped")
                      .arg(kReceiveQueueCapacity));
}

} // namespace pxu::can
