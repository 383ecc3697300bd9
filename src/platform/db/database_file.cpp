#include "database_file.h"

#include "database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <filesystem>

namespace pxu::db {

namespace {

const QLatin1String kJournals[] = {QLatin1String("-journal"), QLatin1String("-wal")};
// The write-ahead log's index, of no use without its log.
const QLatin1String kWalIndex{"-shm"};

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// SQLite's own test: a journal whose first byte is zero holds nothing to roll back.
bool isPending(const QString& journal) {
    QFile file(journal);
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        return true;
    char first = 0;
    return file.getChar(&first) && first != 0;
}

// Runs SQLite's check of the whole file on an open connection; the first complaint, if any.
std::optional<QString> integrityComplaint(Database& database) {
    QSqlQuery check(database.connection());
    if (!check.exec(QStringLiteral("PRAGMA integrity_check")) || !check.next())
        return failureText(check.lastError(), database.path());
    const QString verdict = check.value(0).toString();
    if (verdict != QLatin1String("ok"))
        return verdict;
    return std::nullopt;
}

} // namespace

QStringList pendingJournals(const QString& database) {
    QStringList pending;
    for (const QLatin1String suffix : kJournals) {
        if (isPending(database + suffix))
            pending << database + suffix;
    }
    return pending;
}

std::optional<QString> recoverInPlace(const QString& database) {
    const QString rollbackJournal = database + kJournals[0];
    if (!QFileInfo::exists(rollbackJournal) && pendingJournals(database).isEmpty())
        return std::nullopt;
    const auto cannotRecover = [&](const QString& failure) {
        return isWrittenByAnotherProgram(failure)
                   ? failure
                   : QStringLiteral("%1 cannot be brought back from its journal: %2")
                         .arg(shown(database), failure);
    };
    {
        // Opening reads the file, and the first read rolls a pending journal back.
        Database recovered;
        if (!recovered.open(database))
            return cannotRecover(recovered.lastError());
        if (const auto complaint = integrityComplaint(recovered))
            return QStringLiteral("%1 is damaged: %2").arg(shown(database), *complaint);
        // A journal whose transaction never wrote the file is ignored by SQLite and stays.
        // With the file locked for writing, no other program can be using it.
        if (QFileInfo::exists(rollbackJournal)) {
            if (!recovered.execute(QStringLiteral("BEGIN IMMEDIATE")))
                return cannotRecover(recovered.lastError());
            QFile stale(rollbackJournal);
            const bool removed = stale.remove();
            recovered.execute(QStringLiteral("ROLLBACK"));
            if (!removed)
                return QStringLiteral("%1 cannot be removed: %2")
                    .arg(shown(rollbackJournal), stale.errorString());
        }
    }
    // A journal that stays is one that another program's write keeps.
    if (!pendingJournals(database).isEmpty())
        return writtenByAnotherProgram(database);
    return std::nullopt;
}

std::optional<QString> clearForNewDatabase(const QString& target) {
    const QFileInfo existing(target);
    if (existing.exists() && existing.size() > 0)
        return recoverInPlace(target);
    for (const QLatin1String suffix : {kJournals[0], kJournals[1], kWalIndex}) {
        QFile orphan(target + suffix);
        if (orphan.exists() && !orphan.remove())
            return QStringLiteral("%1 cannot be removed: %2")
                .arg(shown(orphan.fileName()), orphan.errorString());
    }
    return std::nullopt;
}

std::optional<QString> renameDatabase(const QString& from, const QString& to) {
    if (const auto failure = recoverInPlace(from))
        return failure;
    if (const auto failure = clearForNewDatabase(to))
        return failure;
    std::error_code error;
    std::filesystem::rename(from.toStdString(), to.toStdString(), error);
    if (error)
        return QStringLiteral("%1 cannot be renamed to %2: %3")
            .arg(shown(from), shown(to), QString::fromStdString(error.message()));
    return std::nullopt;
}

} // namespace pxu::db
