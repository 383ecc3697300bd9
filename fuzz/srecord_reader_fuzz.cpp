// Feeds arbitrary text to the S-record reader, cut in two at a place the input chooses.
// Besides memory errors it checks that the cut changes nothing and that what was read
// comes back unchanged through the writer.
#include "core/srecord_reader.h"
#include "core/srecord_writer.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

using namespace pxu;

namespace {

SRecordReader read(QByteArrayView text, qsizetype cut) {
    SRecordReader reader;
    reader.feed(text.first(cut));
    reader.feed(text.sliced(cut));
    reader.finish();
    return reader;
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArrayView text(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const qsizetype cut = qsizetype(data[0]) % (text.size() + 1);

    const SRecordReader whole = read(text, text.size());
    const SRecordReader pieces = read(text, cut);
    check(whole.state() != SRecordReader::State::Reading);
    check(pieces.state() == whole.state());
    if (whole.state() != SRecordReader::State::Done)
        return 0;
    const ByteImage& image = whole.image();
    check(!image.bytes.isEmpty() && image.bytes.size() <= SRecordReader::kMaxImageSize);
    check(pieces.image().start == image.start && pieces.image().bytes == image.bytes);

    const SRecordWriter writer(*sRecordFamily(u"S37"));
    if (!writer.fits(image))
        return 0;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    check(writer.write(image, out));
    const SRecordReader again = read(out.data(), 0);
    check(again.state() == SRecordReader::State::Done);
    check(again.image().start == image.start && again.image().bytes == image.bytes);
    return 0;
}
