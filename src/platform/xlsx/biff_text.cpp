#include "biff_text.h"

#include <QtEndian>

namespace pxu::xlsx {

namespace {

constexpr quint8 kWide = 0x01;
constexpr quint8 kPhonetic = 0x04;
constexpr quint8 kRuns = 0x08;
constexpr qint64 kRunSize = 4;

} // namespace

BiffContinuedData::BiffContinuedData(QList<QByteArrayView> records, qsizetype from)
    : m_records(std::move(records))
    , m_at(from) {}

bool BiffContinuedData::atEnd() {
    while (m_record < m_records.size() && m_at >= m_records[m_record].size()) {
        ++m_record;
        m_at = 0;
    }
    return m_record >= m_records.size();
}

std::optional<quint32> BiffContinuedData::u32() {
    const std::optional<quint64> value = number(4);
    return value ? std::optional(quint32(*value)) : std::nullopt;
}

bool BiffContinuedData::skip(qint64 count) {
    while (count > 0) {
        if (atEnd())
            return false;
        const qint64 step = std::min(count, qint64(m_records[m_record].size() - m_at));
        m_at += step;
        count -= step;
    }
    return true;
}

// Little-endian; its bytes may lie in two records.
std::optional<quint64> BiffContinuedData::number(int bytes) {
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i) {
        if (atEnd())
            return std::nullopt;
        value |= quint64(quint8(m_records[m_record][m_at++])) << (8 * i);
    }
    return value;
}

std::optional<QString> BiffContinuedData::text(Length length, Extras extras) {
    const std::optional<quint64> count = number(length == Length::Byte ? 1 : 2);
    const std::optional<quint64> flags = count ? number(1) : std::nullopt;
    if (!flags)
        return std::nullopt;
    std::optional<quint64> runs = 0;
    std::optional<quint64> phonetic = 0;
    if (extras == Extras::RunsAndPhonetics) {
        if (*flags & kRuns)
            runs = number(2);
        if (runs && (*flags & kPhonetic))
            phonetic = number(4);
    }
    if (!runs || !phonetic)
        return std::nullopt;
    std::optional<QString> text = characters(int(*count), *flags& kWide);
    if (!text || !skip(qint64(*runs) * kRunSize) || !skip(qint64(*phonetic)))
        return std::nullopt;
    return text;
}

std::optional<QString> BiffContinuedData::characters(int count, bool wide) {
    QString text;
    text.reserve(count);
    while (text.size() < count) {
        if (m_record >= m_records.size())
            return std::nullopt;
        const QByteArrayView data = m_records[m_record];
        if (m_at + (wide ? 2 : 1) > data.size()) {
            if (++m_record >= m_records.size() || m_records[m_record].isEmpty())
                return std::nullopt;
            wide = m_records[m_record][0] & kWide;
            m_at = 1;
            continue;
        }
        text +=
            wide ? QChar(qFromLittleEndian<quint16>(data.data() + m_at)) : QChar(uchar(data[m_at]));
        m_at += wide ? 2 : 1;
    }
    return text;
}

} // namespace pxu::xlsx
