#include "error_boundary.h"

#include "config_items.h"

#include <QDebug>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pxu {

namespace {

class LoggingHandler : public ErrorHandler {
public:
    ErrorAction onError(const QString& object, const QString& procedure,
                        const Failure& failure) override {
        qWarning().noquote() << QStringLiteral("%1.%2: error %3 (%4): %5 [%6:%7]")
                                    .arg(object, procedure)
                                    .arg(failure.number)
                                    .arg(failure.source, failure.description)
                                    .arg(QString::fromLatin1(failure.where.file_name()))
                                    .arg(failure.where.line());
        return ErrorAction::Continue;
    }
};

ErrorHandler* g_handler = nullptr;
bool g_ending = false;
qint64 g_exitTimeLimitMs = 10000;
std::function<void(int)> g_programEnd;

// Ends the process when the exit hooks overrun their time, unless stood down first.
class ExitWatchdog {
public:
    ExitWatchdog(int code, qint64 limitMs)
        : m_state(std::make_shared<State>()) {
        std::thread([state = m_state, code, limitMs] {
            std::unique_lock lock(state->mutex);
            if (!state->changed.wait_for(lock, std::chrono::milliseconds(limitMs),
                                         [&] { return state->stood; }))
                std::_Exit(code);
        }).detach();
    }
    ~ExitWatchdog() {
        {
            std::lock_guard lock(m_state->mutex);
            m_state->stood = true;
        }
        m_state->changed.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool stood = false;
    };
    std::shared_ptr<State> m_state;
};

std::vector<std::function<void()>>& exitHooks() {
    static std::vector<std::function<void()>> hooks;
    return hooks;
}

} // namespace

void setErrorHandler(ErrorHandler* handler) {
    g_handler = handler;
}

ErrorHandler& errorHandler() {
    static LoggingHandler logging;
    return g_handler && !g_ending ? *g_handler : logging;
}

void addExitHook(std::function<void()> hook) {
    exitHooks().push_back(std::move(hook));
}

void exitProgram(int code) {
    struct Ending {
        Ending() { g_ending = true; }
        ~Ending() { g_ending = false; } // reached only when a test's end throws
    } ending;
    {
        ExitWatchdog watchdog(code, g_exitTimeLimitMs);
        auto hooks = std::move(exitHooks());
        exitHooks().clear();
        for (auto& hook : hooks) {
            try {
                hook();
            } catch (...) {
            }
        }
    }
    if (g_programEnd)
        g_programEnd(code);
    // The configuration record sets are globals: their databases must close while the
    // application object and Qt SQL, whose statics go before them, still exist.
    closeConfigRecordsets();
    std::exit(code);
}

bool programEnding() {
    return g_ending;
}

void setExitTimeLimit(qint64 ms) {
    g_exitTimeLimitMs = ms;
}

void setProgramEnd(std::function<void(int)> end) {
    g_programEnd = std::move(end);
}

namespace detail {

Failure failureOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const PxuError& e) {
        return e.failure();
    } catch (const std::exception& e) {
        return Failure{-1, QStringLiteral("C++"), QString::fromLocal8Bit(e.what()), {}};
    } catch (...) {
        return Failure{-1, QStringLiteral("C++"), QStringLiteral("Unknown exception"), {}};
    }
}

} // namespace detail
} // namespace pxu
