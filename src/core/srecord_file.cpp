#include "srecord_file.h"

#include "error_boundary.h"
#include "srecord_reader.h"
#include "srecord_writer.h"

#include <QFile>
#include <QSaveFile>

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
                 const QString& fileName) {
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
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly))
            return;
        if (!writer.write(bytes, file)) {
            file.cancelWriting();
            return;
        }
        result = file.commit();
    });
    return result;
}

} // namespace pxu
