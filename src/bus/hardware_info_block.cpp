#include "hardware_info_block.h"

#include "big_endian.h"
#include "platform/crc/crc.h"

namespace pxu {

QByteArray HardwareInfoBlock::encode(const QByteArray& base) const {
    QByteArray block = base.left(kSize);
    block.append(QByteArray(kSize - block.size(), '\0'));
    writeBe32(block, 0, quint32(size));
    writeText(block, 4, 8, id);
    writeBe32(block, 12, quint32(hardwareVersion));
    writeText(block, 16, 2, week);
    writeText(block, 18, 2, year);
    writeBe32(block, 20, quint32(serial));
    block[24] = char(ram & 0xFF);
    block[25] = char(ram >> 8);
    block[26] = char(flash & 0xFF);
    block[27] = char(flash >> 8);
    writeBe32(block, 28, quint32(codeStart));
    const qint32 crc = CrcCalculation32(block.constData(), kChecksumOffset, 0);
    writeBe32(block, kChecksumOffset, quint32(crc));
    return block;
}

HardwareInfoBlock HardwareInfoBlock::decode(const QByteArray& block) {
    const auto byteAt = [&](int i) { return i < block.size() ? quint8(block[i]) : quint8(0); };
    HardwareInfoBlock b;
    b.size = qint32(readBe32(block, 0));
    b.id = block.mid(4, 8);
    b.hardwareVersion = qint32(readBe32(block, 12));
    b.week = block.mid(16, 2);
    b.year = block.mid(18, 2);
    b.serial = qint32(readBe32(block, 20));
    b.ram = quint16(byteAt(25) << 8 | byteAt(24));
    b.flash = quint16(byteAt(27) << 8 | byteAt(26));
    b.codeStart = qint32(readBe32(block, 28));
    b.checksum = qint32(readBe32(block, kChecksumOffset));
    return b;
}

quint16 HardwareInfoBlock::weekNumber() const {
    return readBe16(week, 0);
}

quint16 HardwareInfoBlock::yearNumber() const {
    return readBe16(year, 0);
}

} // namespace pxu
