#pragma once

#include "core/config_items.h"
#include "core/globals.h"
#include "core/program_info.h"
#include "main_window_fixture.h"
#include "updater/updater_face.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace pxu::test {

// A main window and its updater face over an open sample configuration, without a bus.
struct FaceRig {
    FaceRig() {
        g_configDbPath = workspace.configDb();
        g_installDir = workspace.folder() + u'/';
        g_projectName = g_toolName;
        g_productText = QStringLiteral("ZENT-6183");
        QVERIFY(g_iniGlobals());
    }
    QString readReport() const {
        QFile file(QDir(programFolder()).filePath(QStringLiteral("DORN Update Tool Report.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }
    Workspace workspace;
    MainWindow window;
    UpdaterFace face{window};
};

} // namespace pxu::test
