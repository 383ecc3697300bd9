#include "virtual_clock.h"

#include "clock_timer.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <limits>
#include <vector>

namespace pxu {

VirtualClock::VirtualClock(QDateTime start)
    : m_start(std::move(start)) {}

VirtualClock::~VirtualClock() {
    for (auto& [timer, due] : m_timers)
        timer->m_virtual = nullptr;
}

QDateTime VirtualClock::currentDateTime() const {
    return m_start.addMSecs(m_nowUs / 1000);
}

Scheduler::TaskId VirtualClock::callAt(qint64 atUs, std::function<void()> task) {
    const TaskId id = ++m_sequence;
    const Key key{std::max(atUs, m_nowUs), id};
    m_tasks.emplace(key, Task{id, std::move(task)});
    m_taskKeys.emplace(id, key);
    return id;
}

void VirtualClock::cancel(TaskId id) {
    const auto it = m_taskKeys.find(id);
    if (it == m_taskKeys.end())
        return;
    m_tasks.erase(it->second);
    m_taskKeys.erase(it);
}

bool VirtualClock::runNextTaskUntil(qint64 untilUs) {
    if (m_tasks.empty() || m_tasks.begin()->first.first > untilUs)
        return false;
    auto node = m_tasks.extract(m_tasks.begin());
    m_taskKeys.erase(node.mapped().id);
    m_nowUs = std::max(m_nowUs, node.key().first);
    node.mapped().run();
    return true;
}

void VirtualClock::advanceUs(qint64 us) {
    const qint64 target = m_nowUs + std::max<qint64>(us, 0);
    while (runNextTaskUntil(target)) {
    }
    m_nowUs = std::max(m_nowUs, target);
}

void VirtualClock::sleep(qint64 ms) {
    advanceUs(ms * 1000);
}

bool VirtualClock::waitUntil(const std::function<bool()>& pred, qint64 timeoutMs) {
    const qint64 deadline = m_nowUs + std::max<qint64>(timeoutMs, 0) * 1000;
    while (!pred()) {
        if (!runNextTaskUntil(deadline)) {
            m_nowUs = std::max(m_nowUs, deadline);
            return pred();
        }
    }
    return true;
}

qint64 VirtualClock::nextTimerDueUs() const {
    qint64 next = std::numeric_limits<qint64>::max();
    for (const auto& [timer, due] : m_timers) {
        if (!m_firing.count(timer))
            next = std::min(next, due);
    }
    return next;
}

bool VirtualClock::fireDueTimers() {
    // One pass fires each due timer once, earliest first, as a pass of window events does.
    // A handler may start, stop or delete timers, so the list is checked before each one.
    std::vector<std::pair<qint64, ClockTimer*>> due;
    for (const auto& [timer, at] : m_timers) {
        if (at <= m_nowUs && !m_firing.count(timer))
            due.emplace_back(at, timer);
    }
    std::sort(due.begin(), due.end());
    bool fired = false;
    for (const auto& [at, timer] : due) {
        const auto it = m_timers.find(timer);
        if (it == m_timers.end() || it->second > m_nowUs || m_firing.count(timer))
            continue;
        fired = true;
        if (timer->m_singleShot) {
            m_timers.erase(it);
            timer->m_active = false;
            timer->m_virtual = nullptr;
        } else {
            it->second = m_nowUs + std::max(timer->m_intervalMs, 1) * 1000LL;
        }
        // Like a window timer, a handler that passes events is not entered again.
        m_firing.insert(timer);
        QPointer<ClockTimer> guard(timer);
        timer->fire();
        m_firing.erase(timer);
        if (!guard)
            m_timers.erase(timer);
    }
    return fired;
}

void VirtualClock::passWindowEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void VirtualClock::doEvents() {
    passWindowEvents();
    if (fireDueTimers())
        passWindowEvents();
}

void VirtualClock::runFor(qint64 ms) {
    const qint64 target = m_nowUs + std::max<qint64>(ms, 0) * 1000;
    doEvents();
    for (;;) {
        const qint64 nextTask =
            m_tasks.empty() ? std::numeric_limits<qint64>::max() : m_tasks.begin()->first.first;
        const qint64 next = std::min(nextTask, nextTimerDueUs());
        if (next > target)
            break;
        if (nextTask <= next) {
            runNextTaskUntil(nextTask);
        } else {
            m_nowUs = std::max(m_nowUs, next);
        }
        doEvents();
    }
    m_nowUs = std::max(m_nowUs, target);
    doEvents();
}

bool VirtualClock::runUntil(const std::function<bool()>& pred, qint64 maxMs) {
    const qint64 deadline = m_nowUs + maxMs * 1000;
    doEvents();
    while (!pred() && m_nowUs < deadline)
        runFor(std::min<qint64>(10, (deadline - m_nowUs + 999) / 1000));
    return pred();
}

void VirtualClock::startTimer(ClockTimer* timer) {
    m_timers[timer] = m_nowUs + std::max(timer->m_intervalMs, 1) * 1000LL;
}

void VirtualClock::stopTimer(ClockTimer* timer) {
    m_timers.erase(timer);
}

} // namespace pxu
