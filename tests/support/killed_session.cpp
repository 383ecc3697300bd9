#include "killed_session.h"

#include "platform/db/database.h"
#include "platform/db/database_file.h"
#include "platform/db/sql_script.h"

#include <QFile>

namespace pxu::test {

void leaveKilledInTransaction(const QString& database, const QString& sql,
                              bool writtenIntoTheFile) {
    const QString journal = database + QStringLiteral("-journal");
    const QString killedFile = database + QStringLiteral(".killed");
    const QString killedJournal = killedFile + QStringLiteral("-journal");
    {
        db::Database live;
        QString failure;
        // A small page cache makes SQLite write changed pages into the file before the commit.
        const QString script =
            writtenIntoTheFile
                ? QStringLiteral("PRAGMA cache_size = 10; BEGIN; ") + sql +
                      QStringLiteral("; CREATE TABLE killedSession (x); WITH RECURSIVE n(i) AS "
                                     "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                                     "INSERT INTO killedSession SELECT randomblob(2000) FROM n;")
                : QStringLiteral("BEGIN; ") + sql + u';';
        if (!live.open(database) || !db::runSqlScript(live, script, &failure))
            qFatal("cannot begin the killed transaction: %s", qPrintable(failure));
        if (!QFile::exists(journal) ||
            db::pendingJournals(database).contains(journal) != writtenIntoTheFile)
            qFatal("the killed transaction has not the journal it should have");
        // The files as they lie at the moment of the kill.
        QFile::remove(killedFile);
        QFile::remove(killedJournal);
        if (!QFile::copy(database, killedFile) || !QFile::copy(journal, killedJournal))
            qFatal("cannot copy the killed transaction's files");
        live.execute(QStringLiteral("ROLLBACK"));
    }
    if (!QFile::remove(database) || !QFile::rename(killedFile, database) ||
        !QFile::rename(killedJournal, journal))
        qFatal("cannot leave the killed transaction's files");
}

} // namespace pxu::test
