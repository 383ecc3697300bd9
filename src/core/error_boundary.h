#pragma once

#include "error.h"

#include <functional>

namespace pxu {

// The user's answer to an unexpected failure.
enum class ErrorAction { Repeat = 0, Continue = 1, Leave = 2, ExitProgram = 3 };

class ErrorHandler {
public:
    virtual ~ErrorHandler() = default;
    virtual ErrorAction onError(const QString& object, const QString& procedure,
                                const Failure& failure) = 0;
};

// The error reporter installs itself here; until then failures are logged and continued.
void setErrorHandler(ErrorHandler* handler);
ErrorHandler& errorHandler();

// Hooks run before the program ends through "Exit program" (the bus log-off). They run
// quietly: boxes get their default answer unseen and failures are only logged. A hook
// that does not return within the time limit does not hold the program: it ends anyway.
void addExitHook(std::function<void()> hook);
[[noreturn]] void exitProgram(int code);
// True from the start of exitProgram.
bool programEnding();
// Real milliseconds the exit hooks may take together (10000 unless set).
void setExitTimeLimit(qint64 ms);
// What ends the program after the hooks (std::exit unless set); tests end by throwing.
void setProgramEnd(std::function<void(int)> end);

namespace detail {
Failure failureOf(std::exception_ptr error);
}

// The boundary of an event handler or public procedure. An exception inside body goes to
// the error reporter: Repeat runs body again, Continue and Leave return with the
// procedure's result as it stands, Exit ends the program.
template <class F> void guarded(const char* object, const char* procedure, F&& body) {
    for (;;) {
        try {
            body();
            return;
        } catch (...) {
            const Failure failure = detail::failureOf(std::current_exception());
            const ErrorAction action = errorHandler().onError(
                QString::fromLatin1(object), QString::fromLatin1(procedure), failure);
            if (action == ErrorAction::Repeat)
                continue;
            if (action == ErrorAction::ExitProgram)
                exitProgram(1);
            return;
        }
    }
}

} // namespace pxu
