#include "file_write_failure.h"

#include "platform/db/database.h"
#include "scratch_files.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace pxu {

namespace {

// Enough to meet a full disk or a file-size limit, small enough to be gone at once.
constexpr int kProbeBytes = 4096;

} // namespace

FileWriteFailure::FileWriteFailure(QString file, QString reason)
    : m_file(std::move(file))
    , m_reason(std::move(reason))
    , m_what(text().toUtf8()) {}

QString FileWriteFailure::text() const {
    return cannotBeWritten(m_file, m_reason);
}

QString cannotBeWritten(const QString& file, const QString& reason) {
    return QDir::toNativeSeparators(file) + QStringLiteral(" cannot be written: ") + reason +
           QLatin1Char('.');
}

QString writeFailureReason(int error) {
    if (error == ENOSPC || error == EDQUOT)
        return QStringLiteral("the disk is full");
    return QString::fromStdString(std::generic_category().message(error));
}

void throwIfWrittenByAnotherProgram(const QString& failure, std::initializer_list<QString> files) {
    for (const QString& file : files) {
        if (failure == db::writtenByAnotherProgram(file))
            throw FileWriteFailure(file, QStringLiteral("another program is writing it"));
    }
}

QString whyNotWritable(const QString& file) {
    const QFileInfo info(file);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder));
    QTemporaryFile probe(scratchFileTemplate(folder, QStringLiteral(".probe")));
    if (!probe.open())
        return probe.errorString();
    const QByteArray bytes(kProbeBytes, '\0');
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::write(probe.handle(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return writeFailureReason(n < 0 ? errno : ENOSPC);
        done += n;
    }
    probe.close();
    if (info.exists() && !info.isWritable())
        return QStringLiteral("the file is read-only");
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReadOnly())
        return QStringLiteral("Read-only file system");
    return {};
}

QString whyDatabaseNotWritten(const QString& database, const QString& failure) {
    if (db::isDiskFull(failure))
        return writeFailureReason(ENOSPC);
    return db::isWriteFailure(failure) ? whyNotWritable(database) : QString();
}

} // namespace pxu
