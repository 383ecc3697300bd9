#pragma once

#include <QDateTime>
#include <functional>

namespace pxu {

// Program time. Every sleep, wait, time-out and timer of the tool and of the simulator
// goes through one Clock, so that tests can run them in virtual or scaled time.
class Clock {
public:
    virtual ~Clock() = default;

    virtual qint64 nowUs() const = 0;
    qint64 nowMs() const { return nowUs() / 1000; }
    virtual QDateTime currentDateTime() const = 0;

    // Holds the calling thread; window events wait meanwhile.
    virtual void sleep(qint64 ms) = 0;
    // One pass of the window's events (timers included).
    virtual void doEvents() = 0;
    // Blocks until pred() holds or timeoutMs has passed; window events wait. Returns pred().
    virtual bool waitUntil(const std::function<bool()>& pred, qint64 timeoutMs) = 0;
    // Wakes waitUntil after another thread changed what its predicate reads.
    virtual void notify() = 0;
    // Real milliseconds a program duration lasts (for Qt timers).
    virtual double realMs(qint64 programMs) const = 0;
};

// The program's clock: the real one (scaled by PXU_TIME_SCALE) unless a test set another.
Clock& clock();
// Installs a clock; nullptr restores the real one. The caller keeps ownership.
void setClock(Clock* clock);

// A wait of short sleeps, each followed by a pass of the window's events; it ends early
// once stop, when given, holds.
void waitWithEvents(qint64 totalMs, qint64 stepMs = 5, const std::function<bool()>& stop = {});

} // namespace pxu
