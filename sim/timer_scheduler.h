#pragma once

#include "platform/clock/scheduler.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <map>

namespace pxu::sim {

// A Scheduler on the real clock for the pxu-sim program: tasks run from the Qt event
// loop of the thread that owns it. Every duration is multiplied by the scale (as
// PXU_TIME_SCALE does for the tool), so 0.1 runs the modules ten times faster.
class TimerScheduler : public QObject, public Scheduler {
    Q_OBJECT
public:
    explicit TimerScheduler(double scale = 1.0, QObject* parent = nullptr);

    qint64 nowUs() const override;
    TaskId callAt(qint64 atUs, std::function<void()> task) override;
    void cancel(TaskId id) override;

    double scale() const { return m_scale; }

private:
    using Key = std::pair<qint64, TaskId>; // time, order of scheduling
    void runDue();
    void arm();

    double m_scale;
    QElapsedTimer m_elapsed;
    QTimer m_timer;
    TaskId m_sequence = 0;
    std::map<Key, std::function<void()>> m_tasks;
    std::map<TaskId, qint64> m_taskTimes;
};

} // namespace pxu::sim
