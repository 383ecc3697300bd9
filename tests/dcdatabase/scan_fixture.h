#pragma once

#include "dc_fixture.h"
#include "dcdatabase/scan_rows.h"

#include <QList>
#include <QStringList>
#include <utility>

namespace pxu::test {

// A row as one line of text, to compare rows in tables of cases:
// "NAME=id CLASS/varGroup {fupId|comment} @sourceLine", "~" for a column not written.
QString rowText(const dc::ScanRow& row);
// The rows of sourceScan in a database the same way, ordered by id and name.
QStringList sourceScanRows(const QString& database);

// A text replaced in one of the header files: the file's name, the text, its replacement.
struct HeaderChange {
    QString file;
    QString from;
    QString to;
};

// The tables a header scan works on, with the default rows of dcEnums (PAR_DEFAULT -1,
// GLB_DEFAULT -2) and alarmEnums (ALM_DEFAULT -1) and the layout step of the
// data-container version.
QString scanSchema();

// Writes the test headers (tests/dcdatabase/headers) into the folder, changed as given.
// A change whose text is missing stops the test.
void writeHeaders(const QString& folder, const QList<HeaderChange>& changes = {});

} // namespace pxu::test
