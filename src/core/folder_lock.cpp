#include "folder_lock.h"

#include "platform/clock/clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pxu {

namespace {

const QLatin1String kLockFile{"pxuloader-dc.lock"};
// A holder that lets the file go between our open and our lock makes us try again.
constexpr int kAttempts = 8;

struct HeldLock {
    int fd = -1;
    int holders = 0;
    QByteArray path;
};

QHash<QString, HeldLock>& heldLocks() {
    static QHash<QString, HeldLock> locks;
    return locks;
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The open file is still the one under the name: a holder removes the file before it lets
// the lock go, so a lock taken on a removed file holds nothing.
bool isNamedFile(int fd, const QByteArray& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

QString userName() {
    if (const passwd* user = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(user->pw_name);
    return QString::number(::geteuid());
}

bool writeHolder(int fd) {
    const QByteArray text =
        QStringLiteral("user=%1\nhost=%2\nprocess=%3\nsince=%4\n")
            .arg(userName(), QSysInfo::machineHostName(),
                 QString::number(QCoreApplication::applicationPid()),
                 clock().currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .toUtf8();
    return ::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), text.size(), 0) == text.size();
}

QString holderOf(const QByteArray& path, const QString& folder) {
    QHash<QString, QString> holder;
    QFile file(QFile::decodeName(path));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype at = line.indexOf('=');
            if (at > 0)
                holder.insert(QString::fromUtf8(line.left(at)),
                              QString::fromUtf8(line.mid(at + 1)));
        }
    }
    const QString text = QStringLiteral("The folder %1 is in use by another PXU Loader")
                             .arg(QDir::toNativeSeparators(folder));
    if (!holder.contains(QStringLiteral("process")))
        return text + QLatin1Char('.');
    return text +
           QStringLiteral(": user %1 on %2, process %3, since %4.")
               .arg(holder.value(QStringLiteral("user")), holder.value(QStringLiteral("host")),
                    holder.value(QStringLiteral("process")), holder.value(QStringLiteral("since")));
}

} // namespace

QString FolderLock::fileName() {
    return kLockFile;
}

std::optional<QString> FolderLock::acquire(const QString& folder) {
    release();
    if (folder.isEmpty())
        return std::nullopt;
    const QFileInfo info(folder);
    QString key = info.canonicalFilePath();
    if (key.isEmpty())
        key = info.absoluteFilePath();
    auto& locks = heldLocks();
    if (const auto held = locks.find(key); held != locks.end()) {
        ++held->holders;
        m_folder = key;
        return std::nullopt;
    }
    const QByteArray path = QFile::encodeName(QDir(key).filePath(kLockFile));
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        bool writable = true;
        int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            // Another user's file, or a folder this session cannot write: locked all the same.
            writable = false;
            fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        }
        if (fd < 0)
            return std::nullopt;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK)
                return holderOf(path, key);
            return QStringLiteral("%1 cannot be locked: %2.")
                .arg(QDir::toNativeSeparators(QFile::decodeName(path)), systemReason(error));
        }
        if (!isNamedFile(fd, path)) {
            ::close(fd);
            continue;
        }
        if (!writable && ::unlink(path.constData()) == 0) {
            // The lock file of a session that is gone, which this one cannot write: made anew,
            // so that it names this session.
            ::close(fd);
            continue;
        }
        if (writable) {
            // Any user may take it over once this session is gone.
            ::fchmod(fd, 0666);
            writeHolder(fd);
        }
        locks.insert(key, HeldLock{fd, 1, path});
        m_folder = key;
        return std::nullopt;
    }
    return QStringLiteral("%1 cannot be locked: it keeps changing.")
        .arg(QDir::toNativeSeparators(QFile::decodeName(path)));
}

void FolderLock::release() {
    if (!held())
        return;
    auto& locks = heldLocks();
    const auto held = locks.find(m_folder);
    m_folder.clear();
    if (held == locks.end() || --held->holders > 0)
        return;
    // Removed while still locked; a read-only folder keeps it, free for the next session.
    if (isNamedFile(held->fd, held->path))
        ::unlink(held->path.constData());
    ::close(held->fd);
    locks.erase(held);
}

} // namespace pxu
