#include "dc_image.h"

#include "core/new_file.h"

namespace pxu::dc {

std::optional<FileWriteFailure> writeImageFile(const QString& path, const QByteArray& bytes) {
    return writeFileWhole(path, bytes);
}

std::optional<FileWriteFailure> writeStepLog(const DcImage& image) {
    QByteArray text;
    for (const QString& line : image.stepLog)
        text += line.toLatin1() + "\r\n";
    return writeImageFile(image.stepLogPath(), text);
}

} // namespace pxu::dc
