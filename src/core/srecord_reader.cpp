#include "srecord_reader.h"

#include "memory_pages.h"

#include <algorithm>
#include <cstring>

namespace pxu {

namespace {

constexpr quint64 kOnes = 0x0101010101010101ULL;

// Whether one of the eight bytes of w is below 0x0E, as CR and LF are (and no character of a
// valid record is).
constexpr bool hasControlByte(quint64 w) {
    return ((w - kOnes * 0x0E) & ~w & (kOnes << 7)) != 0;
}

// Index of the first CR or LF at or after from, or end.
inline qsizetype lineEnd(const char* p, qsizetype from, qsizetype end) {
    qsizetype i = from;
    // Eight characters at a time up to the word that may hold the line end.
    for (; i + 8 <= end; i += 8) {
        quint64 w;
        std::memcpy(&w, p + i, sizeof w);
        if (hasControlByte(w))
            break;
    }
    for (; i < end; ++i) {
        if (p[i] == '\r' || p[i] == '\n')
            return i;
    }
    return end;
}

} // namespace

void SRecordReader::reserveForText(qint64 textSize) {
    m_textSize = textSize;
    // Two characters give at most one byte. Room that is never written takes no memory.
    const qsizetype room = qsizetype(std::min<qint64>(textSize / 2, kMaxImageSize));
    if (room > m_image.bytes.size()) {
        m_image.bytes.reserve(room);
        m_image.bytes.resize(room);
    }
}

void SRecordReader::expectLinesLike(qsizetype lineLength, int dataLength) {
    // Lines end with at most two characters; the margin leaves out the last lines, which may
    // be shorter, so that no huge page reaches beyond the image.
    constexpr qint64 kMargin = 64 * 1024;
    const qint64 expected = m_textSize * dataLength / (lineLength + 2) - kMargin;
    if (expected > 0)
        adviseHugePages(m_image.bytes.data(),
                        qsizetype(std::min<qint64>(expected, m_image.bytes.size())));
}

SRecordReader::State SRecordReader::feed(QByteArrayView text) {
    const char* p = text.data();
    const qsizetype n = text.size();
    qsizetype i = 0;
    if (m_afterCr && n > 0) {
        m_afterCr = false;
        if (p[0] == '\n')
            i = 1;
    }
    while (m_state == State::Reading && i < n) {
        const qsizetype end = lineEnd(p, i, n);
        if (end == n) {
            keepPending(text.sliced(i));
            break;
        }
        if (m_pending.isEmpty()) {
            readLine(text.sliced(i, end - i));
        } else {
            keepPending(text.sliced(i, end - i));
            readLine(m_pending);
            m_pending.clear();
        }
        i = end + 1;
        if (p[end] == '\r') {
            if (i == n)
                m_afterCr = true;
            else if (p[i] == '\n')
                ++i;
        }
    }
    return m_state;
}

SRecordReader::State SRecordReader::finish() {
    if (m_state == State::Reading && !m_pending.isEmpty()) {
        readLine(m_pending);
        m_pending.clear();
    }
    if (m_state == State::Reading) {
        m_error = QStringLiteral("terminator record (S7, S8 or S9) expected, found the end "
                                 "of the file after %1 lines")
                      .arg(m_lineNumber);
        end(State::Failed);
    }
    return m_state;
}

void SRecordReader::keepPending(QByteArrayView part) {
    const qsizetype room = kMaxLineLength - m_pending.size();
    if (room > 0)
        m_pending.append(part.first(std::min(room, part.size())));
}

void SRecordReader::readLine(QByteArrayView line) {
    ++m_lineNumber;
    QString error;
    if (!parseSRecordLine(line, m_record, error)) {
        fail(error);
        return;
    }
    switch (m_record.kind) {
    case SRecordLine::Kind::Skipped:
        return;
    case SRecordLine::Kind::Data:
        if (!m_haveStart)
            expectLinesLike(line.size(), m_record.dataLength);
        place(m_record);
        return;
    case SRecordLine::Kind::Terminator:
        if (m_size == 0)
            fail(QStringLiteral("data record expected before the terminator"));
        else
            end(State::Done);
        return;
    }
}

void SRecordReader::place(const SRecordLine& record) {
    if (!m_haveStart) {
        m_haveStart = true;
        m_image.start = record.address;
        m_expected = record.address;
    }
    // A record below the end of the previous data would land at the wrong address.
    if (record.address < m_expected) {
        fail(QStringLiteral("record at address %1 or above expected, found one at %2")
                 .arg(QString::number(m_expected, 16).toUpper(),
                      QString::number(record.address, 16).toUpper()));
        return;
    }
    const quint64 gap = record.address - m_expected;
    const quint64 size = quint64(m_size) + gap + quint64(record.dataLength);
    if (size > quint64(kMaxImageSize)) {
        fail(QStringLiteral("image of at most %1 bytes expected, record at address %2 makes "
                            "it %3 bytes")
                 .arg(kMaxImageSize)
                 .arg(QString::number(record.address, 16).toUpper())
                 .arg(size));
        return;
    }
    if (qsizetype(size) > m_image.bytes.size())
        grow(qsizetype(size));
    char* to = m_image.bytes.data() + m_size;
    if (gap > 0)
        std::memset(to, 0, gap);
    std::memcpy(to + gap, record.data(), size_t(record.dataLength));
    m_size = qsizetype(size);
    m_expected = quint64(record.address) + quint64(record.dataLength);
}

void SRecordReader::grow(qsizetype size) {
    QByteArray& bytes = m_image.bytes;
    const qsizetype room = std::max(size, std::min(2 * bytes.size() + 4096, kMaxImageSize));
    bytes.reserve(room);
    bytes.resize(room);
}

void SRecordReader::fail(const QString& error) {
    m_error = m_lineNumber > 0 ? QStringLiteral("line %1: %2").arg(m_lineNumber).arg(error) : error;
    end(State::Failed);
}

void SRecordReader::end(State state) {
    m_state = state;
    // The room ahead goes; shrinking keeps the bytes where they are.
    m_image.bytes.resize(m_size);
    m_image.bytes.squeeze();
}

} // namespace pxu
