#include "clock_timer.h"

#include "clock.h"
#include "virtual_clock.h"

#include <cmath>

namespace pxu {

ClockTimer::ClockTimer(QObject* parent)
    : QObject(parent) {
    m_qtimer.setTimerType(Qt::PreciseTimer);
    connect(&m_qtimer, &QTimer::timeout, this, &ClockTimer::fire);
}

ClockTimer::~ClockTimer() {
    if (m_virtual)
        m_virtual->stopTimer(this);
}

void ClockTimer::start(int ms) {
    m_intervalMs = ms;
    start();
}

void ClockTimer::start() {
    stop();
    m_active = true;
    Clock& c = clock();
    if (auto* v = dynamic_cast<VirtualClock*>(&c)) {
        m_virtual = v;
        v->startTimer(this);
        return;
    }
    m_qtimer.setSingleShot(m_singleShot);
    m_qtimer.start(std::max(1, int(std::lround(c.realMs(m_intervalMs)))));
}

void ClockTimer::stop() {
    m_active = false;
    m_qtimer.stop();
    if (m_virtual) {
        m_virtual->stopTimer(this);
        m_virtual = nullptr;
    }
}

void ClockTimer::fire() {
    if (m_singleShot)
        m_active = false;
    emit timeout();
}

} // namespace pxu
