#pragma once

#include "dc_job.h"

#include <QList>
#include <QString>

// The table and column operations by which schema steps change a data-container database.
// They work on the step's job, so that a step is written whole or not at all. Log entries
// end with a line feed.
namespace pxu::dc {

// Field types of a new table: date and time, text of the given size, memo.
enum FieldType : int { fieldDate = 8, fieldText = 10, fieldMemo = 12 };
struct FieldDef {
    QString name;
    int type = fieldText;
    int size = 0;
};

// Creates the table with the fields; False when a table of that name exists.
bool g_addTable(DcJob& job, const QString& table, const QList<FieldDef>& fields);
// Adds the column of that type ("smallint", "Text(128)") when the table lacks it; True
// when it was added. A table that cannot be read is told in a box unless quiet.
bool g_addColumn(DcJob& job, const QString& table, const QString& field, const QString& type,
                 QString& log, bool quiet);
// Sets the column to the value in every row; nothing when the table cannot be read.
void g_setColumn(DcJob& job, const QString& table, const QString& field, const QVariant& value);
// True when the table has the column. With keep the column stays and the log notes that
// it could be removed; else it is dropped.
bool g_removeColumn(DcJob& job, const QString& table, const QString& field, QString& log, bool keep,
                    bool quiet);
// With keep the log notes that the table could be removed (False); else the table is
// dropped: True when that worked.
bool g_removeTable(DcJob& job, const QString& table, QString& log, bool keep);

} // namespace pxu::dc
