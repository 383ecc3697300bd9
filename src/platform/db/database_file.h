#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace pxu::db {

// A database file on disk together with what SQLite keeps beside it: the rollback journal
// ("-journal") or the write-ahead log ("-wal") of a transaction that is open, or that a
// killed process left. Such a journal belongs to the file under its name: moved without it,
// the file holds half a transaction; left behind, it is rolled into whatever file comes to
// that name next. So a database is only ever copied, moved or replaced through these.

// The journals beside the database that SQLite would roll back or replay.
QStringList pendingJournals(const QString& database);

// Brings a database with a journal beside it to its last committed state where it lies:
// SQLite rolls a pending journal back when the file is opened, and a journal it ignores is
// removed. Nothing to do without a journal. The text of the failure when the file cannot be
// opened, is damaged, or another program is writing it.
std::optional<QString> recoverInPlace(const QString& database);

// Makes the name ready to take a new database file: a database there is recovered, so that
// no journal of it stays; a journal there without its database (the file was moved or
// deleted) is removed, as SQLite itself removes one beside an empty file.
std::optional<QString> clearForNewDatabase(const QString& target);

// Renames a database file, replacing a file at the target: both are recovered first, so
// the file arrives whole and no journal of either is left under either name.
std::optional<QString> renameDatabase(const QString& from, const QString& to);

} // namespace pxu::db
