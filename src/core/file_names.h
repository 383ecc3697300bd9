#pragma once

#include <QString>

namespace pxu {

// The highest version of a versioned file name. pattern is a full name with the version
// written as "-" and one "?" per digit, e.g. <folder>/<project>-PXU-DC-???.mdb. Returns the
// full name of the existing file with the highest version (or the unversioned file when no
// version exists), else the empty text. When a file is found, workingCopyName gets the
// builder's working copy (<...>-PXU-DC-temp.md) and nextVersionName the name of the next
// version; otherwise both are left as they are. A version "000" is refused with a box.
QString g_getHighestFileVersion(const QString& pattern, QString& workingCopyName,
                                QString& nextVersionName);

// Completes a data-container pattern whose project name lacks the extra word: for
// <folder>/Tool-PXU-DC-???.mdb, when only Tool-X-PXU-DC-002.mdb is there, gives
// <folder>/Tool-X-PXU-DC-???.mdb. Returns the name unchanged when some file matches it,
// the folder cannot be listed or nothing fits.
QString g_getDcName(const QString& dcFileName);

// The name of the file in folder that equals name in any letter case, the exact spelling
// first; empty when there is none.
QString existingIgnoringCase(const QString& folder, const QString& name);

// "PXU_Templates" beside the working folder (g_workDir), whatever separator that ends in:
// the hardware info-block and the data-container templates.
QString templateFolder();

// Folder and name joined with exactly one "/"; an empty folder gives the name alone.
QString g_fullName(const QString& folder, const QString& fileName);
// The parts after and before the last "/" (or "\").
QString g_fileName(const QString& fullName);
QString g_filePath(const QString& fullName);

} // namespace pxu
