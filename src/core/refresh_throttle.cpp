#include "refresh_throttle.h"

#include "platform/clock/clock.h"

namespace pxu {

RefreshThrottle::RefreshThrottle(std::function<void()> refresh, QObject* parent)
    : QObject(parent)
    , m_refresh(std::move(refresh)) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &ClockTimer::timeout, this, [this] { run(true); });
}

bool RefreshThrottle::due() const {
    return m_neverRan || clock().nowUs() - m_ranUs >= kIntervalMs * 1000LL;
}

void RefreshThrottle::request() {
    if (due()) {
        run(false);
        return;
    }
    m_pending = true;
    if (!m_posted) {
        m_posted = true;
        QMetaObject::invokeMethod(this, &RefreshThrottle::runFromEvents, Qt::QueuedConnection);
    }
}

void RefreshThrottle::runIfDue() {
    if (due())
        run(false);
}

void RefreshThrottle::runFromEvents() {
    m_posted = false;
    if (!m_pending)
        return;
    // A busy caller's last news shows as soon as it lets the window's events run; news
    // that trickles in between passes of them waits for the interval.
    if (m_ranFromEvents && !due()) {
        const qint64 leftUs = kIntervalMs * 1000LL - (clock().nowUs() - m_ranUs);
        m_timer.start(int((leftUs + 999) / 1000));
        return;
    }
    run(true);
}

void RefreshThrottle::run(bool fromEvents) {
    m_timer.stop();
    m_ranUs = clock().nowUs();
    m_neverRan = false;
    m_ranFromEvents = fromEvents;
    m_pending = false;
    m_refresh();
}

} // namespace pxu
