#include "termination_signals.h"

#include "core/error_boundary.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace pxu {

namespace {

// The handler only writes the signal's number here; the event loop reads it.
int g_pipe[2] = {-1, -1};

void onSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
}

} // namespace

void endOnTerminationSignals() {
    if (g_pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    // Owned by the application object, which outlives every event loop.
    auto* notifier =
        new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        unsigned char number = 0;
        if (::read(g_pipe[1], &number, 1) != 1 || programEnding())
            return;
        notifier->setEnabled(false);
        exitProgram(128 + number);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
}

} // namespace pxu
