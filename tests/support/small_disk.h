#pragma once

#include <QString>

namespace pxu::test {

// A folder on a small file system of its own (a tmpfs), so that a test meets a full disk
// where it wants to. The file system is mounted in a mount namespace of the test process,
// which goes with the process however it ends. Mounting needs the right to (root with the
// capability to administer the system); where the machine refuses it, isMounted() is false
// and whyNot() says why, for the test to skip.
class SmallDisk {
public:
    // Makes the folder (a new one) and mounts a file system of that many bytes on it.
    SmallDisk(const QString& folder, qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return m_mounted; }
    QString whyNot() const { return m_whyNot; }
    QString path() const { return m_folder; }

    // Fills the disk with a hidden file of its own so that this many bytes stay free
    // (rounded down to the file system's pages); 0 fills it.
    void leaveFree(qint64 bytes);
    // Takes the filler away again.
    void freeAll();
    qint64 bytesFree() const;

private:
    QString m_folder;
    QString m_whyNot;
    bool m_mounted = false;
};

} // namespace pxu::test
