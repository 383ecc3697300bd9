#include "srecord_file.h"

#include "error_boundary.h"
#include "new_file.h"
#include "srecord_reader.h"
#include "srecord_writer.h"

#include <QFile>

namespace pxu {

namespace {

constexpr qint64 kReadBlock = 256 * 1024;

} // namespace

bool g_sRecToBin(const QString& fileName, QByteArray& image, qint32& startAddress) {
    bool result = false;
    image.clear();
    startAddress = -1;
    guarded("modDownload", "g_sRecToBin", [&] {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return;
        SRecordReader reader;
        reader.reserveForText(file.size());
        QByteArray block(kReadBlock, Qt::Uninitialized);
        while (reader.state() == SRecordReader::State::Reading) {
            const qint64 got = file.read(block.data(), block.size());
            if (got < 0)
                return;
            if (got == 0)
                reader.finish();
            else
                reader.feed(QByteArrayView(block.constData(), got));
        }
        if (reader.state() != SRecordReader::State::Done)
            return;
        ByteImage read = reader.takeImage();
        image = std::move(read.bytes);
        startAddress = qint32(read.start);
        result = true;
    });
    return result;
}

bool g_binToSRec(const QByteArray& image, qint32 startAddress, const QString& format,
                 const QString& fileName, std::optional<FileWriteFailure>* unwritable) {
    bool result = false;
    guarded("modDownload", "g_binToSRec", [&] {
        const auto family = sRecordFamily(format);
        if (!family)
            return;
        const ByteImage bytes{quint32(startAddress), image};
        const SRecordWriter writer(*family);
        if (!writer.fits(bytes))
            return;
        // The old file stays until the new one is complete.
        const auto failure =
            writeFileWhole(fileName, [&](QIODevice& out) { return writer.write(bytes, out); });
        if (failure && unwritable)
            *unwritable = failure;
        result = !failure;
    });
    return result;
}

} // namespace pxu
