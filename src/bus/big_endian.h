#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu {

// Numbers of the module blocks (info blocks, loading status), most significant byte first.
// Readers give 0 for the bytes of a range that lie outside the array, so a short answer
// decodes to zeros instead of reading past its end.
inline quint32 readBe32(const QByteArray& bytes, int offset) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) {
        const int at = offset + i;
        const quint8 b = at >= 0 && at < bytes.size() ? quint8(bytes[at]) : 0;
        value = value << 8 | b;
    }
    return value;
}

inline quint16 readBe16(const QByteArray& bytes, int offset) {
    const auto at = [&](int i) { return i >= 0 && i < bytes.size() ? quint8(bytes[i]) : 0; };
    return quint16(at(offset) << 8 | at(offset + 1));
}

inline void writeBe32(QByteArray& bytes, int offset, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char(value >> (24 - 8 * i));
}

// width bytes at offset: the text's bytes, cut at the width, zero-padded.
inline void writeText(QByteArray& bytes, int offset, int width, const QByteArray& text) {
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = i < text.size() ? text[i] : '\0';
}

} // namespace pxu
