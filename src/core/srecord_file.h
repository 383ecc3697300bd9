#pragma once

#include "file_write_failure.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace pxu {

// Reads an S-record file into one contiguous image (index 0 = the first data record's
// address) and its start address. False, with an empty image and start address -1, when
// the file cannot be opened, holds a line that is no valid record, has no terminator, gives
// no data byte or an image beyond 64 MiB. Reports nothing; callers say it in their words.
bool g_sRecToBin(const QString& fileName, QByteArray& image, qint32& startAddress);

// Writes image from startAddress as "S19", "S28" or "S37" records. The file is replaced
// only when the whole text was written and flushed to the disk; False, leaving an existing
// file as it was, for another format text, an image whose last address is wider than the
// format's, or a file that cannot be written (then unwritable says why). Reports nothing.
bool g_binToSRec(const QByteArray& image, qint32 startAddress, const QString& format,
                 const QString& fileName, std::optional<FileWriteFailure>* unwritable = nullptr);

} // namespace pxu
