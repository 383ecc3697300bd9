#include "shut_down.h"

#include "core/error_boundary.h"

namespace pxu {

ShutDown::ShutDown(QObject* parent)
    : QObject(parent) {}

void ShutDown::request() {
    if (m_exitStarted || m_pending || ending())
        return;
    if (busy()) {
        m_pending = true;
        return;
    }
    run();
}

void ShutDown::run() {
    m_pending = false;
    m_exitStarted = true;
    ++m_runs;
    guarded("frmMain", "mnuExit_Click", [&] {
        if (m_procedure)
            m_procedure();
    });
    end(0);
}

void ShutDown::endFatal(int exitCode) {
    if (ending())
        return;
    m_ending = true;
    m_exitCode = exitCode;
    if (m_stopLoops)
        m_stopLoops();
    if (!busy())
        end(exitCode);
}

void ShutDown::end(int exitCode) {
    if (m_ended)
        return;
    m_ended = true;
    m_exitCode = exitCode;
    emit programEnded(exitCode);
}

void ShutDown::operationEnded() {
    if (--m_busy > 0)
        return;
    if (m_ending)
        end(m_exitCode);
    else if (m_pending)
        run();
}

ShutDown::Operation::Operation(ShutDown& shutDown)
    : m_shutDown(shutDown) {
    ++m_shutDown.m_busy;
}

ShutDown::Operation::~Operation() {
    m_shutDown.operationEnded();
}

} // namespace pxu
