#include "sdo_frames.h"

#include <algorithm>

namespace pxu::can::sdo {

namespace {

Bytes withMultiplexer(quint8 command, Multiplexer m) {
    return Bytes{command, quint8(m.index & 0xFF), quint8(m.index >> 8), m.subIndex, 0, 0, 0, 0};
}

void putLe32(Bytes& b, int at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = quint8(value >> (8 * i));
}

void copyChunk(Bytes& b, int at, QByteArrayView chunk) {
    std::copy(chunk.begin(), chunk.end(), b.begin() + at);
}

} // namespace

Bytes bytesOf(const CanFrame& frame) {
    Bytes b{};
    std::copy_n(frame.data.begin(), std::min<int>(frame.length, 8), b.begin());
    return b;
}

CanFrame requestFrame(quint8 node, const Bytes& bytes) {
    return CanFrame{kRequestBase + node, 8, bytes};
}

Multiplexer multiplexerOf(const Bytes& b) {
    return Multiplexer{quint16(b[1] | (b[2] << 8)), b[3]};
}

quint32 le32(const Bytes& b, int at) {
    return quint32(b[at]) | quint32(b[at + 1]) << 8 | quint32(b[at + 2]) << 16 |
           quint32(b[at + 3]) << 24;
}

Bytes expeditedDownload(Multiplexer m, QByteArrayView data) {
    // ccs 1, e and s set, n = bytes of the four that carry no data
    Bytes b = withMultiplexer(quint8(0x23 | ((4 - data.size()) << 2)), m);
    copyChunk(b, 4, data);
    return b;
}

Bytes initiateSegmentedDownload(Multiplexer m, quint32 size) {
    Bytes b = withMultiplexer(0x21, m);
    putLe32(b, 4, size);
    return b;
}

Bytes downloadSegment(bool toggle, QByteArrayView chunk, bool last) {
    Bytes b{quint8((toggle ? 0x10 : 0) | ((kSegmentBytes - chunk.size()) << 1) | (last ? 1 : 0))};
    copyChunk(b, 1, chunk);
    return b;
}

Bytes initiateUpload(Multiplexer m) {
    return withMultiplexer(0x40, m);
}

Bytes uploadSegmentRequest(bool toggle) {
    return Bytes{quint8(0x60 | (toggle ? 0x10 : 0))};
}

Bytes initiateBlockDownload(Multiplexer m, quint32 size) {
    Bytes b = withMultiplexer(0xC2, m); // ccs 6, no CRC, size indicated
    putLe32(b, 4, size);
    return b;
}

Bytes blockSegment(int sequence, QByteArrayView chunk, bool last) {
    Bytes b{quint8((last ? 0x80 : 0) | sequence)};
    copyChunk(b, 1, chunk);
    return b;
}

Bytes endBlockDownload(int unusedBytes) {
    return Bytes{quint8(0xC1 | (unusedBytes << 2))};
}

Bytes initiateBlockUpload(Multiplexer m, int blockSize) {
    Bytes b = withMultiplexer(0xA0, m); // ccs 5, no CRC
    b[4] = quint8(blockSize);
    b[5] = 0; // never switch to the segmented protocol
    return b;
}

Bytes startBlockUpload() {
    return Bytes{0xA3};
}

Bytes blockAcknowledge(int lastSequence, int blockSize) {
    return Bytes{0xA2, quint8(lastSequence), quint8(blockSize)};
}

Bytes endBlockUploadResponse() {
    return Bytes{0xA1};
}

Bytes abortTransfer(Multiplexer m, SdoAbort code) {
    Bytes b = withMultiplexer(0x80, m);
    putLe32(b, 4, quint32(code));
    return b;
}

} // namespace pxu::can::sdo
