#include "scratch_copy.h"

#include "platform/db/database_file.h"

#include <QDir>
#include <QFile>

namespace pxu::dc {

namespace {

constexpr qint64 kChunk = 64 * 1024;

} // namespace

ScratchCopy::ScratchCopy(const QString& source, const QString& folder, const QString& shownAs)
    : m_file(folder, QStringLiteral(".mdb"), shownAs) {
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
    bool written = m_file.open(QIODevice::WriteOnly);
    QByteArray chunk;
    while (written && !in.atEnd()) {
        chunk = in.read(kChunk);
        if (chunk.isEmpty())
            break;
        written = m_file.write(chunk) == chunk.size();
    }
    if (written && (!in.atEnd() || in.error() != QFileDevice::NoError)) {
        m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(source), in.errorString());
        return;
    }
    // Only a copy that is whole on the disk may go anywhere.
    if (!written || !m_file.finish()) {
        m_error = m_file.failure()->text();
        return;
    }
    m_valid = true;
}

bool ScratchCopy::placeAs(const QString& target) {
    if (const auto failure = db::renameDatabase(m_file.path(), target)) {
        m_error = *failure;
        return false;
    }
    m_file.keep();
    return true;
}

} // namespace pxu::dc
