#include "scratch_copy.h"

#include <QDir>
#include <QFile>
#include <filesystem>

namespace pxu::dc {

namespace {

constexpr qint64 kChunk = 1 << 20;

} // namespace

ScratchCopy::ScratchCopy(const QString& source, const QString& folder)
    : m_file(QDir(folder).filePath(QStringLiteral("~scratch-XXXXXX.mdb"))) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(source), in.errorString());
        return;
    }
    if (!m_file.open()) {
        m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file.fileTemplate()),
                                               m_file.errorString());
        return;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() || m_file.write(chunk) != chunk.size())
            break;
    }
    const bool copied = in.atEnd() && in.error() == QFileDevice::NoError && m_file.flush();
    if (!copied) {
        m_error =
            in.error() != QFileDevice::NoError
                ? QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(source), in.errorString())
                : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file.fileName()),
                                               m_file.errorString());
        return;
    }
    m_file.close(); // the file stays until the object goes
    m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
    m_valid = true;
}

bool ScratchCopy::placeAs(const QString& target) {
    std::error_code error;
    std::filesystem::rename(m_file.fileName().toStdString(), target.toStdString(), error);
    if (error) {
        m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target),
                                               QString::fromStdString(error.message()));
        return false;
    }
    m_file.setAutoRemove(false);
    return true;
}

} // namespace pxu::dc
