#include "engine_standstill.h"

namespace pxu::modAutoDownload {

void EngineStandStillReports::clear() {
    m_entries = {};
}

void EngineStandStillReports::report(int module, bool standStill) {
    if (module < 0 || module >= kSlots)
        return;
    m_entries[module] = {standStill ? Report::StandStill : Report::Running, kValidityMs};
}

void EngineStandStillReports::expect(int module) {
    if (module < 0 || module >= kSlots)
        return;
    m_entries[module] = {Report::Awaited, kValidityMs};
}

void EngineStandStillReports::tick(int tickMs) {
    for (Entry& e : m_entries) {
        if (e.report == Report::None)
            continue;
        if (e.validityMs >= 1)
            e.validityMs -= tickMs;
        else
            e = {};
    }
}

EngineStandStillStatus EngineStandStillReports::status() const {
    bool awaited = false;
    bool standStill = false;
    for (const Entry& e : m_entries) {
        switch (e.report) {
        case Report::Running:
            return engineRunning;
        case Report::Awaited:
            awaited = true;
            break;
        case Report::StandStill:
            standStill = true;
            break;
        case Report::None:
            break;
        }
    }
    return standStill && !awaited ? engineStandingStill : engineNoSignal;
}

EngineStandStillStatus EngineStandStillReports::status(int module) const {
    if (module < 0 || module >= kSlots)
        return engineNoSignal;
    switch (m_entries[module].report) {
    case Report::StandStill:
        return engineStandingStill;
    case Report::Running:
        return engineRunning;
    default:
        return engineNoSignal;
    }
}

} // namespace pxu::modAutoDownload
