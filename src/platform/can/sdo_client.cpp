#include "sdo_client.h"

#include <algorithm>

namespace pxu::can {

using namespace sdo;

namespace {
// A data frame with bit stuffing at its worst: 47 + 64 bits plus 24 stuff bits.
constexpr qint64 kWorstFrameBits = 135;
} // namespace

SdoClient::SdoClient(Send send)
    : m_send(std::move(send)) {}

void SdoClient::send(const Bytes& bytes) {
    ++m_framesSinceAnswer;
    m_send(requestFrame(m_node, bytes));
}

void SdoClient::expectAnswer() {
    qint64 busUs = 0;
    if (m_bitRateKbit > 0)
        busUs = m_framesSinceAnswer * kWorstFrameBits * 1000 / m_bitRateKbit;
    m_deadlineUs = m_nowUs + m_timeoutUs + busUs;
    m_framesSinceAnswer = 0;
}

SdoClient::State SdoClient::finish(SdoOutcome outcome, SdoAbort code) {
    m_outcome = outcome;
    m_abort = code;
    // Only a completed upload keeps its data; a download's copy is no longer needed.
    if (outcome != SdoOutcome::Done || !m_uploading)
        m_data = QByteArray();
    return State::Idle;
}

SdoClient::State SdoClient::abort(SdoAbort code, SdoOutcome outcome) {
    send(abortTransfer(m_mux, code));
    return finish(outcome, code);
}

bool SdoClient::uploadTooLarge(qsizetype bytes) const {
    return bytes > kMaxUpload;
}

void SdoClient::startDownload(quint8 node, Multiplexer m, QByteArray data, SdoMode mode,
                              qint64 nowUs) {
    m_node = node;
    m_mux = m;
    m_uploading = false;
    m_data = std::move(data);
    m_nowUs = nowUs;
    m_outcome = SdoOutcome::Running;
    m_abort = SdoAbort::None;
    m_framesSinceAnswer = 0;
    m_pos = 0;
    m_toggle = false;
    m_lastSent = false;
    m_shortAcknowledgements = 0;
    const auto size = quint32(m_data.size());
    if (mode == SdoMode::Block) {
        send(initiateBlockDownload(m, size));
        m_state = State::BlockDownloadInitiate;
    } else {
        m_expedited = size >= 1 && size <= 4;
        send(m_expedited ? expeditedDownload(m, m_data) : initiateSegmentedDownload(m, size));
        m_state = State::DownloadInitiate;
    }
    expectAnswer();
}

void SdoClient::startUpload(quint8 node, Multiplexer m, SdoMode mode, qint64 nowUs) {
    m_node = node;
    m_mux = m;
    m_uploading = true;
    m_data.clear();
    m_nowUs = nowUs;
    m_outcome = SdoOutcome::Running;
    m_abort = SdoAbort::None;
    m_framesSinceAnswer = 0;
    m_toggle = false;
    m_size = -1;
    m_complete = false;
    if (mode == SdoMode::Block) {
        send(initiateBlockUpload(m, kMaxBlockSize));
        m_state = State::BlockUploadInitiate;
    } else {
        send(initiateUpload(m));
        m_state = State::UploadInitiate;
    }
    expectAnswer();
}

bool SdoClient::isAnswer(const CanFrame& frame) const {
    return busy() && frame.id == kAnswerBase + m_node;
}

void SdoClient::receive(const CanFrame& frame, qint64 nowUs) {
    if (!isAnswer(frame))
        return;
    m_nowUs = std::max(m_nowUs, nowUs);
    const Bytes b = bytesOf(frame);
    if (isAbort(b)) {
        m_state = finish(SdoOutcome::Aborted, SdoAbort(le32(b, 4)));
        return;
    }
    // A handler that ignores a stale answer (to an earlier request) leaves the deadline.
    switch (m_state) {
    case State::Idle:
        return;
    case State::DownloadInitiate:
        m_state = onDownloadInitiate(b);
        break;
    case State::DownloadSegment:
        m_state = onDownloadSegment(b);
        break;
    case State::BlockDownloadInitiate:
        m_state = onBlockDownloadInitiate(b);
        break;
    case State::BlockDownloadSubBlock:
        m_state = onBlockDownloadSubBlock(b);
        break;
    case State::BlockDownloadEnd:
        m_state = onBlockDownloadEnd(b);
        break;
    case State::UploadInitiate:
        m_state = onUploadInitiate(b);
        break;
    case State::UploadSegment:
        m_state = onUploadSegment(b);
        break;
    case State::BlockUploadInitiate:
        m_state = onBlockUploadInitiate(b);
        break;
    case State::BlockUploadSubBlock:
        m_state = onBlockUploadSubBlock(b);
        break;
    case State::BlockUploadEnd:
        m_state = onBlockUploadEnd(b);
        break;
    }
}

void SdoClient::advanceTo(qint64 nowUs) {
    m_nowUs = std::max(m_nowUs, nowUs);
    if (busy() && m_nowUs >= m_deadlineUs)
        m_state = abort(SdoAbort::Timeout, SdoOutcome::TimedOut);
}

void SdoClient::cancel() {
    if (busy())
        m_state = finish(SdoOutcome::Cancelled, SdoAbort::None);
}

// --- download -----------------------------------------------------------------------------

SdoClient::State SdoClient::sendSegment() {
    const qsizetype n = std::min<qsizetype>(kSegmentBytes, m_data.size() - m_pos);
    m_lastSent = m_pos + n == m_data.size();
    send(downloadSegment(m_toggle, QByteArrayView(m_data).sliced(m_pos, n), m_lastSent));
    m_pos += n;
    expectAnswer();
    return State::DownloadSegment;
}

SdoClient::State SdoClient::onDownloadInitiate(const Bytes& b) {
    if (commandOf(b) != 3)
        return abort(SdoAbort::CommandSpecifier);
    if (multiplexerOf(b) != m_mux)
        return m_state; // a late answer to an earlier request
    if (m_expedited)
        return finish(SdoOutcome::Done);
    return sendSegment();
}

SdoClient::State SdoClient::onDownloadSegment(const Bytes& b) {
    if (commandOf(b) != 1)
        return abort(SdoAbort::CommandSpecifier);
    if (bool(b[0] & 0x10) != m_toggle)
        return abort(SdoAbort::ToggleBit);
    if (m_lastSent)
        return finish(SdoOutcome::Done);
    m_toggle = !m_toggle;
    return sendSegment();
}

SdoClient::State SdoClient::sendSubBlock() {
    m_blockStart = m_pos;
    m_segmentsInBlock = 0;
    for (int sequence = 1; sequence <= m_blockSize && !m_lastSent; ++sequence) {
        const qsizetype n = std::min<qsizetype>(kSegmentBytes, m_data.size() - m_pos);
        m_lastSent = m_pos + n == m_data.size();
        send(blockSegment(sequence, QByteArrayView(m_data).sliced(m_pos, n), m_lastSent));
        m_pos += n;
        m_lastSegmentBytes = int(n);
        m_segmentsInBlock = sequence;
    }
    expectAnswer();
    return State::BlockDownloadSubBlock;
}

SdoClient::State SdoClient::onBlockDownloadInitiate(const Bytes& b) {
    if ((b[0] & 0xE3) != 0xA0)
        return abort(SdoAbort::CommandSpecifier);
    if (multiplexerOf(b) != m_mux)
        return m_state;
    if (b[4] < 1 || b[4] > kMaxBlockSize)
        return abort(SdoAbort::BlockSize);
    m_blockSize = b[4];
    return sendSubBlock();
}

SdoClient::State SdoClient::onBlockDownloadSubBlock(const Bytes& b) {
    if ((b[0] & 0xE3) != 0xA2)
        return abort(SdoAbort::CommandSpecifier);
    const int acknowledged = b[1];
    if (acknowledged > m_segmentsInBlock)
        return abort(SdoAbort::SequenceNumber);
    if (b[2] < 1 || b[2] > kMaxBlockSize)
        return abort(SdoAbort::BlockSize);
    m_blockSize = b[2];
    if (acknowledged == m_segmentsInBlock && m_lastSent) {
        send(endBlockDownload(kSegmentBytes - m_lastSegmentBytes));
        expectAnswer();
        return State::BlockDownloadEnd;
    }
    if (acknowledged < m_segmentsInBlock) {
        // The server missed a segment: the rest of the block goes again, but not for ever
        // to a server that never takes a whole sub-block.
        if (++m_shortAcknowledgements > kMaxSubBlockResends)
            return abort(SdoAbort::SequenceNumber);
        m_pos = m_blockStart + qsizetype(acknowledged) * kSegmentBytes;
        m_lastSent = false;
    } else {
        m_shortAcknowledgements = 0;
    }
    return sendSubBlock();
}

SdoClient::State SdoClient::onBlockDownloadEnd(const Bytes& b) {
    if ((b[0] & 0xE3) != 0xA1)
        return abort(SdoAbort::CommandSpecifier);
    return finish(SdoOutcome::Done);
}

// --- upload -------------------------------------------------------------------------------

SdoClient::State SdoClient::onUploadInitiate(const Bytes& b) {
    if (commandOf(b) != 2)
        return abort(SdoAbort::CommandSpecifier);
    if (multiplexerOf(b) != m_mux)
        return m_state;
    const bool expedited = b[0] & 0x02;
    const bool sized = b[0] & 0x01;
    if (expedited) {
        const int n = sized ? 4 - ((b[0] >> 2) & 3) : 4;
        m_data = QByteArray(reinterpret_cast<const char*>(b.data() + 4), n);
        return finish(SdoOutcome::Done);
    }
    if (sized) {
        m_size = le32(b, 4);
        if (uploadTooLarge(m_size))
            return abort(SdoAbort::OutOfMemory);
        m_data.reserve(m_size);
    }
    send(uploadSegmentRequest(m_toggle));
    expectAnswer();
    return State::UploadSegment;
}

SdoClient::State SdoClient::onUploadSegment(const Bytes& b) {
    if (commandOf(b) != 0)
        return abort(SdoAbort::CommandSpecifier);
    if (bool(b[0] & 0x10) != m_toggle)
        return abort(SdoAbort::ToggleBit);
    const int n = kSegmentBytes - ((b[0] >> 1) & 7);
    m_data.append(reinterpret_cast<const char*>(b.data() + 1), n);
    const bool last = b[0] & 0x01;
    if (uploadTooLarge(m_data.size()))
        return abort(SdoAbort::OutOfMemory);
    if (m_size >= 0 && m_data.size() > m_size)
        return abort(SdoAbort::LengthTooHigh);
    if (last) {
        if (m_size >= 0 && m_data.size() != m_size)
            return abort(SdoAbort::LengthTooLow);
        return finish(SdoOutcome::Done);
    }
    m_toggle = !m_toggle;
    send(uploadSegmentRequest(m_toggle));
    expectAnswer();
    return State::UploadSegment;
}

SdoClient::State SdoClient::onBlockUploadInitiate(const Bytes& b) {
    if (commandOf(b) == 2)
        return onUploadInitiate(b); // the server chose the segmented protocol
    if ((b[0] & 0xE1) != 0xC0)
        return abort(SdoAbort::CommandSpecifier);
    if (multiplexerOf(b) != m_mux)
        return m_state;
    if (b[0] & 0x02) {
        m_size = le32(b, 4);
        if (uploadTooLarge(m_size))
            return abort(SdoAbort::OutOfMemory);
        m_data.reserve(m_size + kSegmentBytes);
    }
    m_lastInOrder = 0;
    send(startBlockUpload());
    expectAnswer();
    return State::BlockUploadSubBlock;
}

SdoClient::State SdoClient::onBlockUploadSubBlock(const Bytes& b) {
    const int sequence = b[0] & 0x7F;
    const bool last = b[0] & 0x80;
    if (sequence == m_lastInOrder + 1) {
        m_data.append(reinterpret_cast<const char*>(b.data() + 1), kSegmentBytes);
        m_lastInOrder = sequence;
        m_complete = last;
        // The last segment may hold up to six fill bytes.
        if (uploadTooLarge(m_data.size() - (kSegmentBytes - 1)))
            return abort(SdoAbort::OutOfMemory);
    }
    // Segments out of order are dropped; the acknowledgement names the last good one.
    if (last || sequence >= kMaxBlockSize) {
        send(blockAcknowledge(m_lastInOrder, kMaxBlockSize));
        m_lastInOrder = 0;
        expectAnswer();
        return m_complete ? State::BlockUploadEnd : State::BlockUploadSubBlock;
    }
    expectAnswer();
    return State::BlockUploadSubBlock;
}

SdoClient::State SdoClient::onBlockUploadEnd(const Bytes& b) {
    if ((b[0] & 0xE3) != 0xC1)
        return abort(SdoAbort::CommandSpecifier);
    const int unused = (b[0] >> 2) & 7;
    if (unused > m_data.size())
        return abort(SdoAbort::LengthMismatch);
    m_data.chop(unused);
    if (m_size >= 0 && m_data.size() != m_size)
        return abort(SdoAbort::LengthMismatch);
    send(endBlockUploadResponse());
    return finish(SdoOutcome::Done);
}

} // namespace pxu::can
