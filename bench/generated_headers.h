#pragma once

#include <QString>

namespace pxu::bench {

// The three header files of generated control software with about that many symbols in the
// folder: parameters (at most 1,000, below id 2048) and alarms a tenth each, the rest
// variables, every tenth member an array of five unless it is an alarm; constants in
// global.h, each written with the one before.
void writeGeneratedHeaders(const QString& folder, int symbols);

} // namespace pxu::bench
