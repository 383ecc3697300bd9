#pragma once

#include <QString>

namespace pxu {

enum CheckFileResult : int {
    checkFileOk = 0,           // exists (and is or was made writeable when asked)
    checkFileDeclined = 1,     // read-only, the user declined to make it writeable
    checkFileNotWriteable = 2, // read-only and could not be made writeable
    checkFileInvalidPath = 3,  // the folder is not valid
    checkFileNotFound = 4,     // the file does not exist
};

// Checks that a file exists and, with mustBeWriteable, that it is writeable, offering to
// make a read-only file writeable (that question is asked even without showMessages).
CheckFileResult g_checkFile(const QString& fileName, bool mustBeWriteable, bool showMessages);

} // namespace pxu
