#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu {

// The section info block that a module's bootloader keeps beside each section's code
// (44 bytes, numbers big-endian, texts zero-padded):
//
//   0 Size | 4 ID (8) | 12 Version | 16 Date (12, "mmm dd yyyy") | 28 Code Start |
//   32 Code Length | 36 Code Checksum | 40 Info Block Checksum (CRC-32 of bytes 0-39)
//
// The tool writes the hardware section in a 312-byte block of the same fields: Code
// Length, Code Checksum and the block checksum then sit at the block's end (Size - 12,
// Size - 8, Size - 4), while readers always take Code Length and Code Checksum from 32
// and 36.
struct SectionInfoBlock {
    static constexpr int kSize = 44;

    qint32 size = kSize;
    QByteArray id; // up to 8 characters
    qint32 version = 1;
    QByteArray date; // up to 12 characters
    qint32 codeStart = 0;
    qint32 codeLength = 0;
    qint32 codeChecksum = 0;
    qint32 blockChecksum = 0; // as read; encode() computes its own

    // The block of blockSize bytes (44, or 312 for the hardware section) with its Size
    // field set to blockSize and its checksum over everything before it.
    QByteArray encode(int blockSize = kSize) const;
    static SectionInfoBlock decode(const QByteArray& block);
};

} // namespace pxu
