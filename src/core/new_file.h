#pragma once

#include "file_write_failure.h"

#include <QByteArrayView>
#include <QIODevice>
#include <QTemporaryFile>
#include <functional>
#include <optional>

namespace pxu {

// A file being made: written to a scratch file of its own in the folder where it is to lie,
// and made durable (every chunk written whole, then flushed to the disk) before it goes
// anywhere. A write that fails (a full disk, a read-only folder) is kept as the failure,
// naming the file the user knows (the target, or the folder), with the system's reason.
// Until it is placed or kept, the scratch file goes with the object.
class NewFile : public QIODevice {
public:
    // A file to be made in folder, its name ending in suffix (".mdb"); failures name shownAs.
    NewFile(const QString& folder, const QString& suffix, const QString& shownAs);
    ~NewFile() override;

    // Creates the scratch file; only for writing.
    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return true; }
    // Flushes what was written to the disk and closes; false with failure().
    bool finish();
    // finish(), then renames the file over target (a plain file, not a database).
    bool placeAs(const QString& target);
    // The file stays under its name when this object goes (it was renamed by other means).
    void keep() { m_file.setAutoRemove(false); }

    QString path() const { return m_file.fileName(); }
    // The permissions the file gets before it is placed (those of a file it replaces).
    void setPermissionsOf(const QString& file);
    const std::optional<FileWriteFailure>& failure() const { return m_failure; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(int error);

    QTemporaryFile m_file;
    QString m_shownAs;
    QFileDevice::Permissions m_permissions;
    std::optional<FileWriteFailure> m_failure;
};

// Writes a file whole: the text that write gives the device goes to a new file beside it,
// which replaces the file only once it was written and flushed to the disk. Nothing on
// success; else why not, and an existing file stays as it was.
std::optional<FileWriteFailure> writeFileWhole(const QString& file,
                                               const std::function<bool(QIODevice&)>& write);
std::optional<FileWriteFailure> writeFileWhole(const QString& file, QByteArrayView bytes);

// For tests: our own file writes fail at one step, as a full disk makes them fail. The
// steps are counted from the call over every chunk written, every flush to the disk and
// every rename of a NewFile, from 0.
void injectWriteFailure(int step, int error);
void clearInjectedWriteFailure();
// Whether the injected failure has come.
bool injectedWriteFailureCame();

} // namespace pxu
