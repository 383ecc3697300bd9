#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu {

// The hardware info block, the 312-byte info block of section 1 (numbers big-endian
// unless said otherwise):
//
//   0 Size | 4 ID (8) | 12 hardware version | 16 production week (2) | 18 production
//   year (2) | 20 serial number | 24 RAM (16 bits, low byte first) | 26 Flash (same) |
//   28 Code Start | ... | 308 checksum (CRC-32 of bytes 0-307)
//
// Week and year are kept as their two raw bytes: the repair window writes ASCII digits,
// older blocks hold a 16-bit number.
struct HardwareInfoBlock {
    static constexpr int kSize = 312;
    static constexpr int kChecksumOffset = 308;

    qint32 size = kSize;
    QByteArray id; // up to 8 characters
    qint32 hardwareVersion = 0;
    QByteArray week; // 2 bytes
    QByteArray year; // 2 bytes
    qint32 serial = 0;
    quint16 ram = 0;
    quint16 flash = 0;
    qint32 codeStart = 0;
    qint32 checksum = 0; // as read; encode() computes its own

    // base's bytes (a template, zero-filled or cut to 312) with these fields written over
    // them and the checksum sealed.
    QByteArray encode(const QByteArray& base = {}) const;
    static HardwareInfoBlock decode(const QByteArray& block);

    // Week and year read as 16-bit big-endian numbers.
    quint16 weekNumber() const;
    quint16 yearNumber() const;
};

} // namespace pxu
