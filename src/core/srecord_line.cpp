#include "srecord_line.h"

#include "srecord_family.h"

namespace pxu {

namespace {

constexpr std::array<qint8, 256> makeHexTable() {
    std::array<qint8, 256> t{};
    for (auto& v : t)
        v = -1;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = qint8(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        t[c] = qint8(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c)
        t[c] = qint8(c - 'a' + 10);
    return t;
}

constexpr auto kHex = makeHexTable();

// The byte at p[0], p[1], or -1 when either is no hexadecimal digit.
inline int hexByte(const char* p) {
    const int hi = kHex[uchar(p[0])];
    const int lo = kHex[uchar(p[1])];
    return (hi | lo) < 0 ? -1 : (hi << 4) | lo;
}

// A digit's value as the high or the low half of a byte, kNoByte for a character that is
// no digit: the or of the two gives the byte, or a value with kNoByte set.
constexpr quint16 kNoByte = 0x100;

constexpr std::array<quint16, 256> makeHalfTable(int shift) {
    std::array<quint16, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = kHex[c] < 0 ? kNoByte : quint16(kHex[c] << shift);
    return t;
}

constexpr auto kHighHalf = makeHalfTable(4);
constexpr auto kLowHalf = makeHalfTable(0);

// Decodes the 2 * count hexadecimal digits at p into count bytes at out; the sum of the
// bytes modulo 256, or -1 when one of the characters is no digit.
int decodeHex(const char* p, int count, char* out) {
    unsigned sum = 0;
    unsigned bad = 0;
    for (int i = 0; i < count; ++i, p += 2) {
        const unsigned b = kHighHalf[uchar(p[0])] | kLowHalf[uchar(p[1])];
        bad |= b;
        sum += b;
        out[i] = char(b);
    }
    return (bad & kNoByte) != 0 ? -1 : int(sum & 0xFFu);
}

QString hex2(unsigned v) {
    return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
}

QString badHexAt(QByteArrayView line, qsizetype from) {
    qsizetype column = from;
    while (kHex[uchar(line[column])] >= 0)
        ++column;
    return QStringLiteral("hexadecimal digit expected at column %1, found character 0x%2")
        .arg(column + 1)
        .arg(hex2(uchar(line[column])));
}

} // namespace

bool parseSRecordLine(QByteArrayView line, SRecordLine& record, QString& error) {
    if (line.isEmpty() || line[0] != 'S') {
        error = line.isEmpty() ? QStringLiteral("'S' expected, found an empty line")
                               : QStringLiteral("'S' expected at column 1, found character 0x%1")
                                     .arg(hex2(uchar(line[0])));
        return false;
    }
    if (line.size() < 2) {
        error = QStringLiteral("record type expected after 'S', found the end of the line");
        return false;
    }
    const char type = line[1];
    switch (type) {
    case '0':
    case '4':
    case '5':
    case '6':
        record.kind = SRecordLine::Kind::Skipped;
        return true;
    case '7':
    case '8':
    case '9':
        record.kind = SRecordLine::Kind::Terminator;
        return true;
    default:
        break;
    }
    const int addressBytes = addressBytesOfDataType(type);
    if (addressBytes == 0) {
        error = QStringLiteral("record type 0 to 9 expected, found character 0x%1")
                    .arg(hex2(uchar(type)));
        return false;
    }

    if (line.size() < 4) {
        error = QStringLiteral("line of at least 4 characters expected, found %1").arg(line.size());
        return false;
    }
    const int count = hexByte(line.data() + 2);
    if (count < 0) {
        error = badHexAt(line, 2);
        return false;
    }
    if (count < addressBytes + 1) {
        error = QStringLiteral("count of at least %1 expected for an S%2 record, found %3")
                    .arg(addressBytes + 1)
                    .arg(QLatin1Char(type))
                    .arg(count);
        return false;
    }
    const qsizetype needed = 4 + 2 * qsizetype(count);
    if (line.size() < needed) {
        error = QStringLiteral("line of %1 characters expected for count %2, found %3")
                    .arg(needed)
                    .arg(count)
                    .arg(line.size());
        return false;
    }

    // Characters after the checksum are ignored.
    const int sum = decodeHex(line.data() + 4, count, record.bytes.data());
    if (sum < 0) {
        error = badHexAt(line, 4);
        return false;
    }
    const auto* bytes = reinterpret_cast<const uchar*>(record.bytes.data());
    quint32 address = 0;
    for (int i = 0; i < addressBytes; ++i)
        address = (address << 8) | bytes[i];
    const unsigned checksum = bytes[count - 1];
    const unsigned expected = 0xFFu - ((unsigned(count) + unsigned(sum) - checksum) & 0xFFu);
    if (checksum != expected) {
        error = QStringLiteral("checksum %1 expected, found %2")
                    .arg(hex2(expected), hex2(unsigned(checksum)));
        return false;
    }
    record.kind = SRecordLine::Kind::Data;
    record.address = address;
    record.dataOffset = addressBytes;
    record.dataLength = count - addressBytes - 1;
    return true;
}

} // namespace pxu
