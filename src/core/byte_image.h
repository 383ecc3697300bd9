#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu {

// A contiguous memory image: bytes[i] belongs to address start + i. This is what the
// S-record files become and come from; nothing beyond them sees record text.
struct ByteImage {
    quint32 start = 0;
    QByteArray bytes;
};

} // namespace pxu
