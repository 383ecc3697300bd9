#include "instance_lock.h"

#include <QDir>
#include <QStandardPaths>

namespace pxu {

QString InstanceLock::lockFilePath() {
    const QString configured = qEnvironmentVariable("PXU_LOCK_FILE");
    if (!configured.isEmpty())
        return configured;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("pxuloader.lock"));
}

bool InstanceLock::acquire() {
    if (m_lock)
        return true;
    auto lock = std::make_unique<QLockFile>(lockFilePath());
    // A running instance's lock never ages out; one left by a crashed run is stale because
    // its process is gone.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);
    return true;
}

void InstanceLock::release() {
    m_lock.reset();
}

} // namespace pxu
