#include "config_location.h"

#include "core/file_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace pxu {

namespace {

QString withSeparator(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

StartFolders StartFolders::fromProcess() {
    StartFolders folders;
    folders.programDir = QCoreApplication::applicationDirPath();
    folders.defaultInstallDir =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QStringLiteral("BrantolaDORN/DORN Update Tool"));
    folders.ideRoot = QDir::home().filePath(QStringLiteral("ZENT6183"));
    return folders;
}

ConfigLocation locateConfigDatabase(const CommandLine& line, const StartFolders& folders) {
    ConfigLocation where;
    where.toolName = line.ide ? QStringLiteral("PXULoader") : QStringLiteral("DORN Update Tool");
    where.installDir = withSeparator(folders.defaultInstallDir);
    const QString fileName = where.toolName + QStringLiteral("-Config.mdb");

    if (line.db) {
        const QString& value = *line.db;
        if (value.contains(QLatin1Char('/')))
            where.installDir = withSeparator(QDir::cleanPath(QFileInfo(value).absoluteFilePath()));
        else if (line.ide)
            where.installDir = withSeparator(QDir(folders.ideRoot).filePath(value));
        else
            where.installDir = withSeparator(folders.programDir);
    }

    where.configDbPath = where.installDir + fileName;
    if (!where.configDbPath.contains(QLatin1Char('/')))
        where.configDbPath = g_fullName(QDir::currentPath(), where.configDbPath);
    where.workDir = g_filePath(where.configDbPath);
    where.uploadDir = where.workDir + QStringLiteral("/Upload");
    return where;
}

QStringList deleteMatchingFiles(const QString& folder, const QString& pattern) {
    QStringList failed;
    const QDir dir(folder);
    const QStringList files = dir.entryList({pattern}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& file : files) {
        if (!QFile::remove(dir.filePath(file)))
            failed << dir.filePath(file);
    }
    return failed;
}

} // namespace pxu
