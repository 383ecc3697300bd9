#pragma once

#include <QString>

namespace pxu::dc {

class MigrationHost;

// Brings a data-container database to the program's schema (one question before the
// first step) and writes one dated ledger row per step. The whole call is one job: a
// failure rolls every step back and refuses the database with a box that says what
// failed; aliases for the configuration are entered only after the job committed.
// True when the database may be used; changed is set when a step was written. The host
// copies the old plant information in the first step. Boxes name the database as shownAs
// when given (the version that a working copy was made from).
bool g_updateDatabase(const QString& database, bool& changed, MigrationHost* host,
                      const QString& shownAs = {});

// The schema version of the ledger's newest row, "0.0.0" without a row or a readable
// ledger. upToDate is set to whether that version is not older than the program's (left as
// it was without a row); the intermediate step "4.4.4" is not up to date. unread, when given,
// gets why the ledger could not be read.
QString g_getDatabaseVersion(const QString& database, bool& upToDate, QString* unread = nullptr);

} // namespace pxu::dc
