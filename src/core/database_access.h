#pragma once

#include "platform/db/recordset.h"

#include <QString>
#include <memory>

namespace pxu {

// The text of the last database failure met by the opening procedures.
inline QString g_lastDbError;

// Opens a database of the program, trying the two stored passwords in their order.
// On failure: an error box naming the file, g_lastDbError set, False.
bool g_openDBBothPasswords(const QString& fileName, std::shared_ptr<db::Database>& database,
                           bool readOnly);

// Opens a record set on a database file. True when it has a row, or is open and
// acceptEmpty is set; the record set is handed back in both cases.
bool g_iniRecordset(const QString& fileName, const QString& sql,
                    std::shared_ptr<db::Database>& database, std::unique_ptr<db::Recordset>& rs,
                    bool acceptEmpty = false, bool readOnly = false, bool silent = false);

// Whether a table has a field of exactly that name.
bool g_fieldExists(const QString& fileName, const QString& table, const QString& field);

} // namespace pxu
