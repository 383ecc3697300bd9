#pragma once

#include "can_frame.h"
#include "sdo_abort.h"

#include <QByteArrayView>
#include <array>

// The client's side of the SDO frame layouts: request builders and field readers.
namespace pxu::can::sdo {

inline constexpr quint32 kRequestBase = 0x600; // client to server: 0x600 + node
inline constexpr quint32 kAnswerBase = 0x580;  // server to client: 0x580 + node
inline constexpr int kSegmentBytes = 7;
inline constexpr int kMaxBlockSize = 127;

using Bytes = std::array<quint8, 8>;

struct Multiplexer {
    quint16 index = 0;
    quint8 subIndex = 0;
    bool operator==(const Multiplexer&) const = default;
};

// The eight data bytes of a frame, zero beyond its length.
Bytes bytesOf(const CanFrame& frame);
CanFrame requestFrame(quint8 node, const Bytes& bytes);

inline int commandOf(const Bytes& b) {
    return b[0] >> 5;
}
inline bool isAbort(const Bytes& b) {
    return b[0] == 0x80;
}
Multiplexer multiplexerOf(const Bytes& b);
quint32 le32(const Bytes& b, int at);

Bytes expeditedDownload(Multiplexer m, QByteArrayView data);
Bytes initiateSegmentedDownload(Multiplexer m, quint32 size);
Bytes downloadSegment(bool toggle, QByteArrayView chunk, bool last);
Bytes initiateUpload(Multiplexer m);
Bytes uploadSegmentRequest(bool toggle);
// Block transfers run without the block CRC: the bus's frame CRC and the sequence numbers
// already guard the data.
Bytes initiateBlockDownload(Multiplexer m, quint32 size);
Bytes blockSegment(int sequence, QByteArrayView chunk, bool last);
Bytes endBlockDownload(int unusedBytes);
Bytes initiateBlockUpload(Multiplexer m, int blockSize);
Bytes startBlockUpload();
Bytes blockAcknowledge(int lastSequence, int blockSize);
Bytes endBlockUploadResponse();
Bytes abortTransfer(Multiplexer m, SdoAbort code);

} // namespace pxu::can::sdo
