#include "event_turns.h"

#include "platform/clock/clock.h"

#include <QCoreApplication>

namespace pxu {

void EventTurns::start() {
    m_started = true;
    m_lastUs = clock().nowUs();
}

void EventTurns::takeIfDue() {
    if (!m_started || clock().nowUs() - m_lastUs < kIntervalMs * 1000LL)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_lastUs = clock().nowUs();
}

} // namespace pxu
