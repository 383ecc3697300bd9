#include "receive_queue.h"

namespace pxu::can {

bool ReceiveQueue::push(const CanFrame& frame) {
    if (size() >= m_capacity) {
        m_overrun = true;
        return false;
    }
    m_frames.push_back(frame);
    return true;
}

ReceiveQueue::Take ReceiveQueue::take(CanFrame* frame) {
    if (m_overrun) {
        m_overrun = false;
        return Take::Overrun;
    }
    if (m_frames.empty())
        return Take::Empty;
    *frame = m_frames.front();
    m_frames.pop_front();
    return Take::Frame;
}

void ReceiveQueue::clear() {
    m_frames.clear();
    m_overrun = false;
}

} // namespace pxu::can
