#include "stop_watcher.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace pxu::sim {

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int signal) {
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

StopWatcher::StopWatcher(bool watchStdin, QObject* parent)
    : QObject(parent) {
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        g_signalPipe[0] = g_signalPipe[1] = -1;
    if (g_signalPipe[0] >= 0) {
        struct sigaction action = {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
        m_signalNotifier =
            std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        connect(m_signalNotifier.get(), &QSocketNotifier::activated, this, &StopWatcher::onSignal);
    }
    if (watchStdin) {
        m_stdinNotifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        connect(m_stdinNotifier.get(), &QSocketNotifier::activated, this, &StopWatcher::onStdin);
    }
}

StopWatcher::~StopWatcher() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
}

void StopWatcher::onSignal() {
    char byte = 0;
    if (::read(g_signalPipe[0], &byte, 1) == 1)
        emit stopRequested(byte == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM"));
}

void StopWatcher::onStdin() {
    // What comes in is not read as commands; only its end counts.
    char buffer[256];
    const auto n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        m_stdinNotifier->setEnabled(false);
        emit stopRequested(QStringLiteral("end of standard input"));
    }
}

} // namespace pxu::sim
