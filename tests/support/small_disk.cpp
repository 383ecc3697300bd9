#include "small_disk.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace pxu::test {

namespace {

const QString kFiller = QStringLiteral(".filler");

QString systemError(const char* call) {
    return QStringLiteral("%1: %2").arg(QLatin1String(call),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

// The process's own view of the mounts, once: what it mounts is seen by no one else and
// is gone when the process ends.
QString enterPrivateMounts() {
    static const QString why = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return systemError("unshare");
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return systemError("mount --make-rprivate /");
        return QString();
    }();
    return why;
}

} // namespace

SmallDisk::SmallDisk(const QString& folder, qint64 bytes)
    : m_folder(folder) {
    QDir().mkpath(folder);
    m_whyNot = enterPrivateMounts();
    if (m_whyNot.isEmpty()) {
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    options.constData()) != 0)
            m_whyNot = systemError("mount tmpfs");
    }
    m_mounted = m_whyNot.isEmpty();
    if (!m_mounted)
        m_whyNot = QStringLiteral("this machine lets the test mount no small file system (%1)")
                       .arg(m_whyNot);
}

SmallDisk::~SmallDisk() {
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

qint64 SmallDisk::bytesFree() const {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(m_folder).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

void SmallDisk::leaveFree(qint64 bytes) {
    freeAll();
    const int fd = ::open(QFile::encodeName(QDir(m_folder).filePath(kFiller)).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    static const QByteArray zeros(64 * 1024, '\0');
    for (qint64 over = bytesFree() - bytes; over > 0; over = bytesFree() - bytes) {
        if (::write(fd, zeros.constData(), size_t(std::min<qint64>(over, zeros.size()))) <= 0)
            break;
    }
    ::close(fd);
}

void SmallDisk::freeAll() {
    QFile::remove(QDir(m_folder).filePath(kFiller));
}

} // namespace pxu::test
