// pxu-sim: simulated PXU-20 modules on Qt SerialBus channels.
#include "auto_download_master.h"
#include "can_channel.h"
#include "command_line.h"
#include "platform/clock/real_clock.h"
#include "service_channel.h"
#include "stop_watcher.h"
#include "system_information.h"
#include "timer_scheduler.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <cstdio>
#include <memory>
#include <vector>

using namespace pxu;
using namespace pxu::sim;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(
            QStringLiteral("qt.canbus.plugins.virtualcan.debug=false"));
    QString error;
    const auto options = parseCommandLine(app.arguments().mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "pxu-sim: %s\n%s", qPrintable(error), qPrintable(usageText()));
        return 2;
    }
    if (options->help) {
        std::fputs(qPrintable(usageText()), stdout);
        return 0;
    }

    // The scheduler outlives the buses, whose modules cancel their tasks on it.
    TimerScheduler scheduler(RealClock::scaleFromEnvironment());
    std::vector<std::unique_ptr<Bus>> buses;
    std::vector<std::unique_ptr<ServiceChannel>> serviceChannels; // before their buses go
    std::vector<std::unique_ptr<AutoDownloadMaster>> spares;      // before their channels go
    std::vector<std::unique_ptr<SystemInformation>> engines;      // before their channels go
    std::vector<std::unique_ptr<CanChannel>> channels;
    int exitCode = 0;
    int connectedCount = 0;
    const auto stop = [&](int code, const QString& why) {
        std::fprintf(stderr, "pxu-sim: %s\n", qPrintable(why));
        exitCode = code;
        app.exit(code);
    };

    for (const ChannelOptions& group : options->channels) {
        buses.push_back(std::make_unique<Bus>(group.bus, scheduler));
        Bus& bus = *buses.back();
        group.applyEdits(bus);
        serviceChannels.push_back(std::make_unique<ServiceChannel>(bus));
        if (group.bus == BusKind::MBus) {
            spares.push_back(std::make_unique<AutoDownloadMaster>(bus, *serviceChannels.back(),
                                                                  group.autoDownload.ids));
            group.autoDownload.apply(*spares.back());
        }
        engines.push_back(std::make_unique<SystemInformation>(
            bus, *serviceChannels.back(), group.systemInfo.ids, group.systemInfo.values));
        channels.push_back(std::make_unique<CanChannel>(group.channel, bus));
        CanChannel* channel = channels.back().get();
        QObject::connect(channel, &CanChannel::connected, [&, channel, g = &group, b = &bus] {
            g->applyModes(*b);
            std::fprintf(stderr, "pxu-sim: %s connected (%s-Bus)\n", qPrintable(channel->name()),
                         qPrintable(busKindText(g->bus)));
            if (++connectedCount == int(channels.size())) {
                std::fputs("ready\n", stdout);
                std::fflush(stdout);
            }
        });
        QObject::connect(channel, &CanChannel::failed, [&, channel](const QString& reason) {
            stop(1, channel->name() + QStringLiteral(": ") + reason);
        });
        QObject::connect(channel, &CanChannel::lost, [&, channel](const QString& reason) {
            stop(1, channel->name() + QStringLiteral(" lost: ") + reason);
        });
    }

    StopWatcher watcher(options->watchStdin);
    QObject::connect(&watcher, &StopWatcher::stopRequested, [&](const QString& reason) {
        stop(0, QStringLiteral("stopping: ") + reason);
    });

    for (const auto& channel : channels)
        channel->open();
    const int code = exitCode != 0 ? exitCode : app.exec();

    for (const auto& bus : buses)
        bus->setModes(0, kModuleCount - 1, Mode::Off);
    channels.clear();
    engines.clear();
    spares.clear();
    serviceChannels.clear();
    buses.clear();
    return code;
}
