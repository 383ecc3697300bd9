#include "binary_file.h"

#include "error_boundary.h"

#include <QFile>

namespace pxu {

namespace {

const QString kSource = QStringLiteral("modDownload");

// The numbers the error reporter shows for these failures.
constexpr qint64 kErrSubscriptOutOfRange = 9;
constexpr qint64 kErrPathFileAccess = 75;

} // namespace

void g_readBinFile(const QString& fileName, QByteArray& image) {
    guarded("modDownload", "g_readBinFile", [&] {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            raise(kErrPathFileAccess, kSource,
                  QStringLiteral("Path/File access error: %1 (%2)")
                      .arg(fileName, file.errorString()));
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            raise(kErrPathFileAccess, kSource,
                  QStringLiteral("Path/File access error: %1 (%2)")
                      .arg(fileName, file.errorString()));
        if (bytes.isEmpty())
            raise(kErrSubscriptOutOfRange, kSource,
                  QStringLiteral("Subscript out of range: %1 is empty").arg(fileName));
        image = std::move(bytes);
    });
}

} // namespace pxu
