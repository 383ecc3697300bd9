#pragma once

#include "dc_job.h"
#include "message_sink.h"

#include <QString>

namespace pxu::dc {

// g_buildEnumTable: rebuilds the symbol rows (id 0 and above) of dcEnums or alarmEnums from
// the scanned rows of the source table (sourceScan), keeping what users entered. A symbol
// the scan found unchanged (upDate 1, by name) or renamed (upDate 3, by id) takes every
// attribute column, introduced among them, from the table as it was; any other symbol
// takes them from the table's default rows (negative ids, in descending order: in dcEnums
// the first named PAR... for parameters and GLB... for variables), or fixed values when
// there are none, and introduced is the scanned developer number. The default rows stay as
// they are. The table as it was is copied to its backup first; "/debug" keeps that copy.
void g_buildEnumTable(DcJob& job, MessageSink& sink, const QString& table,
                      const QString& sourceTable);

} // namespace pxu::dc
