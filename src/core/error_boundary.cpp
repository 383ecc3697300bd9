#include "error_boundary.h"

#include <QDebug>
#include <cstdlib>
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
    return g_handler ? *g_handler : logging;
}

void addExitHook(std::function<void()> hook) {
    exitHooks().push_back(std::move(hook));
}

void exitProgram(int code) {
    auto hooks = std::move(exitHooks());
    exitHooks().clear();
    for (auto& hook : hooks) {
        try {
            hook();
        } catch (...) {
        }
    }
    std::exit(code);
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
