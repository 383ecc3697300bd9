#pragma once

#include "bus_hooks.h"
#include "core/globals.h"
#include "platform/can/can_interface.h"
#include "platform/clock/clock_timer.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <memory>

class QWidget;

namespace pxu {

class CanOpenTestPanel;
class CanOpenPanelForm;

// What the test panel shows of the master: its state label (lblMasterState), the caption
// of its init button (cmdInitCOP) and its network-event log (txtStatusQueue).
struct CanOpenPanelState {
    QString masterState = QStringLiteral("not initialized");
    QString initButtonCaption = QStringLiteral("Init CANopen-Master");
    QString statusQueue;
};

// The tool's CANopen master: the one owner of the CAN interface. Opens and closes the bus,
// starts nodes, runs SDO transfers with their time-out and transfer-mode rules, drains the
// receive queue (heartbeats, variable values) on the interface's signal and on its 200 ms
// tick, sends the tool's heartbeat on the M-Bus and the service-channel messages.
//
// Results: every operation that can fail returns its ok (or found) flag and raises nothing.
// Interface failures are reported as one text in the "CANopen ERROR" box unless quiet.
// Once the channel is lost every operation fails at once; only the first failure after the
// loss shows its box, which names the lost channel.
// Without a board (g_noCan) the bus operations do nothing and report success; callers get
// no data then and must not read it.
//
// Window thread only. The timers run from construction to destruction.
class CanOpenMaster : public QObject {
    Q_OBJECT
public:
    explicit CanOpenMaster(QObject* parent = nullptr);
    ~CanOpenMaster() override;

    // Allow block transfer to bootloaders below version 3.0.
    bool g_blockTransfer() const { return m_blockTransfer; }
    void setBlockTransfer(bool on) { m_blockTransfer = on; }
    // No CAN access: "/noCan", a failed board scan or a board that could not be opened.
    bool g_noCan() const { return m_noCan; }
    void setNoCan(bool on) { m_noCan = on; }

    // The board number that stands for the configured board.
    static constexpr quint8 kConfiguredBoard = 255;
    // Opens a board on the bus ("M..." or "S...", first letter, any case) with the bit rate
    // and node-id bases of the configuration, and starts CAN. boardNumber kConfiguredBoard: the
    // configured board (reported failures, one retry on the next board); any other: a board
    // scan (nothing reported). dllVersion receives the interface's version.
    bool g_initialise(const MessageTarget& target, double& dllVersion, const QString& bus,
                      bool lorinMode, quint8 boardNumber);
    // Stops CAN; unless keepNode, the test panel's node is released first.
    void g_releaseCanOpen(bool keepNode);
    // NMT start of the node (0: all nodes).
    bool g_setOperational(quint8 node, bool quiet);
    // SDO upload; size and data are filled on success only.
    bool g_readSDO(quint8 node, qint32 index, quint8 subIndex, qint32& size, QByteArray& data,
                   bool noBlock = false, bool quiet = false, bool forceNormal = false);
    // SDO download of data (size bytes); timeoutMs > 0 applies for this call only.
    bool g_writeSDO(quint8 node, qint32 index, quint8 subIndex, qint32 size, const QByteArray& data,
                    bool quiet = false, qint32 timeoutMs = 0);
    bool g_addNode(quint8 node);
    // Whether the module runs its bootloader (base g_cobIdBootloader) or its application
    // (any other base), after a drain of the receive queue.
    bool g_searchNode(int module, quint8 nodeBase, bool quiet, qint32& lastResult);
    // The test panel's read button.
    void cmdReadSDO_Click();
    // Drains the receive queue now.
    void g_forceHeartBeatCheck();
    // Service channel.
    bool g_setServiceBit(qint32 variableId, quint8 onOff);
    bool g_setUserLevel(quint8 level);
    bool g_writeSymbol(qint32 variableId, int module, const QByteArray& value);
    // Software version of a node ("d.dd"), 0 when unreadable.
    void g_getBootLoaderVersion(quint8 node, double& version);
    // Hardware version text of a module: "?" unreadable, "X" empty.
    void g_getHardwareVersion(int module, bool bootloader, QString& text);
    // The next transfer to the module decides its transfer mode again.
    void g_resetSDOTransferMode(int module);

    // State.
    bool isInitialised() const { return m_initialised; }
    // The open channel went away: no frame passes until the bus is opened again.
    bool channelLost() const { return !m_noCan && m_CANInterface.channelLost(); }
    // "CAN channel <name> was lost..." while it is.
    QString lostChannelText() const { return m_CANInterface.lostChannelText(); }
    qint32 lastResult() const { return m_lastResult; }
    quint8 toolNode() const { return m_toolNode; }
    qint32 sdoTimeout() const { return m_sdoTimeout; }
    const QByteArray& nodeList() const { return m_nodeList; }
    // 0 block, 1 normal, 2 not yet decided.
    int sdoTransferMode(int module) const;
    const CanOpenPanelState& panelState() const { return m_panelState; }

    // The interface (m_CANInterface).
    can::CanInterface& canInterface() { return m_CANInterface; }

    // The face of the master, the "CANopen Test" panel ("/debug"). show() opens it without
    // waiting; closing it only hides it.
    CanOpenTestPanel& testPanel() { return *m_panel; }
    void show();
    // The panel's form once shown.
    CanOpenPanelForm* form() const;
    // Form_Unload: the panel's reset, which releases the master.
    void unload();

    const ClockTimer& timHeartBeatControl() const { return m_timHeartBeatControl; }
    const ClockTimer& timBrantolaHeartBeat() const { return m_timBrantolaHeartBeat; }

signals:
    void panelStateChanged();

private:
    friend class CanOpenTestPanel;

    void timHeartBeatControl_Timer();
    void timBrantolaHeartBeat_Timer();
    void m_CANInterface_SignalEvent();
    void m_CANInterface_ErrorEvent(int code, const QString& text);
    void pdoCallback();
    void dispatch(qint32 cobId, const QByteArray& data);
    void statusCallback(quint8 state, quint8 node);

    bool setSdoTimeout(qint32 ms, bool quiet = false);
    // The failure text; shown in the "CANopen ERROR" box unless quiet.
    QString canOpenError(qint32 result, const QString& context, int node, qint64 index,
                         int subIndex, bool quiet);
    void initSDOTransferMode();
    bool getSDOBlockTransferMode(quint8 node);
    void setPanelState(const CanOpenPanelState& state);

    MessageTarget m_messageTarget;
    can::CanInterface m_CANInterface;
    ClockTimer m_timHeartBeatControl;
    ClockTimer m_timBrantolaHeartBeat;
    CanOpenPanelState m_panelState;
    std::unique_ptr<CanOpenTestPanel> m_panel;
    QPointer<CanOpenPanelForm> m_form;
    std::array<int, kModuleCount> m_sdoTransferMode{};
    QByteArray m_nodeList;
    qint32 m_lastResult = 0;
    qint32 m_sdoTimeout = 200;
    quint8 m_toolNode = 1;
    bool m_initialised = false;
    bool m_blockTransfer = false;
    bool m_noCan = false;
    bool m_draining = false;
    bool m_lossShown = false; // a box told the lost channel
};

// The program-wide CANopen master, created on first use; it lives until unloadCanOpen.
CanOpenMaster& frmCANopen();
// Unloads the master as the shut-down does (the panel's reset releases the bus) and
// deletes it; the next frmCANopen() creates a fresh one (tests).
void unloadCanOpen();
// The line that ends a sequence the lost channel stopped: "   <what> stopped: CAN channel
// <name> was lost."
QString channelLostLine(const QString& what);

} // namespace pxu
