#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

class QSqlError;

namespace pxu::db {

// One connection to an SQLite database file. The same file may be open in several
// Database objects at once; each has its own connection.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing database file. connect is the engine's connect text (";pwd=...");
    // SQLite has no passwords, so it is kept and ignored. The file is probed, so a file
    // that is missing, empty or not an SQLite database fails here with a clear text.
    bool open(const QString& path, bool readOnly = false, const QString& connect = {});
    // Creates a new, empty database file (or opens an existing one) for writing.
    bool create(const QString& path);
    void close();

    bool isOpen() const;
    bool isReadOnly() const { return m_readOnly; }
    QString path() const { return m_path; }
    QString connectText() const { return m_connect; }
    QString lastError() const { return m_lastError; }

    // Runs one statement with bound values; false with lastError() on failure.
    bool execute(const QString& sql, const QVariantList& values = {});
    QStringList tableNames() const;
    QSqlDatabase& connection() { return m_db; }

private:
    bool openConnection(const QString& path, bool readOnly);

    QSqlDatabase m_db;
    QString m_name;
    QString m_path;
    QString m_connect;
    QString m_lastError;
    bool m_readOnly = false;
};

// Whether a failure text of the database engine says that it could not write a file: the
// database, or the journal beside it (a read-only file or folder, a full disk).
bool isWriteFailure(const QString& failure);
// Whether it says that the disk had no room for what it wrote.
bool isDiskFull(const QString& failure);

// The failure of a statement or an opening that met the file locked by another connection,
// which holds it while it writes: "<file> is being written by another program.".
QString writtenByAnotherProgram(const QString& path);
bool isWrittenByAnotherProgram(const QString& failure);
// The text of a failure of the database engine on the file: another program's write said so,
// else the engine's own words.
QString failureText(const QSqlError& error, const QString& path);

} // namespace pxu::db
