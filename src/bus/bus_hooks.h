#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <functional>
#include <type_traits>

// What the bus layer hands upwards: the layers above register here, so that the bus layer
// never includes them.
namespace pxu {

// Where the CANopen master reports while it opens a bus (the message window at connection
// set-up). Empty functions are skipped.
struct MessageTarget {
    std::function<void(const QString&)> addMessage;
    std::function<void(bool)> errorSignal;

    // Any window with addMessage(text) and errorSignal(flag); a QObject window that is gone
    // by the time of a report is skipped.
    template <class Window> static MessageTarget of(Window& window) {
        if constexpr (std::is_base_of_v<QObject, Window>) {
            QPointer<Window> guard(&window);
            return {[guard](const QString& text) {
                        if (guard)
                            guard->addMessage(text);
                    },
                    [guard](bool set) {
                        if (guard)
                            guard->errorSignal(set);
                    }};
        } else {
            return {[&window](const QString& text) { window.addMessage(text); },
                    [&window](bool set) { window.errorSignal(set); }};
        }
    }
};

// The updater's receivers of the engine's system information. Each gets the four value
// bytes (little-endian) and the unmasked variable id, whose bits 12 to 15 carry the number
// of the sending module.
class SystemInfoReceivers {
public:
    virtual ~SystemInfoReceivers() = default;
    virtual void g_setFirstApplicationCrc(const QByteArray& value, qint32 id) = 0;
    virtual void g_setNoOfCyl(const QByteArray& value, qint32 id) = 0;
    virtual void g_setDeveloper(const QByteArray& value, qint32 id) = 0;
    virtual void g_setBuild(const QByteArray& value, qint32 id) = 0;
    virtual void g_setHullNumber(const QByteArray& value, qint32 id) = 0;
    virtual void g_setEngineType(const QByteArray& value, qint32 id) = 0;
    virtual void g_setAutoDownload(const QByteArray& value, qint32 id) = 0;
    virtual void g_setCrcValueImo(const QByteArray& value, qint32 id) = 0;
    virtual void g_setCrcLenImo(const QByteArray& value, qint32 id) = 0;
    virtual void g_setCrcValueApplication(const QByteArray& value, qint32 id) = 0;
    virtual void g_setCrcLenApplication(const QByteArray& value, qint32 id) = 0;
};

// The receivers that variable-value messages go to; nullptr: none (the values are
// dropped). The caller keeps ownership and unregisters before it goes.
void setSystemInfoReceivers(SystemInfoReceivers* receivers);
SystemInfoReceivers* systemInfoReceivers();

// The main window's refresh of its connection display (g_updateConnectionStatus), run on
// every heartbeat-control tick; empty: none.
void setConnectionDisplay(std::function<void()> refresh);
void refreshConnectionDisplay();

// Failures that happen inside the 200 ms tick or the receive drain are not shown in a box
// (boxes would stack on every tick): each kind is logged once to this sink and latched
// until the next bus opening. Without a sink they go to the Qt log.
enum class BusFailure { Receive, NetworkStart, AutoDownloadLogin };
void setBusMessageSink(std::function<void(const QString&)> sink);
// Logs the text unless a failure of that kind was logged already; True when it logged.
bool logBusFailureOnce(BusFailure kind, const QString& text);
// Opens the latches again (each bus opening).
void resetBusFailureLatches();

// Unregisters everything (tests).
void clearBusHooks();

} // namespace pxu
