#pragma once

#include "core/new_file.h"

#include <QString>
#include <optional>

namespace pxu::dc {

// A copy of a database in a scratch file of our own in a folder, for a job to work on.
// It is made from the source's last committed state, written whole and flushed to the disk,
// and goes into place by a rename, so that the file it replaces is never half written and
// no journal of that file is rolled into it; it is removed when it is destroyed unless it
// went into place.
class ScratchCopy {
public:
    // A copy that cannot be written names shownAs (the file it is made for, or the folder).
    ScratchCopy(const QString& source, const QString& folder, const QString& shownAs);
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    // False when the copy could not be made; error() says why.
    bool isValid() const { return m_valid; }
    QString path() const { return m_file.path(); }
    QString error() const { return m_error; }
    // When the copy could not be written (rather than its source read): which file, and why.
    const std::optional<FileWriteFailure>& writeFailure() const { return m_file.failure(); }
    // Renames the copy to target, replacing a file there. False with error() on failure.
    bool placeAs(const QString& target);

private:
    NewFile m_file;
    bool m_valid = false;
    QString m_error;
};

} // namespace pxu::dc
