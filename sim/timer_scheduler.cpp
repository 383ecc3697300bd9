#include "timer_scheduler.h"

#include <cmath>

namespace pxu::sim {

TimerScheduler::TimerScheduler(double scale, QObject* parent)
    : QObject(parent)
    , m_scale(scale > 0 && std::isfinite(scale) ? scale : 1.0) {
    m_elapsed.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TimerScheduler::runDue);
}

qint64 TimerScheduler::nowUs() const {
    return qint64(double(m_elapsed.nsecsElapsed()) / 1000.0 / m_scale);
}

Scheduler::TaskId TimerScheduler::callAt(qint64 atUs, std::function<void()> task) {
    const TaskId id = ++m_sequence;
    m_tasks.emplace(Key{atUs, id}, std::move(task));
    m_taskTimes.emplace(id, atUs);
    arm();
    return id;
}

void TimerScheduler::cancel(TaskId id) {
    const auto it = m_taskTimes.find(id);
    if (it == m_taskTimes.end())
        return;
    m_tasks.erase(Key{it->second, id});
    m_taskTimes.erase(it);
}

void TimerScheduler::runDue() {
    // Tasks that a task schedules for now or earlier run in the same pass, in order.
    while (!m_tasks.empty() && m_tasks.begin()->first.first <= nowUs()) {
        auto node = m_tasks.extract(m_tasks.begin());
        m_taskTimes.erase(node.key().second);
        node.mapped()();
    }
    arm();
}

void TimerScheduler::arm() {
    if (m_tasks.empty()) {
        m_timer.stop();
        return;
    }
    const qint64 waitUs = std::max<qint64>(m_tasks.begin()->first.first - nowUs(), 0);
    const auto realMs = int(std::min<double>(std::ceil(double(waitUs) * m_scale / 1000.0), 1e9));
    if (!m_timer.isActive() || m_timer.remainingTime() > realMs)
        m_timer.start(realMs);
}

} // namespace pxu::sim
