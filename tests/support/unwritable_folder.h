#pragma once

#include <QString>

namespace pxu::test {

// A folder that this thread cannot write for as long as it lives, as a read-only folder is
// for its user: the folder loses its write permission, and its files stay writable. As
// root, whom permissions do not stop, the thread meanwhile checks files as an unprivileged
// user (its file-system user id), so that a write really fails. Writing the folder's files
// needs the journal SQLite makes beside them, so that fails too.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString& folder);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    // Writable again (for its owner alone, as a test's temporary folder is), before the
    // end of the test's scope.
    void restore();

private:
    QString m_folder;
    bool m_asUser = false;
    bool m_restored = false;
};

} // namespace pxu::test
