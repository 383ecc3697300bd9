#pragma once

#include "bus.h"

#include <QList>
#include <array>
#include <functional>
#include <map>
#include <optional>

namespace pxu::sim {

// The service channel of the modules' applications: the user level (0x482), symbols
// written by the tool (0x382, command 0x80) and the reporting of variables whose service
// bit the tool switches on (0x382, command 0x85): the value goes out as a variable-value
// message on 0x411 at once and then periodically while the bit is on. It also counts the
// tool's heartbeats (node 9).
//
// A message on 0x382 addresses the module whose number its id carries in bits 12 to 15;
// the variable itself is the low 12 bits. Each module keeps a table of its variables, which
// the test or a later protocol stage fills; a variable not in the table is not reported,
// and a written symbol enters the table. Only modules running their application take part;
// leaving the application forgets the service bits.
//
// The channel takes the modules' frame handlers; frames it does not take go to the handler
// given here per module.
class ServiceChannel {
public:
    static constexpr quint32 kServiceChannelId = 0x382;
    static constexpr quint32 kUserLevelId = 0x482;
    static constexpr quint32 kVariableValueId = 0x411;
    static constexpr quint8 kWriteSymbol = 0x80;
    static constexpr quint8 kServiceBit = 0x85;
    static constexpr quint8 kToolNode = 9;

    struct WrittenSymbol {
        int module;
        quint16 id; // 12 bits
        quint32 value;
    };
    using SymbolListener = std::function<void(int module, quint16 id, quint32 value)>;
    using ServiceBitListener = std::function<void(int module, quint16 id, bool on)>;

    explicit ServiceChannel(Bus& bus, qint64 reportPeriodUs = 300'000);
    ~ServiceChannel();
    ServiceChannel(const ServiceChannel&) = delete;
    ServiceChannel& operator=(const ServiceChannel&) = delete;

    // The module's variable table.
    void setVariable(int module, quint16 id, quint32 value);
    std::optional<quint32> variable(int module, quint16 id) const;
    void removeVariable(int module, quint16 id);

    // Sends the variable's value now, as a report would (nothing when it is not in the
    // table or the module does not run its application).
    void report(int module, quint16 id);

    bool reporting(int module, quint16 id) const;
    // The last user level the module took (without the 0x80 flag); 0 before any.
    quint8 userLevel(int module) const;
    const QList<WrittenSymbol>& writtenSymbols() const { return m_written; }
    int toolHeartbeats(int module) const;
    qint64 reportPeriodUs() const { return m_reportPeriodUs; }

    void addSymbolListener(SymbolListener listener);
    void addServiceBitListener(ServiceBitListener listener);
    void setFrameHandler(int module, Module::FrameHandler handler);

private:
    struct ModuleChannel {
        std::map<quint16, quint32> variables;
        std::map<quint16, Scheduler::TaskId> reports; // variables with the service bit on
        Module::FrameHandler fallback;
        quint8 userLevel = 0;
        int toolHeartbeats = 0;
    };

    bool receive(Module& module, const can::CanFrame& frame);
    bool onServiceChannel(Module& module, const can::CanFrame& frame);
    void switchReport(Module& module, quint16 id, bool on);
    void reportAndRepeat(int module, quint16 id);
    void stopReports(int module);
    ModuleChannel& channel(int module);
    const ModuleChannel& channel(int module) const;

    Bus& m_bus;
    qint64 m_reportPeriodUs;
    std::array<ModuleChannel, kModuleCount> m_channels;
    QList<WrittenSymbol> m_written;
    std::vector<SymbolListener> m_symbolListeners;
    std::vector<ServiceBitListener> m_serviceBitListeners;
};

} // namespace pxu::sim
