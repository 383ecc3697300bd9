#include "header_scan.h"

#include "alarm_list_indexes.h"
#include "dc_schema.h"
#include "enum_table.h"
#include "source_scan.h"

namespace pxu::dc {

int scanHeadersAndRebuild(DcJob& job, MessageSink& sink) {
    g_scanHeaderFiles(job, sink, table::sourceScan);
    g_buildEnumTable(job, sink, table::dcEnums, table::sourceScan);
    g_buildEnumTable(job, sink, table::alarmEnums, table::sourceScan);
    return resolveAlarmListIndexes(job, sink);
}

} // namespace pxu::dc
