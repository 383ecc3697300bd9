#pragma once

#include "object_access.h"
#include "platform/can/can_frame.h"
#include "platform/clock/scheduler.h"

#include <QByteArray>
#include <functional>
#include <map>
#include <optional>

namespace pxu::sim {

// The SDO server of one node: requests on 0x600 + node, answers on 0x580 + node.
// Expedited, segmented and block transfer both ways, as a state machine fed frames and
// time. Every answer leaves after the answer delay, in order.
class SdoServer {
public:
    using Send = std::function<void(const can::CanFrame&)>;

    struct Settings {
        quint8 blockSize = 127;       // segments per sub-block asked of the client
        bool blockTransfer = true;    // false: block requests are refused, as old firmware did
        qint64 timeoutUs = 1'000'000; // a stalled transfer is aborted after this
        qint64 maxDownload = 1 << 20; // larger downloads are refused for lack of memory
        bool shortBlockAcknowledge = false; // fault: the last segment of a sub-block is missed
    };

    SdoServer(quint8 node, Scheduler& scheduler, ObjectAccess& objects, Send send,
              std::function<qint64()> answerDelayUs);
    ~SdoServer();
    SdoServer(const SdoServer&) = delete;
    SdoServer& operator=(const SdoServer&) = delete;

    quint8 node() const { return m_node; }
    quint32 requestId() const { return 0x600u + m_node; }
    quint32 answerId() const { return 0x580u + m_node; }
    Settings& settings() { return m_settings; }

    // Takes a frame on requestId().
    void receive(const can::CanFrame& request);
    // Forgets the transfer and every answer not sent yet (the node reboots or goes away).
    void reset();
    bool busy() const { return m_state != State::Idle; }

private:
    enum class State {
        Idle,
        Download,
        Upload,
        BlockDownload,
        BlockDownloadEnd,
        BlockUploadStart,
        BlockUpload,
        BlockUploadEnd,
    };

    void startTransfer(const can::CanFrame& request);
    void initiateDownload(const can::CanFrame& request);
    void initiateUpload(const can::CanFrame& request);
    void initiateBlockDownload(const can::CanFrame& request);
    void initiateBlockUpload(const can::CanFrame& request);
    void onDownloadSegment(const can::CanFrame& request);
    void onUploadSegment(const can::CanFrame& request);
    void onBlockSegment(const can::CanFrame& request);
    void onBlockDownloadEnd(const can::CanFrame& request);
    void onBlockUploadStart(const can::CanFrame& request);
    void onBlockUploadAck(const can::CanFrame& request);
    void onBlockUploadEnd(const can::CanFrame& request);

    void startUploadAnswer(const QByteArray& value);
    void sendSubBlock();
    void finishDownload();
    void abort(SdoAbort code);
    void answer(const can::CanFrame& frame);
    can::CanFrame frame(quint8 command) const;
    void enter(State state);
    void cancelTimeout();

    quint8 m_node;
    Scheduler& m_scheduler;
    ObjectAccess& m_objects;
    Send m_send;
    std::function<qint64()> m_answerDelayUs;
    Settings m_settings;

    State m_state = State::Idle;
    quint16 m_index = 0;
    quint8 m_subIndex = 0;
    QByteArray m_data;
    std::optional<qint64> m_size;
    qint64 m_offset = 0;
    bool m_toggle = false;
    bool m_useCrc = false;
    quint8 m_blockSize = 0;
    quint8 m_nextSequence = 1;
    quint8 m_sentSegments = 0;
    bool m_lastSegmentSent = false;

    Scheduler::TaskId m_timeout = 0;
    qint64 m_lastAnswerUs = 0;
    quint64 m_nextAnswerKey = 0;
    std::map<quint64, Scheduler::TaskId> m_pendingAnswers;
};

} // namespace pxu::sim
