#pragma once

#include <QtGlobal>
#include <functional>

namespace pxu {

// Runs tasks at given times. The in-process bus and the simulator's modules are driven by
// one: a VirtualClock in tests and benchmarks, a timer-based one in the pxu-sim program.
class Scheduler {
public:
    using TaskId = quint64;
    virtual ~Scheduler() = default;

    virtual qint64 nowUs() const = 0;
    virtual TaskId callAt(qint64 atUs, std::function<void()> task) = 0;
    // Cancelling a task that ran already, or id 0, does nothing.
    virtual void cancel(TaskId id) = 0;

    TaskId callAfter(qint64 delayUs, std::function<void()> task) {
        return callAt(nowUs() + delayUs, std::move(task));
    }
};

} // namespace pxu
