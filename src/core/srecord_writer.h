#pragma once

#include "byte_image.h"
#include "srecord_family.h"

class QIODevice;

namespace pxu {

// Writes an image as data records of one family, 16 bytes each, in ascending order,
// followed by the family's terminator with address 0. Upper-case hex, CR LF line ends;
// no header or count record.
class SRecordWriter {
public:
    static constexpr int kBytesPerRecord = 16;

    explicit SRecordWriter(SRecordFamily family)
        : m_family(family) {}

    // Whether every address of the image has the family's width.
    bool fits(const ByteImage& image) const;
    // False when the device refuses the text. Call only with an image that fits.
    bool write(const ByteImage& image, QIODevice& out) const;

private:
    SRecordFamily m_family;
};

} // namespace pxu
