#include "info_block.h"

#include "checksums.h"

namespace pxu::sim {

int infoBlockSize(int section) {
    return section == kHardwareSection ? kHardwareInfoBlockSize : kInfoBlockSize;
}

quint32 readBe32(const QByteArray& bytes, int offset) {
    if (offset < 0 || offset + 4 > bytes.size())
        return 0;
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | quint8(bytes[offset + i]);
    return value;
}

void writeBe32(QByteArray& bytes, int offset, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char(value >> (24 - 8 * i));
}

quint32 infoBlockSizeField(const QByteArray& block) {
    return readBe32(block, 0);
}

quint32 infoBlockCodeStart(const QByteArray& block) {
    return readBe32(block, 28);
}

quint32 infoBlockCodeLength(const QByteArray& block) {
    return readBe32(block, int(block.size()) - 12);
}

quint32 infoBlockCodeChecksum(const QByteArray& block) {
    return readBe32(block, int(block.size()) - 8);
}

bool infoBlockChecksumValid(const QByteArray& block) {
    if (block.size() < 16)
        return false;
    const int end = int(block.size()) - 4;
    return readBe32(block, end) == crc32(block.constData(), end);
}

void sealInfoBlock(QByteArray& block) {
    const int end = int(block.size()) - 4;
    writeBe32(block, end, crc32(block.constData(), end));
}

namespace {

void writeText(QByteArray& block, int offset, int width, const QByteArray& text) {
    for (int i = 0; i < width; ++i)
        block[offset + i] = i < text.size() ? text[i] : '\0';
}

} // namespace

QByteArray makeInfoBlock(int section, const InfoBlockFields& fields, const QByteArray& image) {
    const int size = infoBlockSize(section);
    QByteArray block(size, '\0');
    writeBe32(block, 0, quint32(size));
    writeText(block, 4, 8, fields.id);
    writeBe32(block, 12, fields.version);
    writeText(block, 16, 12, fields.date);
    writeBe32(block, 28, fields.codeStart);
    writeBe32(block, size - 12, quint32(image.size()));
    writeBe32(block, size - 8, crc32(image));
    sealInfoBlock(block);
    return block;
}

QByteArray makeHardwareInfoBlock(const HardwareInfo& info) {
    QByteArray block(kHardwareInfoBlockSize, '\0');
    writeBe32(block, 0, kHardwareInfoBlockSize);
    writeText(block, 4, 8, "PXU20HW");
    writeBe32(block, 12, info.hardwareVersion);
    writeText(block, 16, 2, info.week);
    writeText(block, 18, 2, info.year);
    writeBe32(block, 20, info.serial);
    block[24] = char(info.ram);
    block[25] = char(info.ram >> 8);
    block[26] = char(info.flash);
    block[27] = char(info.flash >> 8);
    writeBe32(block, 28, info.codeStart);
    sealInfoBlock(block);
    return block;
}

} // namespace pxu::sim
