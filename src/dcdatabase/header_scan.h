#pragma once

#include "dc_job.h"
#include "message_sink.h"

namespace pxu::dc {

// The header scan's work on the symbol tables, within the builder's job on its working
// copy: the header files beside the database scanned into sourceScan, dcEnums and then
// alarmEnums rebuilt from it, the alarm-list indexes resolved. Returns the references of
// alarmEnums the index step could not resolve. A failure anywhere throws, and the job
// rolls all of it back.
int scanHeadersAndRebuild(DcJob& job, MessageSink& sink);

} // namespace pxu::dc
