#include "can_open_master.h"

#include "auto_download.h"
#include "bus_table.h"
#include "can_open_error.h"
#include "can_open_panel_form.h"
#include "can_open_test_panel.h"
#include "core/config_items.h"
#include "core/error_boundary.h"
#include "core/form_support.h"
#include "core/msg_box.h"
#include "core/vb_val.h"
#include "heart_beat_control.h"
#include "platform/can/can_interface_version.h"

#include <QCoreApplication>
#include <utility>

namespace pxu {

namespace {

constexpr int kHeartBeatControlMs = 200;
constexpr int kToolHeartBeatMs = 500;
constexpr qint32 kDefaultSdoTimeoutMs = 200;

quint8 asByte(double value) {
    const double rounded = qRound64(value);
    if (rounded < 0 || rounded > 255)
        raise(6, QStringLiteral("frmCANopen"), QStringLiteral("Overflow"));
    return quint8(rounded);
}

bool isModule(int module) {
    return module >= 0 && module < kModuleCount;
}

} // namespace

CanOpenMaster::CanOpenMaster(QObject* parent)
    : QObject(parent)
    , m_panel(std::make_unique<CanOpenTestPanel>(*this)) {
    setObjectName(QStringLiteral("frmCANopen"));
    initSDOTransferMode();
    m_nodeList = QByteArray(1, '\0');
    m_sdoTimeout = kDefaultSdoTimeoutMs;
    connect(&m_CANInterface, &can::CanInterface::signalEvent, this,
            &CanOpenMaster::m_CANInterface_SignalEvent);
    connect(&m_CANInterface, &can::CanInterface::errorEvent, this,
            &CanOpenMaster::m_CANInterface_ErrorEvent);
    connect(&m_timHeartBeatControl, &ClockTimer::timeout, this,
            &CanOpenMaster::timHeartBeatControl_Timer);
    connect(&m_timBrantolaHeartBeat, &ClockTimer::timeout, this,
            &CanOpenMaster::timBrantolaHeartBeat_Timer);
    m_timHeartBeatControl.start(kHeartBeatControlMs);
    m_timBrantolaHeartBeat.start(kToolHeartBeatMs);
    m_panel->cboSDO_Click(0);
}

CanOpenMaster::~CanOpenMaster() {
    m_timHeartBeatControl.stop();
    m_timBrantolaHeartBeat.stop();
    // Past the application's end no widget may be deleted; the process is going anyway.
    if (m_form && QCoreApplication::instance())
        delete m_form.data();
}

bool CanOpenMaster::g_initialise(const MessageTarget& target, double& dllVersion,
                                 const QString& bus, bool lorinMode, quint8 boardNumber) {
    bool ok = false;
    guarded("frmCANopen", "g_initialise", [&] {
        m_nodeList = QByteArray(1, '\0');
        initSDOTransferMode();
        ok = true;
        if (m_noCan)
            return;
        BusyCursor busy;
        m_messageTarget = target;
        resetBusFailureLatches();
        m_lossShown = false;
        const qint32 boardType =
            getBoardType(g_getMiscItem(QStringLiteral("canDevice"), QStringLiteral("USBCompact")));
        const BusSettings settings = busSettings(bus, lorinMode);
        g_mBusMode = settings.mBus;
        g_cobIdBootloaderSbus = settings.cobIdBootloaderSbus;
        g_cobIdBootloader = settings.cobIdBootloader;
        g_cobIdApplication = settings.cobIdApplication;
        m_toolNode = asByte(vbVal(g_getMiscItem(QStringLiteral("cobIdPC"), 1)));
        const bool configured = boardNumber == kConfiguredBoard;
        quint8 board =
            configured ? asByte(vbVal(g_getMiscItem(QStringLiteral("deviceNo"), 0))) : boardNumber;
        if (m_messageTarget.addMessage)
            m_messageTarget.addMessage(configured ? QStringLiteral("   Initialising CAN-Interface")
                                                  : QStringLiteral("   Initialising USB-to-CAN ") +
                                                        QString::number(board));

        m_lastResult = m_CANInterface.initBoard(boardType, board, settings.bitRateKbit, 48891);
        ok = m_lastResult == can::result::kSuccess;
        double version = 0;
        dllVersion = can::CanInterfaceVersion().getDllVersion(version) == can::result::kSuccess
                         ? version
                         : 1.0;
        if (configured && !ok) {
            ++board;
            m_lastResult = m_CANInterface.initBoard(boardType, board, settings.bitRateKbit, 48891);
            ok = m_lastResult == can::result::kSuccess;
        }
        if (ok) {
            m_CANInterface.initOption3(800);
            m_CANInterface.initOption1(40);
            m_CANInterface.initOption2(50);
        }
        m_initialised = ok;

        if (configured && !ok) {
            const QString text =
                canOpenError(m_lastResult, QStringLiteral("Init board"), 255, -1, 255, true);
            if (m_messageTarget.addMessage)
                m_messageTarget.addMessage(text);
            if (m_messageTarget.errorSignal)
                m_messageTarget.errorSignal(true);
            m_noCan = true;
            return;
        }
        m_lastResult = m_CANInterface.startCan();
        ok = m_lastResult == can::result::kSuccess;
        if (configured && !ok) {
            canOpenError(m_lastResult, QStringLiteral("Start CAN"), 255, -1, 255, false);
            if (m_messageTarget.errorSignal)
                m_messageTarget.errorSignal(true);
            g_releaseCanOpen(true);
            return;
        }
        if (ok) {
            CanOpenPanelState state = m_panelState;
            state.initButtonCaption = QStringLiteral("&Get Board Information");
            setPanelState(state);
        }
    });
    return ok;
}

void CanOpenMaster::g_releaseCanOpen(bool keepNode) {
    guarded("frmCANopen", "g_releaseCanOpen", [&] {
        m_nodeList = QByteArray(1, '\0');
        if (!keepNode && m_initialised) {
            const int node = m_panel->getNodeNo();
            if (node >= 0 && node <= 255)
                m_CANInterface.releaseNode(quint8(node));
        }
        m_lastResult = m_CANInterface.stopCan();
        m_initialised = false;
        CanOpenPanelState state;
        state.masterState = QStringLiteral("not initialized");
        state.initButtonCaption = QStringLiteral("Init CANInterface");
        setPanelState(state);
    });
}

bool CanOpenMaster::g_setOperational(quint8 node, bool quiet) {
    bool ok = false;
    guarded("frmCANopen", "g_setOperational", [&] {
        ok = true;
        if (m_noCan)
            return;
        m_lastResult = m_CANInterface.startNode(node);
        ok = m_lastResult == can::result::kSuccess;
        if (!ok && !quiet) {
            canOpenError(m_lastResult, QStringLiteral("Set operational"), node, -1, 255, false);
            if (m_messageTarget.errorSignal)
                m_messageTarget.errorSignal(true);
        }
    });
    return ok;
}

bool CanOpenMaster::g_readSDO(quint8 node, qint32 index, quint8 subIndex, qint32& size,
                              QByteArray& data, bool noBlock, bool quiet, bool forceNormal) {
    bool ok = false;
    guarded("frmCANopen", "g_readSDO", [&] {
        ok = true;
        if (m_noCan)
            return;
        const bool block = !noBlock && !forceNormal && getSDOBlockTransferMode(node);
        m_lastResult = m_CANInterface.readSdo(node, index, subIndex, data, size, !block, block);
        ok = m_lastResult == can::result::kSuccess;
        if (!ok && !quiet)
            canOpenError(m_lastResult, QStringLiteral("Read SDO"), node, index, subIndex, false);
    });
    return ok;
}

bool CanOpenMaster::g_writeSDO(quint8 node, qint32 index, quint8 subIndex, qint32 size,
                               const QByteArray& data, bool quiet, qint32 timeoutMs) {
    bool ok = false;
    guarded("frmCANopen", "g_writeSDO", [&] {
        ok = true;
        if (m_noCan)
            return;
        bool block = false;
        bool normal = false;
        if (!g_KEVMode && !g_TOQMode) {
            block = getSDOBlockTransferMode(node) && size > 255;
            normal = !block;
        }
        // A quiet write keeps its time-out's failure quiet too.
        if (timeoutMs > 0)
            setSdoTimeout(timeoutMs, quiet);
        m_lastResult = m_CANInterface.writeSdo(node, index, subIndex, data, normal, block);
        ok = m_lastResult == can::result::kSuccess;
        if (!ok && !quiet)
            canOpenError(m_lastResult, QStringLiteral("Write SDO"), node, index, subIndex, false);
        if (timeoutMs > 0)
            setSdoTimeout(kDefaultSdoTimeoutMs, quiet);
    });
    return ok;
}

bool CanOpenMaster::g_addNode(quint8 node) {
    m_nodeList.append(char(node));
    return true;
}

bool CanOpenMaster::g_searchNode(int module, quint8 nodeBase, bool, qint32& lastResult) {
    bool found = false;
    guarded("frmCANopen", "g_searchNode", [&] {
        found = true;
        if (m_noCan)
            return;
        g_forceHeartBeatCheck();
        const qint32 state = g_mBusMode && module > 0
                                 ? modAutoDownload::g_getModuleStatusADL(module)
                                 : modHeartBeatControl::g_getModuleStatusHB(module);
        found = nodeBase == g_cobIdBootloader ? state == moduleBootloaderRunning
                                              : state == moduleApplicationRunning;
        lastResult = m_lastResult;
    });
    return found;
}

void CanOpenMaster::cmdReadSDO_Click() {
    m_panel->cmdReadSDO_Click();
}

void CanOpenMaster::g_getBootLoaderVersion(quint8 node, double& version) {
    version = 0;
    guarded("frmCANopen", "g_getBootLoaderVersion", [&] {
        if (m_noCan)
            return;
        QByteArray data;
        qint32 size = 0;
        if (!g_readSDO(node, 0x100A, 0, size, data, true, true, false))
            return;
        // "d.dd"; a shorter answer or one that is not digits gives no version.
        if (data.size() < 4 || size < 4)
            return;
        const auto digit = [&](int at) { return int(quint8(data[at])) - '0'; };
        const auto isDigit = [&](int at) { return digit(at) >= 0 && digit(at) <= 9; };
        if (digit(0) < 1 || digit(0) > 9 || data[1] != '.' || !isDigit(2) || !isDigit(3))
            return;
        version = digit(0) + digit(2) / 10.0 + digit(3) / 100.0;
    });
}

void CanOpenMaster::g_getHardwareVersion(int module, bool bootloader, QString& text) {
    text = QStringLiteral("?");
    guarded("frmCANopen", "g_getHardwareVersion", [&] {
        if (m_noCan)
            return;
        int node = 0;
        if (g_mBusMode) {
            // The M-Bus modules answer here on fixed nodes, whatever the configured bases.
            if (module == 0)
                node = bootloader ? 0x7F : 0x11;
            else
                node = module + (bootloader ? 0x70 : 0x20);
        } else {
            node = module + (bootloader ? g_cobIdBootloader : g_cobIdApplication);
        }
        if (node < 0 || node > 255)
            return;
        QByteArray data;
        qint32 size = 0;
        if (!g_readSDO(quint8(node), 0x1009, 0, size, data, true, true, false))
            return;
        const QByteArray answer = data.left(qMax(0, size));
        const qsizetype end = answer.indexOf('\0');
        const QByteArray chars = end < 0 ? answer : answer.left(end);
        if (chars.isEmpty()) {
            text = QStringLiteral("X");
            return;
        }
        text = QString::number(vbVal(QString::fromLatin1(chars)));
    });
}

void CanOpenMaster::g_resetSDOTransferMode(int module) {
    if (isModule(module))
        m_sdoTransferMode[module] = 2;
}

int CanOpenMaster::sdoTransferMode(int module) const {
    return isModule(module) ? m_sdoTransferMode[module] : 2;
}

void CanOpenMaster::show() {
    guarded("frmCANopen", "Show", [&] {
        if (!m_form)
            m_form = new CanOpenPanelForm(*this); // deleted by the destructor
        m_form->show();
        m_form->raise();
    });
}

CanOpenPanelForm* CanOpenMaster::form() const {
    return m_form;
}

void CanOpenMaster::unload() {
    guarded("frmCANopen", "Form_Unload", [&] {
        m_panel->cmdResetCOP_Click();
        if (m_form)
            m_form->hide();
    });
}

bool CanOpenMaster::setSdoTimeout(qint32 ms, bool quiet) {
    if (ms == m_sdoTimeout)
        return true;
    m_lastResult = m_CANInterface.setSdoTimeout(ms);
    if (m_lastResult == can::result::kSuccess) {
        m_sdoTimeout = ms;
        return true;
    }
    canOpenError(m_lastResult, QStringLiteral("Set SDO Timeout"), 255, -1, 255, quiet);
    return false;
}

QString CanOpenMaster::canOpenError(qint32 result, const QString& context, int node, qint64 index,
                                    int subIndex, bool quiet) {
    QString text = canOpenErrorText(result, context, node, index, subIndex);
    if (channelLost()) {
        text += QStringLiteral("\r\n") + lostChannelText();
        // Every later operation fails alike: one box says it.
        quiet = quiet || std::exchange(m_lossShown, true);
    }
    if (!quiet)
        g_errorMsgBox(text, QStringLiteral("CANopen ERROR"), true);
    return text;
}

void CanOpenMaster::initSDOTransferMode() {
    m_sdoTransferMode.fill(2);
}

bool CanOpenMaster::getSDOBlockTransferMode(quint8 node) {
    int base = g_cobIdBootloader;
    if (g_mBusMode && node != g_cobIdBootloader && g_cobIdBootloaderSbus >= 1)
        base = g_cobIdBootloaderSbus;
    const int m = node - base;
    // Applications never get block transfer; an offset of 15 is no module either.
    if (!isModule(m))
        return false;
    if (vbVal(g_canInterfaceVersion) <= 1.0)
        return false;
    if (m_sdoTransferMode[m] == 2) {
        double version = 0;
        g_getBootLoaderVersion(node, version);
        m_sdoTransferMode[m] = version >= 3.0 || m_blockTransfer ? 0 : 1;
    }
    return m_sdoTransferMode[m] == 0;
}

void CanOpenMaster::setPanelState(const CanOpenPanelState& state) {
    m_panelState = state;
    emit panelStateChanged();
}

namespace {
QPointer<CanOpenMaster>& instance() {
    static QPointer<CanOpenMaster> master;
    return master;
}
} // namespace

CanOpenMaster& frmCANopen() {
    if (!instance())
        instance() = new CanOpenMaster(QCoreApplication::instance()); // owned by the application
    return *instance();
}

QString channelLostLine(const QString& what) {
    return QStringLiteral("   ") + what + QStringLiteral(" stopped: ") +
           frmCANopen().lostChannelText() + QLatin1Char('.');
}

void unloadCanOpen() {
    if (!instance())
        return;
    instance()->unload();
    delete instance().data();
}

} // namespace pxu
