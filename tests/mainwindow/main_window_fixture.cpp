#include "main_window_fixture.h"

#include "bus/auto_download.h"
#include "bus/bus_hooks.h"
#include "bus/can_open_master.h"
#include "bus/connection_status.h"
#include "bus/heart_beat_control.h"
#include "core/config_items.h"
#include "core/globals.h"
#include "core/message_window.h"
#include "platform/db/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace pxu::test {

void resetProgramState() {
    closeConfigRecordsets();
    unloadCanOpen();
    frmMessage2().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    g_toolName = QStringLiteral("DORN Update Tool");
    g_projectName.clear();
    g_configDbPath.clear();
    g_installDir.clear();
    g_workDir.clear();
    g_uploadDir.clear();
    g_moduleType = QStringLiteral("PXU");
    g_KEVMode = g_TOQMode = g_debugMode = g_developMode = g_applUpdate = false;
    g_applType = applTypeZent;
    g_productText.clear();
    g_bigMem = false;
    g_baseAdrAppl = g_baseAdrDC = g_baseAdrFPGA = 0;
    g_mBusMode = false;
    g_canInterfaceVersion.clear();
    g_forceFpgaDownload = true;
    g_moduleDetected = false;
    modHeartBeatControl::g_initialise();
    modAutoDownload::g_initialise();
    modAutoDownload::resetLogin();
    modConnectionStatus::resetAutoLogin();
}

Workspace::Workspace() {
    QVERIFY2(!copyFile(QStringLiteral(PXU_CONFIG_DB), QLatin1String(kConfigName)).isEmpty(),
             PXU_CONFIG_DB);
    qputenv("PXU_LOCK_FILE", path(QStringLiteral("pxuloader.lock")).toLocal8Bit());
}

Workspace::~Workspace() {
    qunsetenv("PXU_LOCK_FILE");
}

QString Workspace::path(const QString& name) const {
    return QDir(m_dir.path()).filePath(name);
}

void Workspace::execute(const QString& sql, const QVariantList& values) {
    db::Database database;
    QVERIFY2(database.open(configDb()), qPrintable(database.lastError()));
    QVERIFY2(database.execute(sql, values), qPrintable(database.lastError()));
}

void Workspace::setMiscItem(const QString& item, const QString& value) {
    execute(QStringLiteral("DELETE FROM miscellaneous WHERE item = ?"), {item});
    execute(QStringLiteral("INSERT INTO miscellaneous (item, value) VALUES (?, ?)"), {item, value});
}

QString Workspace::copyFile(const QString& from, const QString& name) const {
    const QString file = path(name);
    QDir().mkpath(QFileInfo(file).path());
    if (!QFile::copy(from, file))
        return {};
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    return file;
}

QString Workspace::configFolder(const QString& name) const {
    if (copyFile(configDb(), name + u'/' + QLatin1String(kConfigName)).isEmpty())
        return {};
    return path(name);
}

QString Workspace::writeFile(const QString& name, const QByteArray& content,
                             const QDateTime& modified) {
    const QString file = path(name);
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
        return {};
    out.close();
    if (modified.isValid()) {
        QFile stamp(file);
        stamp.open(QIODevice::ReadWrite);
        stamp.setFileTime(modified, QFileDevice::FileModificationTime);
    }
    return file;
}

StartFolders Workspace::folders() const {
    StartFolders folders;
    folders.programDir = path(QStringLiteral("program"));
    folders.defaultInstallDir = path(QStringLiteral("default"));
    folders.ideRoot = path(QStringLiteral("ide"));
    return folders;
}

Program::Program(const Workspace& workspace, QStringList arguments) {
    window.setStartFolders(workspace.folders());
    const bool hasDb = std::any_of(arguments.begin(), arguments.end(), [](const QString& a) {
        return a.startsWith(QStringLiteral("/db="));
    });
    if (!hasDb)
        arguments << QStringLiteral("/db=") + workspace.folder();
    window.setArguments(arguments);
}

Program::~Program() {
    clearBusHooks();
}

} // namespace pxu::test
