#include "program_info.h"

#include "globals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QVersionNumber>

namespace pxu {

ProgramVersion programVersion() {
    QString text = QCoreApplication::applicationVersion();
    if (text.isEmpty())
        text = QStringLiteral(PXU_VERSION);
    // Four fields (2.0.0.2) are major, minor, build and revision; the third field is not
    // shown. Three fields are major, minor and revision.
    const QVersionNumber v = QVersionNumber::fromString(text);
    const int revision = v.segmentCount() >= 4 ? v.segmentAt(3) : v.microVersion();
    return {v.majorVersion(), v.minorVersion(), revision};
}

QString programTitle() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::applicationDisplayName();
    return QCoreApplication::applicationName();
}

QString programBaseName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString programFolder() {
    return g_installDir.isEmpty() ? QCoreApplication::applicationDirPath() : g_installDir;
}

} // namespace pxu
