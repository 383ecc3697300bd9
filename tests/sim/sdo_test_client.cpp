#include "sdo_test_client.h"

#include "sim/checksums.h"

#include <algorithm>

namespace pxu::sim::test {

namespace {

void putLe32(can::CanFrame& f, int at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        f.data[at + i] = quint8(v >> (8 * i));
}

quint32 le32(const can::CanFrame& f, int at) {
    return quint32(f.data[at]) | quint32(f.data[at + 1]) << 8 | quint32(f.data[at + 2]) << 16 |
           quint32(f.data[at + 3]) << 24;
}

can::CanFrame request(quint8 node, quint8 command, quint16 index, quint8 sub) {
    can::CanFrame f;
    f.id = 0x600u + node;
    f.length = 8;
    f.data[0] = command;
    f.data[1] = quint8(index);
    f.data[2] = quint8(index >> 8);
    f.data[3] = sub;
    return f;
}

} // namespace

can::CanFrame makeFrame(quint32 id, std::initializer_list<quint8> bytes) {
    can::CanFrame f;
    f.id = id;
    f.length = quint8(bytes.size());
    std::copy(bytes.begin(), bytes.end(), f.data.begin());
    return f;
}

SdoTestClient::SdoTestClient(VirtualClock& clock, Bus& bus)
    : m_clock(clock)
    , m_bus(bus) {
    m_bus.setSend([this](const can::CanFrame& f) {
        m_inbox.push_back(f);
        m_log.push_back(f);
    });
}

void SdoTestClient::clearLog() {
    m_log.clear();
    m_inbox.clear();
}

std::vector<can::CanFrame> SdoTestClient::framesWithId(quint32 id) const {
    std::vector<can::CanFrame> out;
    std::copy_if(m_log.begin(), m_log.end(), std::back_inserter(out),
                 [id](const can::CanFrame& f) { return f.id == id; });
    return out;
}

void SdoTestClient::sendFrame(const can::CanFrame& frame) {
    m_bus.receive(frame);
}

void SdoTestClient::send(quint32 id, std::initializer_list<quint8> bytes) {
    sendFrame(makeFrame(id, bytes));
}

std::optional<can::CanFrame> SdoTestClient::await(quint32 id, qint64 timeout) {
    std::optional<can::CanFrame> found;
    const auto take = [&] {
        const auto it = std::find_if(m_inbox.begin(), m_inbox.end(),
                                     [id](const can::CanFrame& f) { return f.id == id; });
        if (it == m_inbox.end())
            return false;
        found = *it;
        m_inbox.erase(it);
        return true;
    };
    m_clock.waitUntil(take, timeout);
    return found;
}

std::optional<can::CanFrame> SdoTestClient::answer(quint8 node, Result& result) {
    auto f = await(0x580u + node, timeoutMs);
    if (!f) {
        result.timedOut = true;
        return std::nullopt;
    }
    if (f->data[0] == 0x80) {
        result.abort = le32(*f, 4);
        return std::nullopt;
    }
    return f;
}

SdoTestClient::Result SdoTestClient::download(quint8 node, quint16 index, quint8 sub,
                                              const QByteArray& data, Transfer transfer,
                                              BlockOptions options) {
    if (transfer == Transfer::Block)
        return downloadBlock(node, index, sub, data, options);
    Result result;
    if (data.size() >= 1 && data.size() <= 4) {
        can::CanFrame f = request(node, quint8(0x23 | (4 - data.size()) << 2), index, sub);
        std::copy(data.begin(), data.end(), f.data.begin() + 4);
        sendFrame(f);
        if (const auto a = answer(node, result); a && a->data[0] != 0x60)
            result.abort = 0xFFFFFFFF;
        return result;
    }
    can::CanFrame f = request(node, 0x21, index, sub);
    putLe32(f, 4, quint32(data.size()));
    sendFrame(f);
    if (!answer(node, result))
        return result;
    bool toggle = false;
    for (qsizetype offset = 0; offset < data.size() || offset == 0; offset += 7) {
        const qsizetype bytes = std::min<qsizetype>(7, data.size() - offset);
        const bool last = offset + bytes >= data.size();
        can::CanFrame s;
        s.id = 0x600u + node;
        s.length = 8;
        s.data[0] = quint8((toggle ? 0x10 : 0) | (7 - bytes) << 1 | (last ? 1 : 0));
        std::copy_n(data.constBegin() + offset, bytes, s.data.begin() + 1);
        sendFrame(s);
        const auto a = answer(node, result);
        if (!a)
            return result;
        if (a->data[0] != quint8(0x20 | (toggle ? 0x10 : 0))) {
            result.abort = 0xFFFFFFFF;
            return result;
        }
        toggle = !toggle;
        if (last)
            break;
    }
    return result;
}

SdoTestClient::Result SdoTestClient::downloadBlock(quint8 node, quint16 index, quint8 sub,
                                                   const QByteArray& data,
                                                   const BlockOptions& options) {
    Result result;
    can::CanFrame f = request(node, quint8(0xC2 | (options.crc ? 0x04 : 0)), index, sub);
    putLe32(f, 4, quint32(data.size()));
    sendFrame(f);
    auto a = answer(node, result);
    if (!a)
        return result;
    const bool crc = options.crc && (a->data[0] & 0x04);
    int blockSize = a->data[4];
    const qsizetype segments = std::max<qsizetype>(1, (data.size() + 6) / 7);
    qsizetype next = 0; // first segment not acknowledged
    int sent = 0;
    bool dropped = false;
    while (next < segments) {
        int sequence = 0;
        for (qsizetype s = next; s < segments && sequence < blockSize; ++s) {
            ++sequence;
            const qsizetype offset = s * 7;
            const qsizetype bytes = std::min<qsizetype>(7, data.size() - offset);
            can::CanFrame seg;
            seg.id = 0x600u + node;
            seg.length = 8;
            seg.data[0] = quint8(sequence | (s == segments - 1 ? 0x80 : 0));
            std::copy_n(data.constBegin() + offset, std::max<qsizetype>(bytes, 0),
                        seg.data.begin() + 1);
            if (++sent == options.dropSegment && !dropped) {
                dropped = true;
                continue;
            }
            sendFrame(seg);
        }
        a = answer(node, result);
        if (!a)
            return result;
        if (a->data[0] != 0xA2) {
            result.abort = 0xFFFFFFFF;
            return result;
        }
        next += a->data[1];
        blockSize = a->data[2];
    }
    const int unused = int(segments * 7 - data.size());
    can::CanFrame end = request(node, quint8(0xC1 | unused << 2), 0, 0);
    const quint16 checksum = crc ? sdoBlockCrc(data) : 0;
    end.data[1] = quint8(checksum);
    end.data[2] = quint8(checksum >> 8);
    end.data[3] = 0;
    sendFrame(end);
    a = answer(node, result);
    if (a && a->data[0] != 0xA1)
        result.abort = 0xFFFFFFFF;
    return result;
}

SdoTestClient::Result SdoTestClient::upload(quint8 node, quint16 index, quint8 sub,
                                            Transfer transfer, BlockOptions options) {
    if (transfer == Transfer::Block)
        return uploadBlock(node, index, sub, options);
    Result result;
    sendFrame(request(node, 0x40, index, sub));
    const auto a = answer(node, result);
    if (!a)
        return result;
    if ((a->data[0] & 0xE0) != 0x40) {
        result.abort = 0xFFFFFFFF;
        return result;
    }
    if (a->data[0] & 0x02) {
        const int size = (a->data[0] & 0x01) ? 4 - ((a->data[0] >> 2) & 3) : 4;
        result.data = QByteArray(reinterpret_cast<const char*>(&a->data[4]), size);
        return result;
    }
    const quint32 size = le32(*a, 4);
    bool toggle = false;
    for (;;) {
        can::CanFrame s;
        s.id = 0x600u + node;
        s.length = 8;
        s.data[0] = quint8(0x60 | (toggle ? 0x10 : 0));
        sendFrame(s);
        const auto seg = answer(node, result);
        if (!seg)
            return result;
        if (bool(seg->data[0] & 0x10) != toggle || (seg->data[0] & 0xE0) != 0) {
            result.abort = 0xFFFFFFFF;
            return result;
        }
        toggle = !toggle;
        const int bytes = 7 - ((seg->data[0] >> 1) & 7);
        result.data.append(reinterpret_cast<const char*>(&seg->data[1]), bytes);
        if (seg->data[0] & 0x01)
            break;
    }
    if (quint32(result.data.size()) != size)
        result.abort = 0xFFFFFFFF;
    return result;
}

SdoTestClient::Result SdoTestClient::uploadBlock(quint8 node, quint16 index, quint8 sub,
                                                 const BlockOptions& options) {
    Result result;
    can::CanFrame f = request(node, quint8(0xA0 | (options.crc ? 0x04 : 0)), index, sub);
    f.data[4] = options.blockSize;
    f.data[5] = 0;
    sendFrame(f);
    auto a = answer(node, result);
    if (!a)
        return result;
    if ((a->data[0] & 0xE1) != 0xC0) {
        result.abort = 0xFFFFFFFF;
        return result;
    }
    const bool crc = options.crc && (a->data[0] & 0x04);
    const quint32 size = le32(*a, 4);
    sendFrame(request(node, 0xA3, 0, 0));
    QByteArray received;
    bool last = false;
    while (!last) {
        int sequence = 0;
        while (sequence < options.blockSize && !last) {
            const auto seg = answer(node, result);
            if (!seg)
                return result;
            if ((seg->data[0] & 0x7F) != sequence + 1) {
                result.abort = 0xFFFFFFFF;
                return result;
            }
            ++sequence;
            last = seg->data[0] & 0x80;
            received.append(reinterpret_cast<const char*>(&seg->data[1]), 7);
        }
        can::CanFrame ack = request(node, 0xA2, 0, 0);
        ack.data[1] = quint8(sequence);
        ack.data[2] = options.blockSize;
        ack.data[3] = 0;
        sendFrame(ack);
    }
    a = answer(node, result);
    if (!a)
        return result;
    if ((a->data[0] & 0xE3) != 0xC1) {
        result.abort = 0xFFFFFFFF;
        return result;
    }
    received.chop((a->data[0] >> 2) & 7);
    if (quint32(received.size()) != size ||
        (crc && quint16(a->data[1] | a->data[2] << 8) != sdoBlockCrc(received))) {
        result.abort = 0xFFFFFFFE;
        return result;
    }
    sendFrame(request(node, 0xA1, 0, 0));
    result.data = received;
    return result;
}

} // namespace pxu::sim::test
