#include "file_names.h"

#include "globals.h"
#include "msg_box.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace pxu {

namespace {

// Stored names may still carry the other separator.
qsizetype lastSeparator(const QString& name) {
    return std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
}

// The folder part including its separator, as it is written in the name.
QString folderPart(const QString& name) {
    return name.left(lastSeparator(name) + 1);
}

QDir folderDir(const QString& folder) {
    return QDir(folder.isEmpty() ? QStringLiteral(".") : folder);
}

// The names of the files in folder that match the wildcard pattern, case-insensitively
// and sorted; nothing when the folder cannot be listed.
std::optional<QStringList> matching(const QString& folder, const QString& namePattern) {
    const QDir dir = folderDir(folder);
    if (!dir.exists())
        return std::nullopt;
    return dir.entryList({namePattern}, QDir::Files, QDir::Name);
}

} // namespace

QString existingIgnoringCase(const QString& folder, const QString& name) {
    const QDir dir = folderDir(folder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return name;
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& file : files) {
        if (file.compare(name, Qt::CaseInsensitive) == 0)
            return file;
    }
    return {};
}

namespace {

bool isDigits(const QString& text) {
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

} // namespace

QString g_getHighestFileVersion(const QString& pattern, QString& workingCopyName,
                                QString& nextVersionName) {
    const QString folder = folderPart(pattern);
    const QString namePattern = pattern.mid(folder.size());
    const qsizetype p = namePattern.indexOf(QLatin1String("-?"));
    if (p < 0)
        return {};
    qsizetype digits = 0;
    while (p + 1 + digits < namePattern.size() && namePattern[p + 1 + digits] == QLatin1Char('?'))
        ++digits;

    // Sorted, so that equal versions and the refusal of "000" do not depend on the
    // directory's order.
    const auto listed = matching(folder, namePattern);
    if (!listed)
        return {};
    QString highestName;
    qint64 highest = 0;
    for (const QString& name : *listed) {
        const QString version = name.mid(p + 1, digits);
        if (!isDigits(version))
            continue;
        const qint64 number = version.toLongLong();
        if (number == 0) {
            g_errMsgBox(QStringLiteral("Invalid Data Container version number: ") + version);
            return highestName.isEmpty() ? QString() : folder + highestName;
        }
        if (number > highest) {
            highest = number;
            highestName = name;
        }
    }

    QString base = highestName;
    if (highestName.isEmpty()) {
        const QString unversioned = namePattern.left(p) + namePattern.mid(p + 1 + digits);
        highestName = existingIgnoringCase(folder, unversioned);
        if (highestName.isEmpty())
            return {};
        base = namePattern;
    }
    const QString before = folder + base.left(p);
    const QString after = base.mid(p + 1 + digits);
    workingCopyName = before + QStringLiteral("-temp") + after;
    workingCopyName.chop(1);
    nextVersionName = before + QLatin1Char('-') +
                      QString::number(highest + 1).rightJustified(digits, QLatin1Char('0')) + after;
    return folder + highestName;
}

QString g_getDcName(const QString& dcFileName) {
    const QString folder = folderPart(dcFileName);
    const QString name = dcFileName.mid(folder.size());
    const auto existing = matching(folder, name);
    if (!existing || !existing->isEmpty())
        return dcFileName;

    const QString word = QStringLiteral("-PXU");
    const qsizetype at = name.indexOf(word, 0, Qt::CaseInsensitive);
    if (at < 0)
        return dcFileName;
    QString search = name;
    search.replace(at, word.size(), QStringLiteral("-*-PXU"));
    search.replace(QLatin1String("-???"), QLatin1String("*"));
    const auto found = matching(folder, search);
    if (!found)
        return dcFileName;
    for (const QString& file : *found) {
        const qsizetype fileAt = file.indexOf(word, 0, Qt::CaseInsensitive);
        if (fileAt >= 0)
            return folder + file.left(fileAt) + name.mid(at);
    }
    return dcFileName;
}

QString g_fullName(const QString& folder, const QString& fileName) {
    if (folder.isEmpty())
        return fileName;
    if (folder.endsWith(QLatin1Char('/')))
        return folder + fileName;
    return folder + QLatin1Char('/') + fileName;
}

QString g_fileName(const QString& fullName) {
    return fullName.mid(lastSeparator(fullName) + 1);
}

QString g_filePath(const QString& fullName) {
    const qsizetype split = lastSeparator(fullName);
    return split < 0 ? QString() : fullName.left(split);
}

QString templateFolder() {
    const QString work = QDir::cleanPath(QDir::fromNativeSeparators(g_workDir));
    return QDir(QFileInfo(work).path()).filePath(QStringLiteral("PXU_Templates"));
}

} // namespace pxu
