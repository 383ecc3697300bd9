#pragma once

#include <QString>
#include <optional>

namespace pxu {

// Keeps two sessions of the tool (two users, or two instances with their own runtime
// folders) from working in one plant folder at once: a lock file in the folder that the
// operating system keeps locked while a holder of this process has it. The lock goes with
// the process, so that one left by a killed session is free and taken over; the file says
// who holds it (user, host, process). Holders in one process share the lock. Window
// thread only.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock() { release(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the folder's lock. Nothing when it is taken, and when no lock file can be made
    // because this session cannot write the folder (nor then anything else in it); else
    // the text that says who holds it.
    std::optional<QString> acquire(const QString& folder);
    void release();
    bool held() const { return !m_folder.isEmpty(); }

    // The lock file's name in the folder.
    static QString fileName();

private:
    QString m_folder; // as the process's table of locks knows it
};

} // namespace pxu
