#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

namespace pxu::xlsx {

// The data of a record of a legacy workbook and of the CONTINUE records that carry it on,
// read front to back as one. Where a text's characters run on into the next record, that
// record begins with a flags byte of its own, which says how wide they are from there on.
// The records must outlive the reader.
class BiffContinuedData {
public:
    explicit BiffContinuedData(QList<QByteArrayView> records, qsizetype from = 0);

    bool atEnd();
    std::optional<quint32> u32();
    bool skip(qint64 count);

    enum class Length { Byte, Word };
    enum class Extras { None, RunsAndPhonetics };
    // A text: its length in characters (one or two bytes as it is written), a flags byte, then
    // the characters, one byte each (Latin-1) or two (UTF-16) as the flags say. With extras
    // (the shared-strings list) it may carry formatting runs and a phonetic reading, which are
    // passed over. Nothing when it is cut short.
    std::optional<QString> text(Length length, Extras extras = Extras::None);

private:
    std::optional<quint64> number(int bytes);
    std::optional<QString> characters(int count, bool wide);

    QList<QByteArrayView> m_records;
    qsizetype m_record = 0;
    qsizetype m_at = 0;
};

} // namespace pxu::xlsx
