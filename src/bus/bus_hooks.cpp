#include "bus_hooks.h"

#include <QDebug>
#include <set>

namespace pxu {

namespace {
SystemInfoReceivers* g_receivers = nullptr;
std::function<void()> g_refresh;
std::function<void(const QString&)> g_sink;
std::set<BusFailure> g_logged;
} // namespace

void setSystemInfoReceivers(SystemInfoReceivers* receivers) {
    g_receivers = receivers;
}

SystemInfoReceivers* systemInfoReceivers() {
    return g_receivers;
}

void setConnectionDisplay(std::function<void()> refresh) {
    g_refresh = std::move(refresh);
}

void refreshConnectionDisplay() {
    if (g_refresh)
        g_refresh();
}

void setBusMessageSink(std::function<void(const QString&)> sink) {
    g_sink = std::move(sink);
}

bool logBusFailureOnce(BusFailure kind, const QString& text) {
    if (!g_logged.insert(kind).second)
        return false;
    if (g_sink)
        g_sink(text);
    else
        qWarning().noquote() << text;
    return true;
}

void resetBusFailureLatches() {
    g_logged.clear();
}

void clearBusHooks() {
    g_receivers = nullptr;
    g_refresh = {};
    g_sink = {};
    g_logged.clear();
}

} // namespace pxu
