#pragma once

#include "dc_job.h"
#include "dc_schema.h"
#include "message_sink.h"

#include <QString>

namespace pxu::dc {

// g_scanHeaderFiles: refills the table (sourceScan) from "global.h", "library.h" and
// "dataContainer.h" in the folder of the job's database, found in any letter case. The
// rows are parsed, the parameters renumbered, grouped and arrays expanded; then each
// parameter, variable and alarm is compared with the table as it was (upDate 0 to 5) and
// the changes are reported. The table as it was is copied to its backup (the table's name
// followed by "Backup") for the comparison; "/debug" keeps that copy.
//
// Throws JobFailure when a header file is missing or holds input the scan cannot take:
// the job then rolls back and leaves the database as it was.
void g_scanHeaderFiles(DcJob& job, MessageSink& sink, const QString& table = table::sourceScan);

// The log prefix of a class: "LOG:" for alarms, "VAR:" for variables, "PAR:" for
// parameters, else empty.
QString symbolPrefix(const QString& cls);

} // namespace pxu::dc
