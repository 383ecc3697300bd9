#pragma once

#include "platform/clock/clock_timer.h"

#include <QObject>
#include <functional>

namespace pxu {

// How often a window shows a job's news (lines, progress): a request runs the refresh at
// once when it last ran kIntervalMs ago, else when the window's events next run, and no
// more often than that while they run. A busy caller's news so shows within that time as
// long as it asks, and at once when it lets the window's events run; a job that logs a
// line per symbol does not wait for the window to paint each.
class RefreshThrottle : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 50;

    explicit RefreshThrottle(std::function<void()> refresh, QObject* parent = nullptr);

    // The refresh, at once or soon.
    void request();
    // The refresh at once when it is due; else nothing (a request waits as it was).
    void runIfDue();
    // The next request runs at once.
    void reset() { m_neverRan = true; }

private:
    bool due() const;
    void run(bool fromEvents);
    void runFromEvents();

    std::function<void()> m_refresh;
    qint64 m_ranUs = 0;
    bool m_neverRan = true;
    bool m_ranFromEvents = false; // that time by a pass of the window's events
    bool m_pending = false;       // a request waits
    bool m_posted = false;        // for the next pass of the window's events
    ClockTimer m_timer;
};

} // namespace pxu
