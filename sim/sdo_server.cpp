#include "sdo_server.h"

#include "checksums.h"

#include <algorithm>

namespace pxu::sim {

namespace {

constexpr quint8 kClientAbort = 0x80;

quint8 commandSpecifier(const can::CanFrame& f) {
    return f.data[0] >> 5;
}

quint32 le32(const can::CanFrame& f, int at) {
    return quint32(f.data[at]) | quint32(f.data[at + 1]) << 8 | quint32(f.data[at + 2]) << 16 |
           quint32(f.data[at + 3]) << 24;
}

void putLe32(can::CanFrame& f, int at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        f.data[at + i] = quint8(value >> (8 * i));
}

// Requests that open a transfer; one arriving mid-transfer replaces it, since the client
// gave up on the old one.
bool isInitiate(const can::CanFrame& f) {
    const quint8 ccs = commandSpecifier(f);
    return ccs == 1 || ccs == 2 || (ccs == 5 && (f.data[0] & 0x03) == 0) ||
           (ccs == 6 && (f.data[0] & 0x01) == 0);
}

} // namespace

SdoServer::SdoServer(quint8 node, Scheduler& scheduler, ObjectAccess& objects, Send send,
                     std::function<qint64()> answerDelayUs)
    : m_node(node)
    , m_scheduler(scheduler)
    , m_objects(objects)
    , m_send(std::move(send))
    , m_answerDelayUs(std::move(answerDelayUs)) {}

SdoServer::~SdoServer() {
    reset();
}

void SdoServer::reset() {
    cancelTimeout();
    for (const auto& [key, task] : m_pendingAnswers)
        m_scheduler.cancel(task);
    m_pendingAnswers.clear();
    m_lastAnswerUs = 0;
    m_state = State::Idle;
    m_data.clear();
}

void SdoServer::receive(const can::CanFrame& request) {
    if (request.id != requestId())
        return;
    // Also in a block download, where every other frame is a segment: the abort's first
    // byte would be sequence number 0, which no segment has.
    if (request.data[0] == kClientAbort) {
        enter(State::Idle);
        return;
    }
    switch (m_state) {
    case State::Idle:
        startTransfer(request);
        return;
    case State::BlockDownload:
        onBlockSegment(request);
        return;
    default:
        break;
    }
    if (isInitiate(request)) {
        enter(State::Idle);
        startTransfer(request);
        return;
    }
    switch (m_state) {
    case State::Download:
        onDownloadSegment(request);
        break;
    case State::Upload:
        onUploadSegment(request);
        break;
    case State::BlockDownloadEnd:
        onBlockDownloadEnd(request);
        break;
    case State::BlockUploadStart:
        onBlockUploadStart(request);
        break;
    case State::BlockUpload:
        onBlockUploadAck(request);
        break;
    case State::BlockUploadEnd:
        onBlockUploadEnd(request);
        break;
    case State::Idle:
    case State::BlockDownload:
        break;
    }
}

void SdoServer::startTransfer(const can::CanFrame& request) {
    m_index = quint16(request.data[1] | request.data[2] << 8);
    m_subIndex = request.data[3];
    switch (commandSpecifier(request)) {
    case 1:
        initiateDownload(request);
        return;
    case 2:
        initiateUpload(request);
        return;
    case 5:
        initiateBlockUpload(request);
        return;
    case 6:
        initiateBlockDownload(request);
        return;
    default:
        abort(SdoAbort::CommandSpecifier);
        return;
    }
}

void SdoServer::initiateDownload(const can::CanFrame& request) {
    const bool expedited = request.data[0] & 0x02;
    const bool sized = request.data[0] & 0x01;
    if (expedited) {
        const int size = sized ? 4 - ((request.data[0] >> 2) & 0x03) : 4;
        const QByteArray value(reinterpret_cast<const char*>(&request.data[4]), size);
        SdoAbort result = m_objects.checkWrite(m_index, m_subIndex, size);
        if (result == SdoAbort::None)
            result = m_objects.write(m_index, m_subIndex, value);
        if (result != SdoAbort::None) {
            abort(result);
            return;
        }
        answer(frame(0x60));
        return;
    }
    m_size.reset();
    if (sized)
        m_size = le32(request, 4);
    if (const SdoAbort result = m_objects.checkWrite(m_index, m_subIndex, m_size);
        result != SdoAbort::None) {
        abort(result);
        return;
    }
    if (m_size && *m_size > m_settings.maxDownload) {
        abort(SdoAbort::OutOfMemory);
        return;
    }
    m_data.clear();
    m_toggle = false;
    enter(State::Download);
    answer(frame(0x60));
}

void SdoServer::onDownloadSegment(const can::CanFrame& request) {
    if (commandSpecifier(request) != 0) {
        abort(SdoAbort::CommandSpecifier);
        return;
    }
    const bool toggle = request.data[0] & 0x10;
    if (toggle != m_toggle) {
        abort(SdoAbort::ToggleBit);
        return;
    }
    const int bytes = 7 - ((request.data[0] >> 1) & 0x07);
    m_data.append(reinterpret_cast<const char*>(&request.data[1]), bytes);
    if (m_data.size() > m_settings.maxDownload) {
        abort(SdoAbort::OutOfMemory);
        return;
    }
    m_toggle = !m_toggle;
    const quint8 acknowledge = 0x20 | (toggle ? 0x10 : 0x00);
    if (!(request.data[0] & 0x01)) {
        enter(State::Download);
        answer(frame(acknowledge));
        return;
    }
    if (m_size && m_data.size() != *m_size) {
        abort(m_data.size() > *m_size ? SdoAbort::LengthTooHigh : SdoAbort::LengthTooLow);
        return;
    }
    if (const SdoAbort result = m_objects.write(m_index, m_subIndex, m_data);
        result != SdoAbort::None) {
        abort(result);
        return;
    }
    enter(State::Idle);
    answer(frame(acknowledge));
}

void SdoServer::initiateUpload(const can::CanFrame&) {
    QByteArray value;
    if (const SdoAbort result = m_objects.read(m_index, m_subIndex, value);
        result != SdoAbort::None) {
        abort(result);
        return;
    }
    startUploadAnswer(value);
}

void SdoServer::startUploadAnswer(const QByteArray& value) {
    if (value.size() >= 1 && value.size() <= 4) {
        can::CanFrame f = frame(quint8(0x43 | (4 - value.size()) << 2));
        std::copy(value.begin(), value.end(), f.data.begin() + 4);
        enter(State::Idle);
        answer(f);
        return;
    }
    m_data = value;
    m_offset = 0;
    m_toggle = false;
    can::CanFrame f = frame(0x41);
    putLe32(f, 4, quint32(value.size()));
    enter(State::Upload);
    answer(f);
}

void SdoServer::onUploadSegment(const can::CanFrame& request) {
    if (commandSpecifier(request) != 3) {
        abort(SdoAbort::CommandSpecifier);
        return;
    }
    const bool toggle = request.data[0] & 0x10;
    if (toggle != m_toggle) {
        abort(SdoAbort::ToggleBit);
        return;
    }
    m_toggle = !m_toggle;
    const qint64 bytes = std::min<qint64>(7, m_data.size() - m_offset);
    const bool last = m_offset + bytes >= m_data.size();
    can::CanFrame f;
    f.id = answerId();
    f.length = 8;
    f.data[0] = quint8((toggle ? 0x10 : 0x00) | (7 - bytes) << 1 | (last ? 0x01 : 0x00));
    std::copy_n(m_data.constBegin() + m_offset, bytes, f.data.begin() + 1);
    m_offset += bytes;
    enter(last ? State::Idle : State::Upload);
    answer(f);
}

void SdoServer::initiateBlockDownload(const can::CanFrame& request) {
    if (!m_settings.blockTransfer) {
        abort(SdoAbort::CommandSpecifier);
        return;
    }
    m_useCrc = request.data[0] & 0x04;
    m_size.reset();
    if (request.data[0] & 0x02)
        m_size = le32(request, 4);
    if (const SdoAbort result = m_objects.checkWrite(m_index, m_subIndex, m_size);
        result != SdoAbort::None) {
        abort(result);
        return;
    }
    if (m_size && *m_size > m_settings.maxDownload) {
        abort(SdoAbort::OutOfMemory);
        return;
    }
    m_data.clear();
    m_blockSize = std::clamp<quint8>(m_settings.blockSize, 1, 127);
    m_nextSequence = 1;
    m_lastSegmentSent = false;
    can::CanFrame f = frame(0xA4); // CRC supported
    f.data[4] = m_blockSize;
    enter(State::BlockDownload);
    answer(f);
}

void SdoServer::onBlockSegment(const can::CanFrame& request) {
    const quint8 sequence = request.data[0] & 0x7F;
    const bool last = request.data[0] & 0x80;
    if (sequence == 0) {
        abort(SdoAbort::SequenceNumber);
        return;
    }
    bool accepted = false;
    if (sequence == m_nextSequence && sequence <= m_blockSize) {
        m_data.append(reinterpret_cast<const char*>(&request.data[1]), 7);
        if (m_data.size() > m_settings.maxDownload + 7) {
            abort(SdoAbort::OutOfMemory);
            return;
        }
        ++m_nextSequence;
        accepted = true;
    }
    // A lost segment is not acknowledged; the client repeats from the one after the
    // acknowledged sequence number, counting from 1 again.
    if (sequence != m_blockSize && !last) {
        enter(State::BlockDownload);
        return;
    }
    if (m_settings.shortBlockAcknowledge && m_nextSequence > 1) {
        m_data.chop(7);
        --m_nextSequence;
        accepted = false;
    }
    can::CanFrame f = frame(0xA2);
    f.data[1] = quint8(m_nextSequence - 1);
    f.data[2] = m_blockSize;
    m_nextSequence = 1;
    enter(last && accepted ? State::BlockDownloadEnd : State::BlockDownload);
    answer(f);
}

void SdoServer::onBlockDownloadEnd(const can::CanFrame& request) {
    if (commandSpecifier(request) != 6 || (request.data[0] & 0x01) == 0) {
        abort(SdoAbort::CommandSpecifier);
        return;
    }
    const int unused = (request.data[0] >> 2) & 0x07;
    m_data.chop(unused);
    if (m_useCrc) {
        const quint16 crc = quint16(request.data[1] | request.data[2] << 8);
        if (crc != sdoBlockCrc(m_data)) {
            abort(SdoAbort::Crc);
            return;
        }
    }
    if (m_size && m_data.size() != *m_size) {
        abort(m_data.size() > *m_size ? SdoAbort::LengthTooHigh : SdoAbort::LengthTooLow);
        return;
    }
    if (const SdoAbort result = m_objects.write(m_index, m_subIndex, m_data);
        result != SdoAbort::None) {
        abort(result);
        return;
    }
    enter(State::Idle);
    answer(frame(0xA1));
}

void SdoServer::initiateBlockUpload(const can::CanFrame& request) {
    if (!m_settings.blockTransfer) {
        abort(SdoAbort::CommandSpecifier);
        return;
    }
    const quint8 blockSize = request.data[4];
    if (blockSize == 0 || blockSize > 127) {
        abort(SdoAbort::BlockSize);
        return;
    }
    QByteArray value;
    if (const SdoAbort result = m_objects.read(m_index, m_subIndex, value);
        result != SdoAbort::None) {
        abort(result);
        return;
    }
    // Protocol switch threshold: small values go the normal way.
    const quint8 threshold = request.data[5];
    if (threshold != 0 && value.size() <= threshold) {
        startUploadAnswer(value);
        return;
    }
    m_useCrc = request.data[0] & 0x04;
    m_blockSize = blockSize;
    m_data = value;
    m_offset = 0;
    can::CanFrame f = frame(0xC6); // CRC supported, size indicated
    putLe32(f, 4, quint32(value.size()));
    enter(State::BlockUploadStart);
    answer(f);
}

void SdoServer::onBlockUploadStart(const can::CanFrame& request) {
    if (request.data[0] != 0xA3) {
        abort(SdoAbort::CommandSpecifier);
        return;
    }
    sendSubBlock();
}

void SdoServer::sendSubBlock() {
    qint64 position = m_offset;
    m_sentSegments = 0;
    m_lastSegmentSent = false;
    for (quint8 sequence = 1; sequence <= m_blockSize && !m_lastSegmentSent; ++sequence) {
        const qint64 bytes = std::min<qint64>(7, m_data.size() - position);
        m_lastSegmentSent = position + bytes >= m_data.size();
        can::CanFrame f;
        f.id = answerId();
        f.length = 8;
        f.data[0] = quint8(sequence | (m_lastSegmentSent ? 0x80 : 0x00));
        std::copy_n(m_data.constBegin() + position, bytes, f.data.begin() + 1);
        position += bytes;
        ++m_sentSegments;
        answer(f);
    }
    enter(State::BlockUpload);
}

void SdoServer::onBlockUploadAck(const can::CanFrame& request) {
    if (request.data[0] != 0xA2) {
        abort(SdoAbort::CommandSpecifier);
        return;
    }
    const quint8 acknowledged = request.data[1];
    const quint8 blockSize = request.data[2];
    if (acknowledged > m_sentSegments) {
        abort(SdoAbort::SequenceNumber);
        return;
    }
    if (blockSize == 0 || blockSize > 127) {
        abort(SdoAbort::BlockSize);
        return;
    }
    m_blockSize = blockSize;
    if (acknowledged == m_sentSegments && m_lastSegmentSent) {
        const qint64 lastStart = m_offset + qint64(m_sentSegments - 1) * 7;
        const qint64 unused = 7 - (m_data.size() - lastStart);
        can::CanFrame f = frame(quint8(0xC1 | unused << 2));
        const quint16 crc = m_useCrc ? sdoBlockCrc(m_data) : 0;
        f.data[1] = quint8(crc);
        f.data[2] = quint8(crc >> 8);
        f.data[3] = 0;
        enter(State::BlockUploadEnd);
        answer(f);
        return;
    }
    m_offset = std::min<qint64>(m_offset + qint64(acknowledged) * 7, m_data.size());
    sendSubBlock();
}

void SdoServer::onBlockUploadEnd(const can::CanFrame& request) {
    if (request.data[0] != 0xA1) {
        abort(SdoAbort::CommandSpecifier);
        return;
    }
    enter(State::Idle);
}

void SdoServer::abort(SdoAbort code) {
    can::CanFrame f = frame(0x80);
    putLe32(f, 4, quint32(code));
    enter(State::Idle);
    answer(f);
}

can::CanFrame SdoServer::frame(quint8 command) const {
    can::CanFrame f;
    f.id = answerId();
    f.length = 8;
    f.data[0] = command;
    f.data[1] = quint8(m_index);
    f.data[2] = quint8(m_index >> 8);
    f.data[3] = m_subIndex;
    return f;
}

void SdoServer::answer(const can::CanFrame& f) {
    const qint64 due =
        std::max(m_scheduler.nowUs() + std::max<qint64>(m_answerDelayUs(), 0), m_lastAnswerUs);
    m_lastAnswerUs = due;
    const quint64 key = ++m_nextAnswerKey;
    m_pendingAnswers[key] = m_scheduler.callAt(due, [this, key, f] {
        m_pendingAnswers.erase(key);
        m_send(f);
    });
}

void SdoServer::enter(State state) {
    m_state = state;
    cancelTimeout();
    if (state == State::Idle) {
        m_data.clear();
        return;
    }
    m_timeout = m_scheduler.callAfter(m_settings.timeoutUs, [this] {
        m_timeout = 0;
        abort(SdoAbort::Timeout);
    });
}

void SdoServer::cancelTimeout() {
    m_scheduler.cancel(m_timeout);
    m_timeout = 0;
}

} // namespace pxu::sim
