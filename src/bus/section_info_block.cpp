#include "section_info_block.h"

#include "big_endian.h"
#include "platform/crc/crc.h"

namespace pxu {

QByteArray SectionInfoBlock::encode(int blockSize) const {
    QByteArray block(blockSize, '\0');
    writeBe32(block, 0, quint32(blockSize));
    writeText(block, 4, 8, id);
    writeBe32(block, 12, quint32(version));
    writeText(block, 16, 12, date);
    writeBe32(block, 28, quint32(codeStart));
    writeBe32(block, blockSize - 12, quint32(codeLength));
    writeBe32(block, blockSize - 8, quint32(codeChecksum));
    const qint32 crc = CrcCalculation32(block.constData(), blockSize - 4, 0);
    writeBe32(block, blockSize - 4, quint32(crc));
    return block;
}

SectionInfoBlock SectionInfoBlock::decode(const QByteArray& block) {
    SectionInfoBlock b;
    b.size = qint32(readBe32(block, 0));
    b.id = block.mid(4, 8);
    b.version = qint32(readBe32(block, 12));
    b.date = block.mid(16, 12);
    b.codeStart = qint32(readBe32(block, 28));
    b.codeLength = qint32(readBe32(block, 32));
    b.codeChecksum = qint32(readBe32(block, 36));
    b.blockChecksum = qint32(readBe32(block, 40));
    return b;
}

} // namespace pxu
