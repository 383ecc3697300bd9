#pragma once

#include <QObject>
#include <functional>

namespace pxu {

// The one shut-down procedure of the program and the end of the run.
//
// Every regular way out asks for the shut-down; it runs once. Asked for while a long
// operation runs (a wait that passes window events), it is carried out when the operation
// has returned, not from inside its loop. A fatal end (after the bus was logged off) stops
// the running loops: they poll ending() and return; the run ends when the last one has.
class ShutDown : public QObject {
    Q_OBJECT
public:
    explicit ShutDown(QObject* parent = nullptr);

    // The shut-down's work, in its order; the program's end follows it.
    void setProcedure(std::function<void()> procedure) { m_procedure = std::move(procedure); }
    // Run when a fatal end is asked for: stops the timers that start loops.
    void setStopLoops(std::function<void()> stop) { m_stopLoops = std::move(stop); }

    // A regular way out (Exit menu and button, the window's close, the updater's end).
    void request();
    // The fatal end: the bus is already logged off.
    void endFatal(int exitCode = 1);
    // The end during start-up, before anything is connected: no shut-down procedure.
    void endAtOnce(int exitCode) { end(exitCode); }

    // Marks a long operation for its lifetime.
    class Operation {
    public:
        explicit Operation(ShutDown& shutDown);
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        ShutDown& m_shutDown;
    };

    bool busy() const { return m_busy > 0; }
    bool pending() const { return m_pending; }
    bool exitStarted() const { return m_exitStarted; }
    // Loops stop when this is set.
    bool ending() const { return m_ending || m_ended; }
    bool ended() const { return m_ended; }
    int exitCode() const { return m_exitCode; }
    int runs() const { return m_runs; }

signals:
    // The run is over; the program leaves its event loop with the code.
    void programEnded(int exitCode);

private:
    void run();
    void end(int exitCode);
    void operationEnded();

    std::function<void()> m_procedure;
    std::function<void()> m_stopLoops;
    int m_busy = 0;
    int m_runs = 0;
    int m_exitCode = 0;
    bool m_pending = false;
    bool m_exitStarted = false;
    bool m_ending = false;
    bool m_ended = false;
};

} // namespace pxu
