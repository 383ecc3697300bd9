#include "real_clock.h"

#include <QCoreApplication>
#include <QThread>
#include <cmath>

namespace pxu {

RealClock::RealClock(double scale)
    : m_scale(scale > 0 && std::isfinite(scale) ? scale : 1.0) {
    m_elapsed.start();
}

double RealClock::scaleFromEnvironment() {
    bool ok = false;
    const double value = qEnvironmentVariable("PXU_TIME_SCALE").toDouble(&ok);
    return ok && value > 0 ? value : 1.0;
}

qint64 RealClock::nowUs() const {
    return qint64(double(m_elapsed.nsecsElapsed()) / 1000.0 / m_scale);
}

QDateTime RealClock::currentDateTime() const {
    return QDateTime::currentDateTime();
}

void RealClock::sleep(qint64 ms) {
    if (ms > 0)
        QThread::usleep(static_cast<unsigned long>(double(ms) * 1000.0 * m_scale));
}

void RealClock::doEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

bool RealClock::waitUntil(const std::function<bool()>& pred, qint64 timeoutMs) {
    const qint64 deadline = nowUs() + timeoutMs * 1000;
    for (;;) {
        quint64 generation;
        {
            QMutexLocker lock(&m_mutex);
            generation = m_generation;
        }
        // The predicate runs unlocked, so a notifier may hold its own locks while notifying.
        if (pred())
            return true;
        const qint64 leftUs = deadline - nowUs();
        if (leftUs <= 0)
            return false;
        QMutexLocker lock(&m_mutex);
        if (generation == m_generation) {
            const auto realLeftMs = qint64(std::ceil(double(leftUs) / 1000.0 * m_scale));
            m_changed.wait(&m_mutex, QDeadlineTimer(realLeftMs));
        }
    }
}

void RealClock::notify() {
    QMutexLocker lock(&m_mutex);
    ++m_generation;
    m_changed.wakeAll();
}

} // namespace pxu
