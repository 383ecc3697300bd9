#include "can_open_master.h"

#include <QCoreApplication>
#include <QPointer>

namespace pxu {

CanOpenMaster::CanOpenMaster(QObject* parent)
    : QObject(parent) {
    setObjectName(QStringLiteral("frmCANopen"));
    m_sdoTransferMode.fill(2);
    m_nodeList = QByteArray(1, '\0');
}

CanOpenMaster::~CanOpenMaster() = default;

bool CanOpenMaster::g_initialise(const MessageTarget& target, double& dllVersion, const QString&,
                                 bool, quint8) {
    m_messageTarget = target;
    dllVersion = 1.0;
    return true;
}

void CanOpenMaster::g_releaseCanOpen(bool) {
    m_initialised = false;
}

bool CanOpenMaster::g_setOperational(quint8, bool) {
    return true;
}

bool CanOpenMaster::g_readSDO(quint8, qint32, quint8, qint32&, QByteArray&, bool, bool, bool) {
    return true;
}

bool CanOpenMaster::g_writeSDO(quint8, qint32, quint8, qint32, const QByteArray&, bool, qint32) {
    return true;
}

bool CanOpenMaster::g_addNode(quint8 node) {
    m_nodeList.append(char(node));
    return true;
}

bool CanOpenMaster::g_searchNode(int, quint8, bool, qint32& lastResult) {
    lastResult = m_lastResult;
    return true;
}

void CanOpenMaster::cmdReadSDO_Click() {}

void CanOpenMaster::g_forceHeartBeatCheck() {}

bool CanOpenMaster::g_setServiceBit(qint32, quint8) {
    return false;
}

bool CanOpenMaster::g_setUserLevel(quint8) {
    return false;
}

bool CanOpenMaster::g_writeSymbol(qint32, int, const QByteArray&) {
    return false;
}

void CanOpenMaster::g_getBootLoaderVersion(quint8, double& version) {
    version = 0;
}

void CanOpenMaster::g_getHardwareVersion(int, bool, QString& text) {
    text = QStringLiteral("?");
}

void CanOpenMaster::g_resetSDOTransferMode(int module) {
    if (module >= 0 && module < kModuleCount)
        m_sdoTransferMode[module] = 2;
}

int CanOpenMaster::sdoTransferMode(int module) const {
    return module >= 0 && module < kModuleCount ? m_sdoTransferMode[module] : 2;
}

void CanOpenMaster::timHeartBeatControl_Timer() {}

void CanOpenMaster::timBrantolaHeartBeat_Timer() {}

void CanOpenMaster::m_CANInterface_SignalEvent() {}

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

void unloadCanOpen() {
    delete instance().data();
}

} // namespace pxu
