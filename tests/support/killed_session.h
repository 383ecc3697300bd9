#pragma once

#include <QString>

namespace pxu::test {

// Leaves the database file as a process that was killed in the middle of a transaction
// leaves it: the rollback journal of the transaction beside the file. With
// writtenIntoTheFile, the transaction is made large enough for SQLite to have written pages
// of it into the file before the kill: opened with its journal, the file is rolled back to
// what it held before; without it, the file holds half the transaction. Otherwise the kill
// came before the transaction wrote the file, and SQLite ignores the journal.
void leaveKilledInTransaction(const QString& database, const QString& sql,
                              bool writtenIntoTheFile = true);

} // namespace pxu::test
