#pragma once

#include "module_config.h"
#include "node_ids.h"
#include "platform/can/can_frame.h"
#include "platform/clock/scheduler.h"
#include "sdo_server.h"
#include "section_loader.h"
#include "stored_section.h"

#include <functional>
#include <memory>

namespace pxu::sim {

enum class Mode { Off, Bootloader, Application };

// NMT states as the heartbeat reports them.
enum class NmtState : quint8 { BootUp = 0, Stopped = 4, Operational = 5, PreOperational = 127 };

// One simulated control module: bootloader and application with their node ids, object
// dictionaries, heartbeats and the switch between them. Fed frames and time; sends
// through the transmit callback.
class Module {
public:
    using Transmit = std::function<void(const can::CanFrame&)>;
    // Extensions see every frame the module does not handle itself; true = taken.
    using FrameHandler = std::function<bool(Module&, const can::CanFrame&)>;

    Module(BusKind bus, int number, Scheduler& scheduler, Transmit transmit);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    BusKind bus() const { return m_bus; }
    ModuleType type() const { return m_type; }
    int number() const { return m_number; }
    quint8 applicationNode() const;
    quint8 bootloaderNode() const;
    Scheduler& scheduler() { return m_scheduler; }

    // State.
    Mode mode() const { return m_mode; }
    // True between a program-control write and the boot-up in the new mode.
    bool switching() const { return m_switchTask != 0; }
    NmtState nmtState() const { return m_nmtState; }
    quint8 loadingStatus() const { return m_loader.status(); }
    int blocksWritten() const { return m_loader.blocksWritten(); }

    // Switches at once: boot-up message, then heartbeats. Off stops everything.
    void setMode(Mode mode);
    // As a program-control write does: silent at once, boot-up after the delay.
    void switchMode(Mode mode, qint64 delayUs);

    ModuleConfig& config() { return m_config; }
    ModuleFaults& faults() { return m_faults; }

    // Stored memory.
    const SectionMap& sections() const { return m_sections; }
    const StoredSection& section(int number) const;
    void setSection(int number, QByteArray infoBlock, QByteArray image);

    void receive(const can::CanFrame& frame);
    // Sends as this module (nothing while it is off or silent).
    void send(const can::CanFrame& frame);
    void setFrameHandler(FrameHandler handler) { m_frameHandler = std::move(handler); }

private:
    enum class Role { Application, Bootloader, HardwareVersion };
    class NodeObjects;
    friend class NodeObjects;

    void enterMode(Mode mode);
    void leaveMode();
    void startHeartbeat();
    void sendHeartbeat();
    void sendNmtState(NmtState state);
    void onNmt(const can::CanFrame& frame);
    bool answersNode(quint8 node) const;
    SdoServer* serverFor(quint32 cobId);
    qint64 answerDelayUs() const;
    bool sendsHeartbeat() const;

    // Object dictionary (module_objects.cpp).
    SdoAbort readObject(Role role, quint16 index, quint8 sub, QByteArray& value);
    SdoAbort checkWriteObject(Role role, quint16 index, quint8 sub, std::optional<qint64> size);
    SdoAbort writeObject(Role role, quint16 index, quint8 sub, const QByteArray& value);
    SdoAbort programControl(Role role, quint8 sub, quint8 value);
    void switchAfterAnswer(Mode mode);
    QByteArray deviceName(Role role) const;
    void afterDataBlock();

    BusKind m_bus;
    ModuleType m_type;
    int m_number;
    Scheduler& m_scheduler;
    Transmit m_transmit;
    ModuleConfig m_config;
    ModuleFaults m_faults;
    SectionMap m_sections;
    SectionLoader m_loader;

    Mode m_mode = Mode::Off;
    NmtState m_nmtState = NmtState::Stopped;
    quint32 m_syncCobId = 0x80;
    std::map<int, qint64> m_uploadOffset;
    Scheduler::TaskId m_heartbeatTask = 0;
    Scheduler::TaskId m_switchTask = 0;
    Scheduler::TaskId m_offTask = 0;
    FrameHandler m_frameHandler;

    std::unique_ptr<NodeObjects> m_applicationObjects;
    std::unique_ptr<NodeObjects> m_bootloaderObjects;
    std::unique_ptr<NodeObjects> m_hardwareObjects;
    std::unique_ptr<SdoServer> m_applicationServer;
    std::unique_ptr<SdoServer> m_bootloaderServer;
    std::unique_ptr<SdoServer> m_hardwareServer;
};

} // namespace pxu::sim
