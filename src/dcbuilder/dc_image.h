#pragma once

#include "core/file_write_failure.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace pxu::dc {

// The data container's image (DcImage) in memory over the passes of one build or read,
// with the step log that "/debug" keeps beside the image file. A build writes it to a
// file once, when every pass has succeeded.
struct DcImage {
    QString path; // the image file, e.g. <folder>/PXU_DATA.bin
    QByteArray bytes;
    bool logSteps = false;
    QStringList stepLog;

    // The step log's file: the image file's name with "txt" for its last three characters.
    QString stepLogPath() const { return path.chopped(3) + QStringLiteral("txt"); }
};

// The largest image: what 24-bit S-record addresses reach.
constexpr qint32 kMaxImageBytes = 0x1000000;

// Writes the bytes (or the step log) to the file through a temporary file and a rename.
// Nothing on success, else which file could not be written and why.
std::optional<FileWriteFailure> writeImageFile(const QString& path, const QByteArray& bytes);
std::optional<FileWriteFailure> writeStepLog(const DcImage& image);

} // namespace pxu::dc
