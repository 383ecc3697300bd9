#pragma once

#include "auto_download_master.h"

#include <QList>
#include <QString>
#include <optional>

namespace pxu::sim {

// The pxu-sim options of the spare's auto download (M-Bus groups only): the variable ids,
// defaulting to the sample configuration's, and the fault switches.
struct AutoDownloadOptions {
    AutoDownloadIds ids;
    AutoDownloadFaults faults;
    QList<int> engineRunning; // cylinder modules that report a running engine

    void apply(AutoDownloadMaster& master) const;
};

// Takes --adl-var NAME=ID and --adl-fault NAME[=VALUE]. Nothing when the option is none of
// them; otherwise whether its value was good (error says why not).
std::optional<bool> parseAutoDownloadOption(const QString& option, const QString& value,
                                            AutoDownloadOptions& into, QString* error);
bool isAutoDownloadOption(const QString& option);
QString autoDownloadUsage();

} // namespace pxu::sim
