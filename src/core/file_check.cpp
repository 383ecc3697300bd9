#include "file_check.h"

#include "msg_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pxu {

namespace {

const QString kNewLine = QStringLiteral("\r\n");

// Read-only is the mode bit, not what access(2) says: as root every file is writeable.
bool isReadOnly(const QString& fileName) {
    return !(QFile::permissions(fileName) & QFileDevice::WriteOwner);
}

} // namespace

CheckFileResult g_checkFile(const QString& fileName, bool mustBeWriteable, bool showMessages) {
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.dir().exists()) {
        if (showMessages)
            g_errorMsgBox(fileName + kNewLine + QStringLiteral("No valid drive or path!"), {},
                          true);
        return checkFileInvalidPath;
    }
    if (!info.isFile()) {
        if (showMessages)
            g_errorMsgBox(fileName + kNewLine + QStringLiteral("File not found!"), {}, true);
        return checkFileNotFound;
    }
    if (!mustBeWriteable || !isReadOnly(fileName))
        return checkFileOk;

    const QString question = fileName + QStringLiteral(" is read-only.") + kNewLine +
                             QStringLiteral("It must be writeable to execute the program!") +
                             kNewLine + kNewLine +
                             QStringLiteral("Do you want to make it writeable?");
    if (!g_questionMsgBox(question, {}, true))
        return checkFileDeclined;
    QFile::setPermissions(fileName, QFile::permissions(fileName) | QFileDevice::WriteOwner |
                                        QFileDevice::WriteUser);
    if (isReadOnly(fileName)) {
        g_errorMsgBox(fileName + kNewLine + QStringLiteral("File couldn't be made writeable!"), {},
                      true);
        return checkFileNotWriteable;
    }
    return checkFileOk;
}

} // namespace pxu
