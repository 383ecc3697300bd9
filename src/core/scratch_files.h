#pragma once

#include <QString>
#include <QStringList>

namespace pxu {

// The scratch files the tools make in a folder (copies of databases that a job works on,
// files being written before they replace their target) carry their owner in the name, the
// machine and the process, so that a later start can tell the file of a killed job from
// one that a running job still uses.

// The name pattern of a new scratch file in folder, as QTemporaryFile takes it.
QString scratchFileTemplate(const QString& folder, const QString& suffix);

// Whether the file's name is that of a scratch file (of any owner), or of a journal beside
// one.
bool isScratchFile(const QString& fileName);

// Removes the scratch files in the folder whose owner is gone (a killed job's), together
// with what the database engine left beside them. The files that could not be removed.
QStringList removeLeftoverScratchFiles(const QString& folder);

} // namespace pxu
