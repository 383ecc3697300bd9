#pragma once

#include "auto_download_options.h"
#include "bus.h"
#include "system_info_options.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace pxu::sim {

// One --channel group of the pxu-sim command line.
struct ChannelOptions {
    struct ModuleEdit {
        QList<int> modules;
        std::function<void(Module&)> apply;
    };
    struct ModeChoice {
        QList<int> modules;
        Mode mode;
    };

    QString channel; // PLUGIN:INTERFACE
    BusKind bus = BusKind::SBus;
    std::vector<ModuleEdit> edits; // settings and faults, in the order given
    std::vector<ModeChoice> modes; // set once the channel is connected
    AutoDownloadOptions autoDownload;
    SystemInfoOptions systemInfo;

    void applyEdits(Bus& target) const;
    void applyModes(Bus& target) const;
};

struct CommandLine {
    std::vector<ChannelOptions> channels;
    bool help = false;
    bool watchStdin = true;
};

// Parses the arguments after the program name; an error text on failure.
std::optional<CommandLine> parseCommandLine(const QStringList& arguments, QString* error);
// "0-6", "0,2,5-7"; empty on a malformed list.
QList<int> parseModuleList(const QString& text);
QString usageText();

} // namespace pxu::sim
