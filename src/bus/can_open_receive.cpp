// The listening half of the CANopen master: the receive drain and its dispatch, the timers
// and the service channel.
#include "auto_download.h"
#include "bus_hooks.h"
#include "can_open_master.h"
#include "core/error_boundary.h"
#include "heart_beat_control.h"
#include "service_messages.h"
#include "variable_dispatch.h"

namespace pxu {

namespace {
constexpr quint8 kToolHeartBeatNode = 9;
constexpr quint8 kToolHeartBeatState = 5;
} // namespace

void CanOpenMaster::g_forceHeartBeatCheck() {
    pdoCallback();
}

bool CanOpenMaster::g_setServiceBit(qint32 variableId, quint8 onOff) {
    bool ok = false;
    guarded("frmCANopen", "g_setServiceBit", [&] {
        if (!m_initialised)
            return;
        const auto frame = serviceBitMessage(variableId, onOff);
        if (!frame)
            return;
        m_lastResult = m_CANInterface.sendMessage(kServiceChannelCobId, *frame);
        ok = m_lastResult == can::result::kSuccess;
    });
    return ok;
}

bool CanOpenMaster::g_setUserLevel(quint8 level) {
    bool ok = false;
    guarded("frmCANopen", "g_setUserLevel", [&] {
        if (m_noCan)
            return;
        m_lastResult = m_CANInterface.sendMessage(kUserLevelCobId, userLevelMessage(level));
        ok = m_lastResult == can::result::kSuccess;
    });
    return ok;
}

bool CanOpenMaster::g_writeSymbol(qint32 variableId, int module, const QByteArray& value) {
    bool ok = false;
    guarded("frmCANopen", "g_writeSymbol", [&] {
        if (m_noCan)
            return;
        const auto frame = writeSymbolMessage(variableId, module, value);
        if (!frame)
            return;
        m_lastResult = m_CANInterface.sendMessage(kServiceChannelCobId, *frame);
        ok = m_lastResult == can::result::kSuccess;
    });
    return ok;
}

void CanOpenMaster::timHeartBeatControl_Timer() {
    guarded("frmCANopen", "timHeartBeatControl_Timer", [&] {
        modHeartBeatControl::g_heartBeatControl_Update();
        modAutoDownload::g_checkEngineStandStillTimeout(m_timHeartBeatControl.interval());
    });
}

void CanOpenMaster::timBrantolaHeartBeat_Timer() {
    guarded("frmCANopen", "timBrantolaHeartBeat_Timer", [&] {
        if (g_mBusMode)
            m_CANInterface.sendHeartbeat(kToolHeartBeatNode, kToolHeartBeatState);
    });
}

void CanOpenMaster::m_CANInterface_SignalEvent() {
    guarded("frmCANopen", "m_CANInterface_SignalEvent", [&] { pdoCallback(); });
}

void CanOpenMaster::m_CANInterface_ErrorEvent(int, const QString&) {}

void CanOpenMaster::pdoCallback() {
    // A receiver that waits with window events may let the signal or the tick in again;
    // the running drain takes those messages.
    if (m_draining)
        return;
    m_draining = true;
    guarded("frmCANopen", "pdoCallback", [&] {
        qint32 result = can::result::kSuccess;
        qint32 waiting = 0;
        do {
            if (!m_initialised)
                break;
            qint32 cobId = 0;
            QByteArray data;
            result = m_CANInterface.readMessage(cobId, data, waiting);
            if (result != can::result::kSuccess) {
                waiting = 0;
                if (result != can::result::kQueueEmpty)
                    logBusFailureOnce(
                        BusFailure::Receive,
                        canOpenError(result, QStringLiteral("Read PDO ") + QString::number(cobId),
                                     255, -1, 255, true));
                break;
            }
            dispatch(cobId, data);
        } while (waiting >= 1 && result == can::result::kSuccess);
    });
    m_draining = false;
}

void CanOpenMaster::dispatch(qint32 cobId, const QByteArray& data) {
    const qint32 function = cobId - (cobId & 0xFF);
    if (function == 0x700) {
        if (data.isEmpty())
            return;
        statusCallback(quint8(data[0]), quint8(cobId & 0xFF));
        modHeartBeatControl::g_receiveHeartBeat(cobId);
    } else if (function == 0x400 && cobId == kVariableValueCobId) {
        if (data.size() < 8)
            return;
        const qint32 id = quint8(data[0]) + 256 * quint8(data[1]);
        dispatchVariable(id, data.mid(4, 4));
    }
}

void CanOpenMaster::statusCallback(quint8 state, quint8 node) {
    if (state != 0)
        return;
    const QString line = QStringLiteral("Network-Event: ") +
                         QStringLiteral("Bootup message received") +
                         QStringLiteral("   Node-No: ") + QString::number(node, 16).toUpper();
    // Inside the receive drain: a failure is logged once, never boxed.
    if (!g_setOperational(0, true))
        logBusFailureOnce(
            BusFailure::NetworkStart,
            canOpenError(m_lastResult, QStringLiteral("Set operational"), 0, -1, 255, true));
    g_moduleDetected = true;
    CanOpenPanelState panel = m_panelState;
    panel.statusQueue += line + QStringLiteral("\r\n");
    setPanelState(panel);
}

} // namespace pxu
