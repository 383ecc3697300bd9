#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu::sim {

// Section info blocks as the modules keep them: 44 bytes, 312 for section 1 (the
// hardware info block). Numbers are big-endian. Code Length, Code Checksum and the
// block's own checksum sit at Size - 12, Size - 8 and Size - 4.
constexpr int kInfoBlockSize = 44;
constexpr int kHardwareInfoBlockSize = 312;
constexpr int kHardwareSection = 1;

int infoBlockSize(int section);

quint32 readBe32(const QByteArray& bytes, int offset);
void writeBe32(QByteArray& bytes, int offset, quint32 value);

quint32 infoBlockSizeField(const QByteArray& block);
quint32 infoBlockCodeStart(const QByteArray& block);
quint32 infoBlockCodeLength(const QByteArray& block);
quint32 infoBlockCodeChecksum(const QByteArray& block);
bool infoBlockChecksumValid(const QByteArray& block);
// Writes the block's own checksum over bytes 0 to Size - 5.
void sealInfoBlock(QByteArray& block);

struct InfoBlockFields {
    QByteArray id; // up to 8 characters
    quint32 version = 1;
    QByteArray date; // "mmm dd yyyy"
    quint32 codeStart = 0;
};
// A sealed block describing `image`.
QByteArray makeInfoBlock(int section, const InfoBlockFields& fields, const QByteArray& image);

struct HardwareInfo {
    quint32 hardwareVersion = 7;
    QByteArray week = "05"; // two ASCII digits
    QByteArray year = "26"; // the year's last two digits
    quint32 serial = 1000;
    quint16 ram = 0x0100;
    quint16 flash = 0x0200;
    quint32 codeStart = 0;
};
// A sealed 312-byte hardware info block.
QByteArray makeHardwareInfoBlock(const HardwareInfo& info);

} // namespace pxu::sim
