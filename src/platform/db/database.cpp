#include "database.h"

#include "platform/clock/clock.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <atomic>
#include <sqlite3.h>

namespace pxu::db {

namespace {

std::atomic<quint64> g_connections{0};

// How long a statement waits for another program's write to end before it fails: short, so
// that the window is never held, and through the program's clock, as every wait is.
constexpr qint64 kWriterWaitMs = 300;
constexpr qint64 kWriterWaitStepMs = 20;

int waitForTheWriter(void*, int waitsSoFar) {
    if ((waitsSoFar + 1) * kWriterWaitStepMs > kWriterWaitMs)
        return 0;
    clock().sleep(kWriterWaitStepMs);
    return 1;
}

void waitBrieflyForWriters(QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData()))
            sqlite3_busy_handler(connection, waitForTheWriter, nullptr);
    }
}

int primaryCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : -1;
}

} // namespace

QString writtenByAnotherProgram(const QString& path) {
    return QStringLiteral("%1 is being written by another program.")
        .arg(QDir::toNativeSeparators(path));
}

bool isWrittenByAnotherProgram(const QString& failure) {
    return failure.contains(QLatin1String(" is being written by another program."));
}

QString failureText(const QSqlError& error, const QString& path) {
    // SQLITE_BUSY: another connection holds the file locked for its write. (SQLITE_LOCKED
    // is a conflict inside one connection, the program's own.)
    return primaryCode(error) == SQLITE_BUSY ? writtenByAnotherProgram(path) : error.text();
}

Database::Database()
    : m_name(QStringLiteral("pxu-db-%1").arg(++g_connections)) {}

Database::~Database() {
    close();
}

bool Database::openConnection(const QString& path, bool readOnly) {
    close();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    // The same wait should the driver not hand out its handle for the clock's wait.
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kWriterWaitMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    m_db.setConnectOptions(options);
    if (!m_db.open()) {
        m_lastError = m_db.lastError().text();
        close();
        return false;
    }
    waitBrieflyForWriters(m_db);
    // The probe: a file that is not an SQLite database opens, and fails at the first query.
    // A file that another connection holds for its write cannot be read either; at opening,
    // even SQLITE_LOCKED can only be another's.
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const QSqlError error = probe.lastError();
        const int code = primaryCode(error);
        m_lastError = code == SQLITE_BUSY || code == SQLITE_LOCKED
                          ? writtenByAnotherProgram(path)
                          : QStringLiteral("'%1' is not a database: %2")
                                .arg(QFileInfo(path).fileName(), error.text());
        probe = QSqlQuery();
        close();
        return false;
    }
    // Text compares like the original engine: case-insensitively.
    probe.exec(QStringLiteral("PRAGMA case_sensitive_like = OFF"));
    m_path = path;
    m_readOnly = readOnly;
    return true;
}

bool Database::open(const QString& path, bool readOnly, const QString& connect) {
    m_lastError.clear();
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        m_lastError = QStringLiteral("Could not find file '%1'.").arg(path);
        return false;
    }
    if (info.size() == 0) {
        m_lastError = QStringLiteral("'%1' is empty, not a database.").arg(info.fileName());
        return false;
    }
    if (!openConnection(path, readOnly))
        return false;
    m_connect = connect;
    return true;
}

bool Database::create(const QString& path) {
    m_lastError.clear();
    return openConnection(path, false);
}

void Database::close() {
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    m_path.clear();
}

bool Database::isOpen() const {
    return m_db.isValid() && m_db.isOpen();
}

bool Database::execute(const QString& sql, const QVariantList& values) {
    if (!isOpen()) {
        m_lastError = QStringLiteral("Database is not open.");
        return false;
    }
    QSqlQuery query(m_db);
    if (!query.prepare(sql)) {
        m_lastError = failureText(query.lastError(), m_path);
        return false;
    }
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        m_lastError = failureText(query.lastError(), m_path);
        return false;
    }
    return true;
}

bool isWriteFailure(const QString& failure) {
    // SQLite's own words for SQLITE_READONLY, SQLITE_CANTOPEN, SQLITE_FULL and SQLITE_IOERR.
    static const QLatin1String words[] = {QLatin1String("attempt to write a readonly database"),
                                          QLatin1String("unable to open database file"),
                                          QLatin1String("database or disk is full"),
                                          QLatin1String("disk I/O error")};
    return std::any_of(std::begin(words), std::end(words),
                       [&](QLatin1String w) { return failure.contains(w, Qt::CaseInsensitive); });
}

bool isDiskFull(const QString& failure) {
    // SQLITE_FULL; SQLite gives it for a full disk under the database and its journal alike.
    return failure.contains(QLatin1String("database or disk is full"), Qt::CaseInsensitive);
}

QStringList Database::tableNames() const {
    return isOpen() ? m_db.tables() : QStringList{};
}

} // namespace pxu::db
