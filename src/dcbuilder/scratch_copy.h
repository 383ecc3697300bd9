#pragma once

#include <QString>
#include <QTemporaryFile>

namespace pxu::dc {

// A copy of a database in a temporary file of our own in a folder, for a job to work on.
// It is made from the source's last committed state, and goes into place by a rename, so
// that the file it replaces is never half written and no journal of that file is rolled
// into it; it is removed when it is destroyed unless it went into place.
class ScratchCopy {
public:
    ScratchCopy(const QString& source, const QString& folder);
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    // False when the copy could not be made; error() says why.
    bool isValid() const { return m_valid; }
    QString path() const { return m_file.fileName(); }
    QString error() const { return m_error; }
    // Renames the copy to target, replacing a file there. False with error() on failure.
    bool placeAs(const QString& target);

private:
    QTemporaryFile m_file;
    bool m_valid = false;
    QString m_error;
};

} // namespace pxu::dc
