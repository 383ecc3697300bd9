#include "clock.h"

#include "real_clock.h"

namespace pxu {

namespace {
Clock* g_installed = nullptr;

Clock& realClock() {
    static RealClock real;
    return real;
}
} // namespace

Clock& clock() {
    return g_installed ? *g_installed : realClock();
}

void setClock(Clock* clock) {
    g_installed = clock;
}

void waitWithEvents(qint64 totalMs, qint64 stepMs, const std::function<bool()>& stop) {
    Clock& c = clock();
    for (qint64 passed = 0; passed < totalMs && !(stop && stop()); passed += stepMs) {
        c.sleep(std::min(stepMs, totalMs - passed));
        c.doEvents();
    }
}

} // namespace pxu
