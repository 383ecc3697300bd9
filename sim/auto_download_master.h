#pragma once

#include "bus.h"
#include "service_channel.h"

#include <array>
#include <memory>

namespace pxu::sim {

// The ids of the auto-download variables (12 bits); the sample configuration's by default.
struct AutoDownloadIds {
    quint16 moduleStateRo = 0x820;    // GLB_CAN_MODULE_STATE_RO
    quint16 moduleStateRw = 0x821;    // GLB_CAN_MODULE_STATE_RW
    quint16 updateStateRo = 0x822;    // GLB_CAN_SW_UPDATE_STATE_RO
    quint16 updateFailureRo = 0x823;  // GLB_CAN_SW_UPDATE_FAILURE_RO
    quint16 engineStandStill = 0x810; // GLB_ENG_STSTILL, one per cylinder module
};

// Timings of the spare's work.
struct AutoDownloadTiming {
    qint64 refreshUs = 50'000;       // the module-state value follows the modules this often
    qint64 progressStepUs = 100'000; // one step of a section download
    int progressStepPercent = 10;
    qint64 commandDoneUs =
        300'000;         // a mode command counts as done after the switch delay plus this
    qint64 takeUpUs = 0; // a written command is taken up this long after it arrived
};

// Fault switches of the auto-download master.
struct AutoDownloadFaults {
    bool commandNeverClears = false; // the command word stays busy after the work is done
    bool risingAttempts = false;     // every section download needs a second attempt
    quint16 failureMask = 0;         // downloads into these modules fail (failure bit set)
    bool clearUnseen = false;        // a clear is done before any report shows its word
};

// The spare module's application (module 0 of the M-Bus) as the auto-download master:
// once the tool has logged in (user level 11) it takes commands written to
// GLB_CAN_MODULE_STATE_RW, echoes them there while it works (bytes 2 and 3 back to 0 when
// done), carries them out on the cylinder modules and keeps the state variables that the
// service channel reports: module states, update status and failure masks. Each cylinder
// application reports its engine standstill. Nothing happens while the spare does not run
// its application; leaving it ends any work.
class AutoDownloadMaster {
public:
    static constexpr quint8 kUserLevel = 11;

    AutoDownloadMaster(Bus& bus, ServiceChannel& channel, AutoDownloadIds ids = {},
                       AutoDownloadTiming timing = {});
    ~AutoDownloadMaster();
    AutoDownloadMaster(const AutoDownloadMaster&) = delete;
    AutoDownloadMaster& operator=(const AutoDownloadMaster&) = delete;

    const AutoDownloadIds& ids() const { return m_ids; }
    AutoDownloadFaults& faults() { return m_faults; }
    AutoDownloadTiming& timing() { return m_timing; }

    // The engine as the cylinder modules report it (module -1: all of them).
    void setEngineRunning(bool running, int module = -1);

    // State.
    bool busy() const { return m_commandWord != 0; }
    quint16 commandWord() const { return m_commandWord; }
    quint16 failures() const { return m_failures; }
    int commandsTaken() const { return m_commandsTaken; }

private:
    void onSymbol(int module, quint16 id, quint32 value);
    void take(quint32 value);
    void start(quint16 mask, quint16 word);
    void finish();
    void abortWork();
    void switchCylinders(quint16 mask, Mode from, Mode to);
    void downloadNext();
    void downloadStep();
    void refresh();
    void publish(quint16 id, quint32 value);
    // The command word as taken: the channel stored the written value already, so it goes
    // out whether or not it changed.
    void echo(quint32 value);
    quint32 moduleStateValue();
    quint32 updateStateValue() const;
    bool spareRunning() const;

    Bus& m_bus;
    ServiceChannel& m_channel;
    AutoDownloadIds m_ids;
    AutoDownloadTiming m_timing;
    AutoDownloadFaults m_faults;
    std::array<bool, kModuleCount> m_engineRunning{};
    // The service channel keeps its listeners; this tells them the master is gone.
    std::shared_ptr<AutoDownloadMaster*> m_self;

    quint16 m_commandMask = 0;
    quint16 m_commandWord = 0;
    int m_commandsTaken = 0;
    Scheduler::TaskId m_workTask = 0;
    Scheduler::TaskId m_refreshTask = 0;

    // The section download in progress.
    int m_section = 0;
    quint16 m_pending = 0; // modules still to serve
    int m_module = 0;
    int m_progress = 0;
    int m_attempt = 0;
    quint16 m_failures = 0;
};

} // namespace pxu::sim
