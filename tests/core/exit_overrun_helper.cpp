// Ends through exitProgram with a log-off hook that never returns.
#include "core/error_boundary.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    pxu::setExitTimeLimit(200);
    pxu::addExitHook([] { std::this_thread::sleep_for(std::chrono::hours(1)); });
    pxu::exitProgram(7);
}
