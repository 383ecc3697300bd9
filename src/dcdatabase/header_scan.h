#pragma once

#include "dc_job.h"
#include "message_sink.h"
#include "special_symbols.h"

namespace pxu::dc {

// What the builder tells and unlocks after a header scan.
struct HeaderScanOutcome {
    // References of alarmEnums the index step could not resolve.
    int unresolvedAlarmReferences = 0;
    SwInfoOutcome swInfos;
};

// The builder's header scan as one job on its working copy: the scan of the header files
// beside it into sourceScan, the rebuild of dcEnums and then alarmEnums, the alarm-list
// indexes, the software information and the data-container version. A failure anywhere
// throws, and the job rolls all of it back.
HeaderScanOutcome scanHeadersAndRebuild(DcJob& job, MessageSink& sink);

} // namespace pxu::dc
