#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>

namespace pxu {

// One S-record line, taken apart without regard to the lines around it.
struct SRecordLine {
    enum class Kind {
        Data,       // S1, S2, S3
        Skipped,    // S0, S4, S5, S6: not examined
        Terminator, // S7, S8, S9: not examined
    };
    Kind kind = Kind::Skipped;
    quint32 address = 0;
    int dataLength = 0;
    // The bytes after the count, as read: address, data and checksum.
    std::array<char, 255> bytes;
    int dataOffset = 0;

    const char* data() const { return bytes.data() + dataOffset; }
};

// Parses line (without its line end) into record. On failure returns false and sets
// error to what was expected against what was found.
bool parseSRecordLine(QByteArrayView line, SRecordLine& record, QString& error);

} // namespace pxu
