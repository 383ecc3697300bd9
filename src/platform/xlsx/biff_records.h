#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>
#include <optional>

namespace pxu::xlsx {

// A record of a legacy workbook's stream: its type and its data.
struct BiffRecord {
    quint16 type = 0;
    QByteArrayView data;

    quint16 u16(qsizetype at) const { return qFromLittleEndian<quint16>(data.data() + at); }
    quint32 u32(qsizetype at) const { return qFromLittleEndian<quint32>(data.data() + at); }
    double f64(qsizetype at) const { return qFromLittleEndian<double>(data.data() + at); }
};

// The records of a workbook stream one after the other, from an offset; the stream must
// outlive the reader and its records.
class BiffRecordReader {
public:
    BiffRecordReader(const QByteArray& stream, qsizetype from)
        : m_stream(stream)
        , m_at(from) {}

    // Nothing at the end of the stream, and from a record that is cut short on.
    std::optional<BiffRecord> next();
    // The type of the record next() gives; 0 at the end.
    quint16 peekType() const;

private:
    const QByteArray& m_stream;
    qsizetype m_at;
    bool m_broken = false;
};

} // namespace pxu::xlsx
