#include "biff_records.h"

namespace pxu::xlsx {

std::optional<BiffRecord> BiffRecordReader::next() {
    if (m_broken || m_at < 0 || m_at >= m_stream.size())
        return std::nullopt;
    if (m_at + 4 > m_stream.size()) {
        m_broken = true;
        return std::nullopt;
    }
    BiffRecord record;
    record.type = qFromLittleEndian<quint16>(m_stream.constData() + m_at);
    const qsizetype size = qFromLittleEndian<quint16>(m_stream.constData() + m_at + 2);
    if (m_at + 4 + size > m_stream.size()) {
        m_broken = true;
        return std::nullopt;
    }
    record.data = QByteArrayView(m_stream.constData() + m_at + 4, size);
    m_at += 4 + size;
    return record;
}

quint16 BiffRecordReader::peekType() const {
    if (m_broken || m_at < 0 || m_at + 4 > m_stream.size())
        return 0;
    return qFromLittleEndian<quint16>(m_stream.constData() + m_at);
}

} // namespace pxu::xlsx
