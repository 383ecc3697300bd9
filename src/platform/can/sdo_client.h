#pragma once

#include "can_frame.h"
#include "sdo_abort.h"
#include "sdo_frames.h"

#include <QByteArray>
#include <functional>

namespace pxu::can {

// Normal: expedited up to 4 bytes, segmented above (an upload takes what the server offers).
enum class SdoMode { Normal, Block };

enum class SdoOutcome {
    None, // nothing ran yet
    Running,
    Done,
    TimedOut, // an answer did not come in time; the client sent an abort
    Aborted,  // the server aborted
    Failed,   // the client aborted: a protocol fault, or an upload beyond the cap
    Cancelled // given up without a frame (the transport refused to send)
};

// The SDO client of one transfer at a time: a state machine fed frames and time that sends
// through a callback, so it runs the same on a real channel and on the in-process bus.
// Each expected answer has its own time-out; the wait starts once the frames sent before
// it can have left the bus at the configured bit rate.
class SdoClient {
public:
    using Send = std::function<void(const CanFrame&)>;
    static constexpr qsizetype kMaxUpload = 1 << 20;
    // Sub-blocks sent again in a row, each acknowledged short, before a block download is
    // aborted (abort code SequenceNumber).
    static constexpr int kMaxSubBlockResends = 8;

    explicit SdoClient(Send send);

    void setTimeoutMs(qint64 ms) { m_timeoutUs = ms * 1000; }
    qint64 timeoutMs() const { return m_timeoutUs / 1000; }
    // 0: frames take no time on the bus.
    void setBitRate(int kbitPerSecond) { m_bitRateKbit = kbitPerSecond; }

    void startDownload(quint8 node, sdo::Multiplexer m, QByteArray data, SdoMode mode,
                       qint64 nowUs);
    void startUpload(quint8 node, sdo::Multiplexer m, SdoMode mode, qint64 nowUs);

    // An answer of the running transfer; receive() takes it.
    bool isAnswer(const CanFrame& frame) const;
    void receive(const CanFrame& frame, qint64 nowUs);
    // Ends the transfer when its answer is overdue.
    void advanceTo(qint64 nowUs);
    void cancel();

    bool busy() const { return m_state != State::Idle; }
    qint64 deadlineUs() const { return m_deadlineUs; }
    SdoOutcome outcome() const { return m_outcome; }
    // The code of the last failed transfer (sent or received); None after success.
    SdoAbort abortCode() const { return m_abort; }
    const QByteArray& uploaded() const { return m_data; }

private:
    enum class State {
        Idle,
        DownloadInitiate,
        DownloadSegment,
        BlockDownloadInitiate,
        BlockDownloadSubBlock,
        BlockDownloadEnd,
        UploadInitiate,
        UploadSegment,
        BlockUploadInitiate,
        BlockUploadSubBlock,
        BlockUploadEnd,
    };

    State onDownloadInitiate(const sdo::Bytes& b);
    State onDownloadSegment(const sdo::Bytes& b);
    State onBlockDownloadInitiate(const sdo::Bytes& b);
    State onBlockDownloadSubBlock(const sdo::Bytes& b);
    State onBlockDownloadEnd(const sdo::Bytes& b);
    State onUploadInitiate(const sdo::Bytes& b);
    State onUploadSegment(const sdo::Bytes& b);
    State onBlockUploadInitiate(const sdo::Bytes& b);
    State onBlockUploadSubBlock(const sdo::Bytes& b);
    State onBlockUploadEnd(const sdo::Bytes& b);

    State sendSegment();
    State sendSubBlock();
    State finish(SdoOutcome outcome, SdoAbort code = SdoAbort::None);
    // Sends an abort to the server and fails the transfer.
    State abort(SdoAbort code, SdoOutcome outcome = SdoOutcome::Failed);
    void send(const sdo::Bytes& bytes);
    // The next answer is due one time-out after the frames sent since the last answer.
    void expectAnswer();
    bool uploadTooLarge(qsizetype bytes) const;

    Send m_send;
    qint64 m_timeoutUs = 200'000;
    int m_bitRateKbit = 0;

    State m_state = State::Idle;
    SdoOutcome m_outcome = SdoOutcome::None;
    SdoAbort m_abort = SdoAbort::None;
    quint8 m_node = 0;
    sdo::Multiplexer m_mux;
    QByteArray m_data;
    bool m_uploading = false;
    qint64 m_nowUs = 0;
    qint64 m_deadlineUs = 0;
    int m_framesSinceAnswer = 0;

    // segmented and block progress
    qsizetype m_pos = 0;
    bool m_toggle = false;
    bool m_expedited = false;
    bool m_lastSent = false;
    qint64 m_size = -1; // announced upload size, -1 when not given
    qsizetype m_blockStart = 0;
    int m_blockSize = sdo::kMaxBlockSize;
    int m_segmentsInBlock = 0;
    int m_lastSegmentBytes = 0;
    int m_shortAcknowledgements = 0; // in a row
    int m_lastInOrder = 0;
    bool m_complete = false;
};

} // namespace pxu::can
