#pragma once

#include "clock.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QWaitCondition>

namespace pxu {

// Wall-clock time. Every duration is multiplied by the scale (PXU_TIME_SCALE, default 1),
// so 0.1 runs the program's waits ten times faster.
class RealClock : public Clock {
public:
    explicit RealClock(double scale = scaleFromEnvironment());

    qint64 nowUs() const override;
    QDateTime currentDateTime() const override;
    void sleep(qint64 ms) override;
    void doEvents() override;
    bool waitUntil(const std::function<bool()>& pred, qint64 timeoutMs) override;
    void notify() override;
    double realMs(qint64 programMs) const override { return double(programMs) * m_scale; }

    double scale() const { return m_scale; }
    static double scaleFromEnvironment();

private:
    double m_scale;
    QElapsedTimer m_elapsed;
    QMutex m_mutex;
    QWaitCondition m_changed;
    quint64 m_generation = 0;
};

} // namespace pxu
