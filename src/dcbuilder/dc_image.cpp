#include "dc_image.h"

#include <QSaveFile>

namespace pxu::dc {

bool writeImageFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool writeStepLog(const DcImage& image) {
    QByteArray text;
    for (const QString& line : image.stepLog)
        text += line.toLatin1() + "\r\n";
    return writeImageFile(image.stepLogPath(), text);
}

} // namespace pxu::dc
