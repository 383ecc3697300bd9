#include "scratch_copy.h"

#include "platform/db/database_file.h"

#include <QDir>
#include <QFile>

namespace pxu::dc {

namespace {

constexpr qint64 kChunk = 1 << 20;

} // namespace

ScratchCopy::ScratchCopy(const QString& source, const QString& folder)
    : m_file(QDir(folder).filePath(QStringLiteral("~scratch-XXXXXX.mdb"))) {
    // A journal of a killed job beside the source is rolled back first: copied without it,
    // the copy would hold half that job.
    if (const auto failure = db::recoverInPlace(source)) {
        m_error = *failure;
        return;
    }
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
    if (const auto failure = db::renameDatabase(m_file.fileName(), target)) {
        m_error = *failure;
        return false;
    }
    m_file.setAutoRemove(false);
    return true;
}

} // namespace pxu::dc
