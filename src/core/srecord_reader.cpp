#include "srecord_reader.h"

#include <algorithm>

namespace pxu {

namespace {

// Index of the first CR or LF at or after from, or end.
inline qsizetype lineEnd(const char* p, qsizetype from, qsizetype end) {
    for (qsizetype i = from; i < end; ++i) {
        if (p[i] == '\r' || p[i] == '\n')
            return i;
    }
    return end;
}

} // namespace

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
        m_state = State::Failed;
        m_error = QStringLiteral("terminator record (S7, S8 or S9) expected, found the end "
                                 "of the file after %1 lines")
                      .arg(m_lineNumber);
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
        place(m_record);
        return;
    case SRecordLine::Kind::Terminator:
        if (m_image.bytes.isEmpty())
            fail(QStringLiteral("data record expected before the terminator"));
        else
            m_state = State::Done;
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
    const quint64 size = quint64(m_image.bytes.size()) + gap + quint64(record.dataLength);
    if (size > quint64(kMaxImageSize)) {
        fail(QStringLiteral("image of at most %1 bytes expected, record at address %2 makes "
                            "it %3 bytes")
                 .arg(kMaxImageSize)
                 .arg(QString::number(record.address, 16).toUpper())
                 .arg(size));
        return;
    }
    if (gap > 0)
        m_image.bytes.append(qsizetype(gap), '\0');
    m_image.bytes.append(record.data.data(), record.dataLength);
    m_expected = quint64(record.address) + quint64(record.dataLength);
}

void SRecordReader::fail(const QString& error) {
    m_state = State::Failed;
    m_error = m_lineNumber > 0 ? QStringLiteral("line %1: %2").arg(m_lineNumber).arg(error) : error;
}

} // namespace pxu
