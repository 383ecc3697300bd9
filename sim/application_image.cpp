#include "application_image.h"

#include "checksums.h"

#include <stdexcept>

namespace pxu::sim {

QByteArray applicationImage(int size, quint16 crcLow16, quint32 seed) {
    if (size < 3)
        throw std::invalid_argument("an application image needs at least 3 bytes");
    QByteArray image(size, '\0');
    quint32 x = seed * 2654435761u + 0x9E3779B9u;
    for (int i = 0; i < size - 3; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image[i] = char(x);
    }
    // Three free bytes reach every 16-bit ending many times over.
    const quint32 prefix = crc32(image.constData(), size - 3);
    char* tail = image.data() + size - 3;
    for (quint32 v = 0; v < (1u << 24); ++v) {
        tail[0] = char(v);
        tail[1] = char(v >> 8);
        tail[2] = char(v >> 16);
        if (quint16(crc32(tail, 3, prefix)) == crcLow16)
            return image;
    }
    throw std::logic_error("no application image with that CRC");
}

QByteArray s28Records(const QByteArray& image, quint32 startAddress) {
    if (startAddress + quint64(image.size()) > 0x1000000)
        throw std::invalid_argument("an S2 record file holds 24-bit addresses only");
    QByteArray text;
    const auto record = [&text](char type, quint32 address, const char* data, int length) {
        const int addressBytes = type == '0' ? 2 : 3;
        QByteArray bytes;
        bytes.append(char(length + addressBytes + 1));
        for (int shift = 8 * (addressBytes - 1); shift >= 0; shift -= 8)
            bytes.append(char(address >> shift));
        bytes.append(data, length);
        quint8 sum = 0;
        for (const char c : bytes)
            sum += quint8(c);
        bytes.append(char(~sum));
        text += 'S';
        text += type;
        text += bytes.toHex().toUpper();
        text += "\r\n";
    };
    const QByteArray header = "PXU_APPL";
    record('0', 0, header.constData(), int(header.size()));
    for (qsizetype at = 0; at < image.size(); at += 16)
        record('2', startAddress + quint32(at), image.constData() + at,
               int(std::min<qsizetype>(16, image.size() - at)));
    record('8', 0, nullptr, 0);
    return text;
}

} // namespace pxu::sim
