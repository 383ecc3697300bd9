#pragma once

#include "scan_rows.h"

namespace pxu::dc {

// buildGroup: the conventions of the headers resolved after the parse, in one pass over the
// rows of a scan.
// - Groups: the unclassified rows whose ids lie between a FIRST_g and LAST_g marker pair
//   take their class (and, when g holds "_", their variable group) from g.
// - Arrays: a row whose comment holds "* n" or "* x" gets one numbered copy for every
//   further id up to the next row that is no #define.
// A marker pair that does not match, a marker without partner and an array mark on the
// last row throw JobFailure naming the rows and where they were scanned.
void buildGroup(ScanRows& rows);

// Two parameters, variables or alarms with one id would be one symbol to the modules:
// throws JobFailure naming both and where they were scanned.
void failOnSharedIds(const ScanRows& rows);

} // namespace pxu::dc
