#include "header_scan.h"

#include "alarm_list_indexes.h"
#include "dc_schema.h"
#include "enum_table.h"
#include "source_scan.h"

#include <QFileInfo>

namespace pxu::dc {

HeaderScanOutcome scanHeadersAndRebuild(DcJob& job, MessageSink& sink) {
    HeaderScanOutcome outcome;
    g_scanHeaderFiles(job, sink, table::sourceScan);
    g_buildEnumTable(job, sink, table::dcEnums, table::sourceScan);
    g_buildEnumTable(job, sink, table::alarmEnums, table::sourceScan);
    outcome.unresolvedAlarmReferences = resolveAlarmListIndexes(job, sink);
    SpecialSymbols symbols(job, sink);
    outcome.swInfos = symbols.setSwInfos(QFileInfo(job.path()).absolutePath());
    symbols.setDcVersion();
    return outcome;
}

} // namespace pxu::dc
