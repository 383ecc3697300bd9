#pragma once

#include "dc_job.h"
#include "dc_schema.h"
#include "message_sink.h"

#include <QLatin1String>
#include <QString>
#include <array>
#include <optional>

namespace pxu::dc {

// The cross-reference columns of alarmEnums, in the order the index step resolves them.
// Each has a twin of its name followed by "Name".
inline constexpr std::array<QLatin1String, 4> kAlarmReferenceColumns{
    col::onOffDelayId, col::signalIndex, col::onDelayIndex, col::offDelayIndex};

// Resolves one cross-reference column of alarmEnums between symbol names and ids: a name
// that resolves sets the id, an id alone fills in the name. onOffDelayId refers to the
// DELAY_INST rows of sourceScan (255: no reference), the others to the symbol rows of
// dcEnums (-1: no reference). Each reference that cannot be resolved is logged and
// counted, and its alarm row is left as it is. Returns the count.
int g_buildAlarmListIndexes(DcJob& job, const QString& column, MessageSink& sink);

// The index step's work within a job: its heading, then the four columns in their order.
// Returns the number of unresolved references of all four.
int resolveAlarmListIndexes(DcJob& job, MessageSink& sink);
// The end of the index step, before the next step's lines: one error box when references
// stayed unresolved (the work goes on), then an empty line.
void finishAlarmListIndexes(int unresolved, MessageSink& sink);

// The builder's index step (buildAlarmListIndexes) on a database as a job of its own. The
// number of unresolved references; nothing when the job failed (a line says why, and a
// database that could not be written is also given in unwritable).
std::optional<int> buildAlarmListIndexes(const QString& database, MessageSink& sink,
                                         std::optional<FileWriteFailure>* unwritable = nullptr);

} // namespace pxu::dc
