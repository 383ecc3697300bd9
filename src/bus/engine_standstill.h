#pragma once

#include <QtGlobal>
#include <array>

namespace pxu::modAutoDownload {

// Engine standstill status: 0 no valid signal, 1 standstill, 2 running.
enum EngineStandStillStatus : qint32 {
    engineNoSignal = 0,
    engineStandingStill = 1,
    engineRunning = 2,
};

// The standstill reports of the modules, each valid for a while after it arrived. The
// engine counts as standing still only while some module reports standstill and no module
// reports running: one module's standstill must not hide another's running engine. A
// module that newly runs its application has no report yet; until it sends one (or its
// wait runs out) the engine has no signal, unless another module reports running.
class EngineStandStillReports {
public:
    static constexpr int kValidityMs = 20000;
    // Module numbers as they come in the variable id (bits 12 to 15).
    static constexpr int kSlots = 16;

    void clear();
    void report(int module, bool standStill);
    // The module's earlier report no longer counts; its next one is awaited.
    void expect(int module);
    // The validity countdown of every report by one timer tick. A report falls back to no
    // signal on the tick after its validity reached 0.
    void tick(int tickMs);

    EngineStandStillStatus status() const;
    EngineStandStillStatus status(int module) const;

private:
    enum class Report { None, Awaited, StandStill, Running };
    struct Entry {
        Report report = Report::None;
        int validityMs = 0;
    };
    std::array<Entry, kSlots> m_entries{};
};

} // namespace pxu::modAutoDownload
