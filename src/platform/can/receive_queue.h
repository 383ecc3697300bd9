#pragma once

#include "can_frame.h"

#include <deque>

namespace pxu::can {

// The bounded queue of received frames. When it is full the newest frame is dropped and
// the next take reports the overrun once. Not thread-safe: its owner locks.
class ReceiveQueue {
public:
    enum class Take { Frame, Empty, Overrun };

    explicit ReceiveQueue(qsizetype capacity = 4096)
        : m_capacity(capacity) {}

    // False when the frame was dropped.
    bool push(const CanFrame& frame);
    Take take(CanFrame* frame);
    qsizetype size() const { return qsizetype(m_frames.size()); }
    qsizetype capacity() const { return m_capacity; }
    void clear();

private:
    qsizetype m_capacity;
    std::deque<CanFrame> m_frames;
    bool m_overrun = false;
};

} // namespace pxu::can
