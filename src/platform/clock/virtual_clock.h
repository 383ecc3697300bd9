#pragma once

#include "clock.h"
#include "scheduler.h"

#include <map>
#include <set>

namespace pxu {

class ClockTimer;

// Simulated time for tests and benchmarks, single-threaded. Time moves only when the
// program sleeps or waits, or when the test runs it. Scheduled tasks stand for what runs
// beside the window thread (the bus, the modules) and run during any sleep; timers stand
// for the window's timers and fire only where window events are passed.
class VirtualClock : public Clock, public Scheduler {
public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(8, 0)));
    ~VirtualClock() override;

    qint64 nowUs() const override { return m_nowUs; }
    QDateTime currentDateTime() const override;
    void sleep(qint64 ms) override;
    void doEvents() override;
    bool waitUntil(const std::function<bool()>& pred, qint64 timeoutMs) override;
    void notify() override {}
    double realMs(qint64) const override { return 0; }

    TaskId callAt(qint64 atUs, std::function<void()> task) override;
    void cancel(TaskId id) override;

    // Passes time with window events, as the application's event loop would.
    void runFor(qint64 ms);
    // Runs until pred() holds or maxMs passed; returns pred().
    bool runUntil(const std::function<bool()>& pred, qint64 maxMs);
    // Like sleep, in microseconds (bus timing).
    void advanceUs(qint64 us);

    // ClockTimer's side.
    void startTimer(ClockTimer* timer);
    void stopTimer(ClockTimer* timer);

private:
    struct Task {
        TaskId id;
        std::function<void()> run;
    };
    using Key = std::pair<qint64, quint64>; // time, order of scheduling

    bool runNextTaskUntil(qint64 untilUs);
    bool fireDueTimers();
    qint64 nextTimerDueUs() const;
    void passWindowEvents();

    qint64 m_nowUs = 0;
    QDateTime m_start;
    quint64 m_sequence = 0;
    std::map<Key, Task> m_tasks;
    std::map<TaskId, Key> m_taskKeys;
    std::map<ClockTimer*, qint64> m_timers; // next due time
    std::set<ClockTimer*> m_firing;
};

} // namespace pxu
