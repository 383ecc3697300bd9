#pragma once

#include "database.h"

#include <QString>
#include <QStringList>

namespace pxu::db {

// The statements of an SQL text: each ends with ";" (outside quotes; a trigger at the ";"
// after its END); "--" starts a comment that runs to the end of the line.
QStringList splitSqlStatements(const QString& text);

// Runs the statements of an SQL text in order; stops at the first that fails. False with
// the database's error and the failing statement in failure.
bool runSqlScript(Database& database, const QString& text, QString* failure = nullptr);

} // namespace pxu::db
