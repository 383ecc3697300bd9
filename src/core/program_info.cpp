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
    const QVersionNumber v = QVersionNumber::fromString(text);
    return {v.majorVersion(), v.minorVersion(), v.microVersion()};
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
