#pragma once

#include "board_info.h"
#include "can_result.h"
#include "can_transport.h"
#include "receive_queue.h"
#include "sdo_client.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <atomic>
#include <memory>

namespace pxu::can {

// The CAN interface: board driver and CANopen master (SDO client, NMT start, raw frames,
// heartbeat, receive queue) over a transport. Every operation returns a result code
// (can_result.h) and never blocks longer than its SDO time-outs or a bounded channel open;
// before initBoard and after stopCan each returns kInterfaceError at once, and between
// initBoard and startCan the bus operations return kPassiveMode.
//
// Results of SDO transfers:
//   kSuccess           the transfer completed
//   kGeneralError      it failed on the bus: an answer did not come within the SDO time-out
//                      (the client sent abort 0x05040000), the server aborted, or its
//                      answers broke the protocol or exceeded the 1 MiB upload cap (the
//                      client sent an abort); lastAbortCode() tells which
//   kTransmissionError the transport did not write a frame
//   kHardwareError     the channel is lost (see below)
//   kParameterError    node above 127 or index above 0xFFFF
//   kResourceError     another transfer is running (a call from a second thread)
// The SDO time-out (200 ms at start) applies to each expected answer, not to the transfer.
//
// sendMessage, sendHeartbeat and startNode succeed only once the transport wrote the frame;
// they wait up to kWriteWaitMs for that. kTransmissionError: the transport refused it or
// did not write it in that time. A lost channel (the device went away unasked, a virtualcan
// host ended, a socketcan interface down, gone or bus-off) fails the running SDO transfer
// and every later bus call at once with kHardwareError, channelLost() set and
// lastErrorText() "CAN channel <name> was lost" (with ": <why>" where the channel says),
// until the next initBoard or stopCan.
//
// Threads: the object belongs to the window thread. Frames arrive on the transport's
// thread; signalEvent and errorEvent are raised on the window thread. An SDO transfer
// holds its caller until it ends and passes no window events meanwhile.
class CanInterface : public QObject {
    Q_OBJECT
public:
    explicit CanInterface(QObject* parent = nullptr);
    ~CanInterface() override;

    // Which transport later initBoard calls get; an empty factory restores the default,
    // QCanBusTransport::forBoard (PXU_CAN_BOARD<n>, else socketcan:can<n>).
    static void setTransportFactory(TransportFactory factory);

    // Board type and the fourth argument are accepted and not used. The bit rate is kept
    // and given to the transport, which refuses it where it knows the channel's own.
    qint32 initBoard(qint32 boardType, qint32 boardNumber, qint32 bitRateKbit, qint32 magic);
    qint32 initOption1(qint32 value);
    qint32 initOption2(qint32 value);
    qint32 initOption3(qint32 value);
    qint32 startCan();
    qint32 stopCan();

    // Upload. Block flag set: block transfer; else the segmented protocol, which the server
    // may answer expedited. data and size are filled on success only.
    qint32 readSdo(quint8 node, qint32 index, quint8 subIndex, QByteArray& data, qint32& size,
                   bool normal, bool block);
    // Download. Block flag set: block transfer; else expedited up to 4 bytes, segmented above.
    qint32 writeSdo(quint8 node, qint32 index, quint8 subIndex, const QByteArray& data, bool normal,
                    bool block);
    qint32 setSdoTimeout(qint32 ms);

    // The oldest received frame that is not an answer of the running SDO transfer, and how
    // many wait behind it. kQueueEmpty when none; kQueueOverrun once after frames were
    // dropped from a full queue (nothing is taken then).
    qint32 readMessage(qint32& cobId, QByteArray& data, qint32& waiting);
    // One standard frame of up to 8 bytes.
    qint32 sendMessage(qint32 cobId, const QByteArray& data);
    // Heartbeat on 0x700 + node, one byte state.
    qint32 sendHeartbeat(quint8 node, quint8 state);
    // NMT start of a node, 0 for all.
    qint32 startNode(quint8 node);
    qint32 releaseNode(quint8 node);
    qint32 getBoardInfo(BoardInfo& info) const;

    // About the last SDO transfer.
    SdoOutcome lastSdoOutcome() const;
    SdoAbort lastAbortCode() const;
    // Why the last failing operation failed.
    QString lastErrorText() const;
    // The open channel went away: no frame passes until the board is opened again.
    bool channelLost() const { return m_channelLost; }
    // "CAN channel <name> was lost..." while it is.
    QString lostChannelText() const;
    int bitRateKbit() const;

    static constexpr qsizetype kReceiveQueueCapacity = 4096;
    static constexpr qint32 kDefaultSdoTimeoutMs = 200;
    static constexpr qint64 kWriteWaitMs = 100;

signals:
    // Received frames wait in the queue.
    void signalEvent();
    void errorEvent(int code, const QString& text);

private:
    enum class State { Closed, Initialised, Started };

    qint32 requireOpen() const;                 // under m_mutex
    qint32 requireStarted() const;              // under m_mutex
    qint32 beginSdo(quint8 node, qint32 index); // under m_mutex
    qint32 finishSdo();
    // Sends one frame and waits until it was written; takes m_mutex itself.
    qint32 sendFrame(const CanFrame& frame);
    qint32 fail(qint32 code, const QString& text);
    qint32 lostResult(); // under m_mutex
    // kParameterError, or what requireStarted answers before it.
    qint32 checkedParameter() const;
    void closeTransport();
    void frameArrived(const CanFrame& frame);  // transport thread
    void channelWentAway(const QString& text); // transport thread
    void postError(qint32 code, const QString& text);
    void raiseSignal();

    mutable QMutex m_mutex;
    State m_state = State::Closed;
    std::unique_ptr<CanTransport> m_transport;
    SdoClient m_sdo;
    ReceiveQueue m_queue{kReceiveQueueCapacity};
    int m_bitRateKbit = 0;
    // Set from the transport's thread as well.
    std::atomic<bool> m_sendFailed{false};
    std::atomic<bool> m_channelLost{false};
    bool m_signalPending = false;
    bool m_overrunReported = false;
    QString m_lastErrorText;
    QString m_lostText;
};

} // namespace pxu::can
