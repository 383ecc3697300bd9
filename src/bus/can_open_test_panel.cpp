#include "can_open_test_panel.h"

#include "can_open_master.h"
#include "core/byte_conversions.h"
#include "core/dialog_service.h"
#include "core/error_boundary.h"
#include "core/msg_box.h"
#include "core/program_info.h"
#include "core/sprintf.h"
#include "core/vb_val.h"

namespace pxu {

namespace {

quint8 byteOf(double value) {
    const qint64 v = qRound64(value);
    if (v < 0 || v > 255)
        raise(6, QStringLiteral("frmCANopen"), QStringLiteral("Overflow"));
    return quint8(v);
}

QString hexOf(qint64 value) {
    return QString::number(value, 16).toUpper();
}

QString identityLabel(quint8 subIndex) {
    switch (subIndex) {
    case 0:
        return QStringLiteral("identity object / no of elements");
    case 1:
        return QStringLiteral("identity object / vendor id");
    case 2:
        return QStringLiteral("identity object / product code");
    case 3:
        return QStringLiteral("identity object / revision no");
    case 4:
        return QStringLiteral("identity object / serial no");
    default:
        return QStringLiteral("identity object / -----");
    }
}

} // namespace

CanOpenTestPanel::CanOpenTestPanel(CanOpenMaster& master, QObject* parent)
    : QObject(parent)
    , m_master(master) {}

void CanOpenTestPanel::setTargetBootloader(bool bootloader) {
    m_view.targetBootloader = bootloader;
    emit changed();
}

void CanOpenTestPanel::setCylNo(const QString& text) {
    m_view.cylNo = text;
}

void CanOpenTestPanel::setIndex(const QString& text) {
    m_view.index = text;
}

void CanOpenTestPanel::setSubIndex(const QString& text) {
    m_view.subIndex = text;
}

void CanOpenTestPanel::setHeartBeatTime(const QString& text) {
    m_view.heartBeatTime = text;
}

int CanOpenTestPanel::getNodeNo() const {
    return int(vbVal(m_view.cylNo)) +
           (m_view.targetBootloader ? g_cobIdBootloader : g_cobIdApplication);
}

void CanOpenTestPanel::showNextLoss() {
    m_master.m_lossShown = false;
}

void CanOpenTestPanel::cboSDO_Click(int pickerIndex) {
    if (pickerIndex < 0 || pickerIndex >= int(std::size(kSdoPicker)))
        return;
    const int itemData = kSdoPicker[pickerIndex].itemData;
    m_view.pickerIndex = pickerIndex;
    m_view.index = hexOf(itemData / 10);
    m_view.subIndex = QString::number(itemData % 10);
    m_view.indexHighlighted = true;
    emit changed();
}

void CanOpenTestPanel::cboSDO_GotFocus() {
    m_view.indexHighlighted = false;
    emit changed();
}

void CanOpenTestPanel::cmdReadSDO_Click() {
    guarded("frmCANopen", "cmdReadSDO_Click", [&] {
        showNextLoss();
        const quint8 node = byteOf(getNodeNo());
        const quint8 subIndex = byteOf(vbVal(QStringLiteral("&H") + m_view.subIndex));
        const qint32 index = qint32(vbVal(QStringLiteral("&H") + m_view.index));
        QByteArray data;
        qint32 size = 0;
        const qint32 result =
            m_master.m_CANInterface.readSdo(node, index, subIndex, data, size, true, false);
        m_master.m_lastResult = result;
        if (result != can::result::kSuccess) {
            m_master.canOpenError(result, QStringLiteral("Read SDO"), node, index, subIndex, false);
            return;
        }
        showAnswer(index, subIndex, data, size);
    });
}

void CanOpenTestPanel::showAnswer(qint32 index, quint8 subIndex, const QByteArray& data,
                                  qint32 size) {
    const QString hex = QStringLiteral("&H") + g_byteToHexValStr(size, 0, data, true);
    const QString text = g_byteToStr(size, 0, data);
    switch (index) {
    case 0x1000:
        m_view.resultLabel = QStringLiteral("device type");
        m_view.result = hex;
        break;
    case 0x1001:
        m_view.resultLabel = QStringLiteral("error register");
        m_view.result = hex;
        break;
    case 0x1005:
        m_view.resultLabel = QStringLiteral("COB-ID sync");
        m_view.result = hex;
        break;
    case 0x1008:
        m_view.resultLabel = QStringLiteral("manufacturer name");
        m_view.result = text;
        break;
    case 0x1009:
        m_view.resultLabel = QStringLiteral("hardware version");
        m_view.result = text;
        break;
    case 0x100A:
        m_view.resultLabel = QStringLiteral("software version");
        m_view.result = text;
        break;
    case 0x1017:
        m_view.resultLabel = QStringLiteral("producer heartbeat time");
        m_view.result = hex;
        break;
    case 0x1018:
        // The identity entries are 32-bit numbers: shown in hexadecimal as the others.
        m_view.resultLabel = identityLabel(subIndex);
        m_view.result = hex;
        if (subIndex == 0)
            m_view.result = g_byteToDezValStr(4, 0, data, false);
        break;
    default:
        m_view.resultLabel = QStringLiteral("-------");
        m_view.result = hex;
        break;
    }
    emit changed();
}

void CanOpenTestPanel::cmdSetHeartBeat_Click() {
    guarded("frmCANopen", "cmdSetHeartBeat_Click", [&] {
        showNextLoss();
        QByteArray bytes(2, '\0');
        g_dezValStrToByte(m_view.heartBeatTime, 2, 0, bytes, true);
        m_master.g_writeSDO(byteOf(getNodeNo()), 0x1017, 0, 2, bytes, false, 0);
    });
}

void CanOpenTestPanel::cmdInitCOP_Click() {
    guarded("frmCANopen", "cmdInitCOP_Click", [&] {
        if (m_master.m_initialised) {
            getBoardInfo();
            return;
        }
        BoxRequest box;
        box.title = programTitle();
        box.text = QStringLiteral("this debug function has been disabled");
        dialogs().messageBox(box);
        if (m_master.m_messageTarget.addMessage)
            m_master.m_messageTarget.addMessage(QStringLiteral("   Set net operational"));
        if (m_master.g_setOperational(0, false)) {
            CanOpenPanelState state = m_master.panelState();
            state.masterState = QStringLiteral("Net is operational");
            m_master.setPanelState(state);
        } else {
            m_master.g_releaseCanOpen(true);
        }
    });
}

void CanOpenTestPanel::cmdResetCOP_Click() {
    guarded("frmCANopen", "cmdResetCOP_Click", [&] { m_master.g_releaseCanOpen(false); });
}

void CanOpenTestPanel::getBoardInfo() {
    guarded("frmCANopen", "getBoardInfo", [&] {
        can::BoardInfo info;
        if (m_master.m_CANInterface.getBoardInfo(info) != can::result::kSuccess)
            return;
        const auto version = [](quint16 v) { return QVariantList{hexOf(v >> 8), hexOf(v & 0xFF)}; };
        QString text = QStringLiteral("Information about used CAN board:\n\n");
        text += sprintf(QStringLiteral("Hardware version:\\t\\t{*}.{*}\\n"),
                        version(info.hardwareVersion));
        text += sprintf(QStringLiteral("Firmware version:\\t\\t{*}.{*}\\n"),
                        version(info.firmwareVersion));
        text +=
            sprintf(QStringLiteral("CANopen API version:\\t{*}.{*}\\n"), version(info.apiVersion));
        text += sprintf(QStringLiteral("Board segment (hex):\\t{*}\\n"), hexOf(info.boardSegment));
        text += sprintf(QStringLiteral("Interrupt:\\t\\t{*}\\n"), info.interrupt);
        text += sprintf(QStringLiteral("Hardware name:\\t\\t{*}\\n"), info.hardwareName);
        text += sprintf(QStringLiteral("Serial number:\\t\\t{*}"), info.serialNumber);
        g_informationMsgBox(text);
    });
}

} // namespace pxu
