#include "in_process_bus.h"

#include <algorithm>
#include <vector>

namespace pxu::can {

InProcessBus::InProcessBus(Scheduler& scheduler, BusTiming timing)
    : m_scheduler(scheduler)
    , m_timing(timing) {}

InProcessBus::~InProcessBus() {
    m_scheduler.cancel(m_task);
}

InProcessBus::EndpointId InProcessBus::attach(Receive receive) {
    const EndpointId id = m_nextId++;
    m_endpoints.emplace(id, Endpoint{std::move(receive), {}});
    return id;
}

void InProcessBus::detach(EndpointId id) {
    m_endpoints.erase(id);
}

InProcessBus::Send InProcessBus::sender(EndpointId from) {
    return [this, from](const CanFrame& frame) { send(from, frame); };
}

void InProcessBus::send(EndpointId from, const CanFrame& frame) {
    const auto it = m_endpoints.find(from);
    if (it == m_endpoints.end())
        return;
    it->second.waiting.push_back(Waiting{frame, ++m_order});
    if (!m_busy) {
        // Arbitration at this instant, so that frames sent at the same time compete.
        m_busy = true;
        m_task = m_scheduler.callAfter(0, [this] {
            m_task = 0;
            arbitrate();
        });
    }
}

int InProcessBus::frameBits(int dataBytes, bool worstCaseStuffing) {
    const int bits = 47 + 8 * dataBytes;
    if (!worstCaseStuffing)
        return bits;
    // Stuffing covers start of frame to CRC: 34 + 8d bits, one stuff bit per four.
    return bits + (34 + 8 * dataBytes - 1) / 4;
}

qint64 InProcessBus::frameNs(int dataBytes) const {
    if (m_timing.bitRateKbit <= 0)
        return 0;
    return qint64(frameBits(dataBytes, m_timing.worstCaseStuffing)) * 1'000'000 /
           m_timing.bitRateKbit;
}

void InProcessBus::arbitrate() {
    Endpoint* winner = nullptr;
    EndpointId winnerId = 0;
    for (auto& [id, endpoint] : m_endpoints) {
        if (endpoint.waiting.empty())
            continue;
        const Waiting& head = endpoint.waiting.front();
        if (!winner || head.frame.id < winner->waiting.front().frame.id ||
            (head.frame.id == winner->waiting.front().frame.id &&
             head.order < winner->waiting.front().order)) {
            winner = &endpoint;
            winnerId = id;
        }
    }
    if (!winner) {
        m_busy = false;
        return;
    }
    const CanFrame frame = winner->waiting.front().frame;
    winner->waiting.pop_front();

    const qint64 startNs = std::max(m_freeAtNs, m_scheduler.nowUs() * 1000);
    const qint64 durationNs = frameNs(frame.length);
    m_freeAtNs = startNs + durationNs;
    m_busyNs += durationNs;
    m_task = m_scheduler.callAt((m_freeAtNs + 999) / 1000, [this, winnerId, frame] {
        m_task = 0;
        transmitted(winnerId, frame);
    });
}

void InProcessBus::transmitted(EndpointId from, const CanFrame& frame) {
    ++m_framesCarried;
    // A receiver may attach, detach or send; each endpoint is looked up before its turn.
    std::vector<EndpointId> ids;
    ids.reserve(m_endpoints.size());
    for (const auto& [id, endpoint] : m_endpoints) {
        if (id != from)
            ids.push_back(id);
    }
    for (const EndpointId id : ids) {
        const auto it = m_endpoints.find(id);
        if (it != m_endpoints.end() && it->second.receive) {
            const Receive receive = it->second.receive;
            receive(frame);
        }
    }
    arbitrate();
}

void InProcessBus::resetStatistics() {
    m_busyNs = 0;
    m_framesCarried = 0;
}

} // namespace pxu::can
