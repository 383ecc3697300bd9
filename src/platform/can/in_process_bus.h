#pragma once

#include "can_frame.h"
#include "platform/clock/scheduler.h"

#include <deque>
#include <functional>
#include <map>

namespace pxu::can {

// A CAN bus inside the process for tests and benchmarks, driven by a Scheduler. With a bit
// rate each frame occupies the bus for its real length; frames wait while the bus is busy
// (the lowest identifier wins when several nodes wait) and reach every other endpoint when
// their transmission ends. Without a bit rate frames pass in no time, in order.
// Single-threaded: everything runs on the scheduler's thread.
struct BusTiming {
    int bitRateKbit = 0; // 0: untimed
    bool worstCaseStuffing = false;
};

class InProcessBus {
public:
    using Receive = std::function<void(const CanFrame&)>;
    using Send = std::function<void(const CanFrame&)>;
    using EndpointId = int;

    explicit InProcessBus(Scheduler& scheduler, BusTiming timing = {});
    ~InProcessBus();
    InProcessBus(const InProcessBus&) = delete;
    InProcessBus& operator=(const InProcessBus&) = delete;

    // A node on the bus: receive gets every frame the other nodes send.
    EndpointId attach(Receive receive);
    // Its frames still waiting are dropped; one on the wire is still delivered.
    void detach(EndpointId id);
    void send(EndpointId from, const CanFrame& frame);
    // The node's way of sending, for code that only knows a callback.
    Send sender(EndpointId from);

    int bitRateKbit() const { return m_timing.bitRateKbit; }
    Scheduler& scheduler() const { return m_scheduler; }

    // Bus time: how long frames occupied the bus since the last reset.
    qint64 busyNs() const { return m_busyNs; }
    quint64 framesCarried() const { return m_framesCarried; }
    void resetStatistics();

    // Bits of a standard data frame, interframe space included: 47 + 8 per data byte, plus
    // the stuff bits of the worst case when asked.
    static int frameBits(int dataBytes, bool worstCaseStuffing);
    qint64 frameNs(int dataBytes) const;

private:
    struct Waiting {
        CanFrame frame;
        quint64 order;
    };
    struct Endpoint {
        Receive receive;
        std::deque<Waiting> waiting;
    };

    void arbitrate();
    void transmitted(EndpointId from, const CanFrame& frame);

    Scheduler& m_scheduler;
    BusTiming m_timing;
    std::map<EndpointId, Endpoint> m_endpoints;
    EndpointId m_nextId = 1;
    quint64 m_order = 0;
    bool m_busy = false;          // a frame on the wire or an arbitration due
    Scheduler::TaskId m_task = 0; // the pending arbitration or end of frame
    qint64 m_freeAtNs = 0;
    qint64 m_busyNs = 0;
    quint64 m_framesCarried = 0;
};

} // namespace pxu::can
