#pragma once

#include <QtGlobal>

namespace pxu {

// The turns a long job on the window thread hands the event loop, so that its windows go
// on painting (a window raised over them and moved away again too): while started, a
// turn at most every kIntervalMs. Only paints, timers and posted events run in a turn;
// clicks, keys and close requests wait for the job's end, as they would without turns.
class EventTurns {
public:
    static constexpr int kIntervalMs = 25;

    void start();
    void stop() { m_started = false; }
    // A turn when the last one (or the start) lies kIntervalMs back; else nothing.
    void takeIfDue();

private:
    bool m_started = false;
    qint64 m_lastUs = 0;
};

} // namespace pxu
