#pragma once

#include "byte_image.h"
#include "srecord_line.h"

#include <QByteArrayView>
#include <QString>

namespace pxu {

// Turns S-record text into one contiguous image. The text comes in pieces of any size, so
// a file never has to be in memory whole; lines end with CR, LF or CR LF.
//
// File-level rules: reading ends at the first terminator (S7, S8, S9) and succeeds only with
// at least one data byte; the first data record's address is the image's start; a record
// above the expected next address (the previous record's address plus its length) leaves a
// gap of zero bytes, one at it follows the previous bytes directly. A record below it, any
// line that is no valid record, and an image beyond kMaxImageSize end the reading with a
// failure.
class SRecordReader {
public:
    static constexpr qsizetype kMaxImageSize = 64 * 1024 * 1024;

    enum class State { Reading, Done, Failed };

    // Takes room at once for the image that textSize characters can give without a gap,
    // so that the image is not copied while it grows.
    void reserveForText(qint64 textSize);

    State feed(QByteArrayView text);
    // The end of the text: a last line without line end is read now.
    State finish();

    State state() const { return m_state; }
    // Complete once the reading has ended.
    const ByteImage& image() const { return m_image; }
    ByteImage takeImage() { return std::move(m_image); }
    // What went wrong and on which line, once Failed.
    const QString& errorString() const { return m_error; }

private:
    // No record needs more; characters after a record's checksum are ignored anyway.
    static constexpr qsizetype kMaxLineLength = 1024;

    void readLine(QByteArrayView line);
    void place(const SRecordLine& record);
    // Room for size bytes of the image.
    void grow(qsizetype size);
    void expectLinesLike(qsizetype lineLength, int dataLength);
    void fail(const QString& error);
    void end(State state);
    void keepPending(QByteArrayView part);

    State m_state = State::Reading;
    // While reading, m_image.bytes is room ahead: only its first m_size bytes are read.
    ByteImage m_image;
    qsizetype m_size = 0;
    qint64 m_textSize = 0;
    bool m_haveStart = false;
    quint64 m_expected = 0;
    qint64 m_lineNumber = 0;
    QByteArray m_pending; // start of a line that the previous piece cut off
    bool m_afterCr = false;
    SRecordLine m_record;
    QString m_error;
};

} // namespace pxu
