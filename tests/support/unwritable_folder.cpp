#include "unwritable_folder.h"

#include <QDir>
#include <QFile>
#include <sys/fsuid.h>
#include <unistd.h>

namespace pxu::test {

namespace {

constexpr uid_t kNobody = 65534;

void changeOwner(const QString& path, uid_t owner) {
    if (::chown(QFile::encodeName(path).constData(), owner, gid_t(-1)) != 0)
        qFatal("chown %s failed", qPrintable(path));
}

} // namespace

UnwritableFolder::UnwritableFolder(const QString& folder)
    : m_folder(folder)
    , m_asUser(::geteuid() == 0) {
    const QDir dir(folder);
    if (m_asUser) {
        // The user's own files in a folder of the user's that has lost its write permission.
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
            changeOwner(dir.filePath(name), kNobody);
        changeOwner(folder, kNobody);
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                      QFileDevice::ReadOther | QFileDevice::ExeOther);
    if (m_asUser)
        ::setfsuid(kNobody);
}

UnwritableFolder::~UnwritableFolder() {
    restore();
}

void UnwritableFolder::restore() {
    if (m_restored)
        return;
    m_restored = true;
    if (m_asUser)
        ::setfsuid(0);
    QFile::setPermissions(m_folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (m_asUser) {
        const QDir dir(m_folder);
        changeOwner(m_folder, 0);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
            changeOwner(dir.filePath(name), 0);
    }
}

} // namespace pxu::test
