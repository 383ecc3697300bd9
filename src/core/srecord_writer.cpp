#include "srecord_writer.h"

#include <QIODevice>

namespace pxu {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr qsizetype kBufferSize = 64 * 1024;

class LineBuilder {
public:
    explicit LineBuilder(QIODevice& out)
        : m_out(out) {
        m_buffer.resize(kBufferSize);
    }

    // Appends one record line; address holds addressBytes bytes, most significant first.
    void record(char type, int addressBytes, quint32 address, const char* data, int length) {
        // Longest line: "S" type, count, 4 address bytes, 255 data bytes, checksum, CR LF.
        constexpr qsizetype kLongest = 4 + 2 * (4 + 255 + 1) + 2;
        if (m_used + kLongest > m_buffer.size())
            flush();
        char* p = m_buffer.data() + m_used;
        const char* const begin = p;
        const unsigned count = unsigned(addressBytes + length + 1);
        unsigned sum = count;
        *p++ = 'S';
        *p++ = type;
        p = hex(p, count);
        for (int shift = 8 * (addressBytes - 1); shift >= 0; shift -= 8) {
            const unsigned b = (address >> shift) & 0xFFu;
            sum += b;
            p = hex(p, b);
        }
        for (int i = 0; i < length; ++i) {
            const unsigned b = uchar(data[i]);
            sum += b;
            p = hex(p, b);
        }
        p = hex(p, 0xFFu - (sum & 0xFFu));
        *p++ = '\r';
        *p++ = '\n';
        m_used += p - begin;
    }

    bool flush() {
        if (m_ok && m_used > 0)
            m_ok = m_out.write(m_buffer.constData(), m_used) == m_used;
        m_used = 0;
        return m_ok;
    }

private:
    static char* hex(char* p, unsigned b) {
        *p++ = kDigits[(b >> 4) & 0xFu];
        *p++ = kDigits[b & 0xFu];
        return p;
    }

    QIODevice& m_out;
    QByteArray m_buffer;
    qsizetype m_used = 0;
    bool m_ok = true;
};

} // namespace

bool SRecordWriter::fits(const ByteImage& image) const {
    if (image.bytes.isEmpty())
        return true;
    const quint64 last = quint64(image.start) + quint64(image.bytes.size()) - 1;
    return last <= m_family.maxAddress();
}

bool SRecordWriter::write(const ByteImage& image, QIODevice& out) const {
    LineBuilder lines(out);
    const char* data = image.bytes.constData();
    const qsizetype size = image.bytes.size();
    for (qsizetype offset = 0; offset < size; offset += kBytesPerRecord) {
        const int length = int(std::min<qsizetype>(kBytesPerRecord, size - offset));
        lines.record(m_family.dataType, m_family.addressBytes, image.start + quint32(offset),
                     data + offset, length);
    }
    lines.record(m_family.terminatorType, m_family.addressBytes, 0, nullptr, 0);
    return lines.flush();
}

} // namespace pxu
