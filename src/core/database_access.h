#pragma once

#include "platform/db/recordset.h"

#include <QString>
#include <memory>

namespace pxu {

class DataControl;

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

// Binds a Data control: points it at the file (applying readOnly) and, when sql is not
// empty, opens the record set of sql with its "?" bound to values and hands it to the
// control, so that a bound grid shows it. True when that record set has a row or sql is
// empty. A record set that cannot be opened: an error box, g_lastDbError set, False, and
// the control holds no record set. A file that opens with neither password is an
// unexpected failure.
bool g_iniDataObject(DataControl& control, const QString& fileName, const QString& sql,
                     bool readOnly, const QVariantList& values = {});

// Whether a table has a field of exactly that name.
bool g_fieldExists(const QString& fileName, const QString& table, const QString& field);

} // namespace pxu
