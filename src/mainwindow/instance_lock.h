#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace pxu {

// Keeps a second instance of the program from running: a lock file in the user's runtime
// folder, held while the program runs. PXU_LOCK_FILE names another lock file.
class InstanceLock {
public:
    // False when another running instance holds the lock.
    bool acquire();
    void release();
    bool held() const { return m_lock != nullptr; }

    static QString lockFilePath();

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace pxu
