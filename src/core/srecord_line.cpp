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
    const char* p = line.data() + 4;
    unsigned sum = unsigned(count);
    quint32 address = 0;
    for (int i = 0; i < addressBytes; ++i, p += 2) {
        const int b = hexByte(p);
        if (b < 0) {
            error = badHexAt(line, p - line.data());
            return false;
        }
        address = (address << 8) | unsigned(b);
        sum += unsigned(b);
    }
    const int dataLength = count - addressBytes - 1;
    for (int i = 0; i < dataLength; ++i, p += 2) {
        const int b = hexByte(p);
        if (b < 0) {
            error = badHexAt(line, p - line.data());
            return false;
        }
        record.data[i] = char(b);
        sum += unsigned(b);
    }
    const int checksum = hexByte(p);
    if (checksum < 0) {
        error = badHexAt(line, p - line.data());
        return false;
    }
    const unsigned expected = 0xFFu - (sum & 0xFFu);
    if (unsigned(checksum) != expected) {
        error = QStringLiteral("checksum %1 expected, found %2")
                    .arg(hex2(expected), hex2(unsigned(checksum)));
        return false;
    }
    record.kind = SRecordLine::Kind::Data;
    record.address = address;
    record.dataLength = dataLength;
    return true;
}

} // namespace pxu
