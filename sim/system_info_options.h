#pragma once

#include "system_information.h"

#include <QString>
#include <optional>

namespace pxu::sim {

// The pxu-sim options of the engine's system information: the variable ids, defaulting to
// the sample configuration's, and the values.
struct SystemInfoOptions {
    SystemInfoIds ids;
    EngineValues values;
};

// Takes --sys-var NAME=ID and --sys-info NAME=VALUE. Nothing when the option is none of
// them; otherwise whether its value was good (error says why not).
std::optional<bool> parseSystemInfoOption(const QString& option, const QString& value,
                                          SystemInfoOptions& into, QString* error);
bool isSystemInfoOption(const QString& option);
QString systemInfoUsage();

} // namespace pxu::sim
