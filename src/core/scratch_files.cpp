#include "scratch_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <cerrno>
#include <csignal>

namespace pxu {

namespace {

const QLatin1String kPrefix{"~scratch-"};

// This machine as a file name may hold it.
QString machine() {
    QString name = QSysInfo::machineHostName();
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9.]"));
    name.replace(unsafe, QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("host") : name;
}

bool isRunning(qint64 pid) {
    if (pid == QCoreApplication::applicationPid())
        return true;
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// A scratch file of this machine whose process has ended, or of an older program that did
// not name its owner.
bool ownerIsGone(const QString& fileName) {
    static const QRegularExpression owned(
        QStringLiteral(R"(^~scratch-(.*)-(\d+)-[A-Za-z0-9]{6}(\.|$))"));
    const auto match = owned.match(fileName);
    if (!match.hasMatch())
        return true;
    return match.captured(1) == machine() && !isRunning(match.captured(2).toLongLong());
}

} // namespace

QString scratchFileTemplate(const QString& folder, const QString& suffix) {
    return QDir(folder).filePath(QStringLiteral("%1%2-%3-XXXXXX%4")
                                     .arg(kPrefix, machine())
                                     .arg(QCoreApplication::applicationPid())
                                     .arg(suffix));
}

bool isScratchFile(const QString& fileName) {
    return fileName.startsWith(kPrefix);
}

QStringList removeLeftoverScratchFiles(const QString& folder) {
    const QDir dir(folder);
    QStringList kept;
    // A journal carries its database's name: it goes with it.
    for (const QString& name :
         dir.entryList({kPrefix + u'*'}, QDir::Files | QDir::Hidden, QDir::Name)) {
        if (ownerIsGone(name) && !QFile::remove(dir.filePath(name)))
            kept << dir.filePath(name);
    }
    return kept;
}

} // namespace pxu
