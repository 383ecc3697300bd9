#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace pxu {

class CanOpenMaster;

// One entry of the object picker: its text and index x 10 + sub-index.
struct SdoPickerEntry {
    const char* text;
    int itemData;
};
inline constexpr SdoPickerEntry kSdoPicker[] = {
    {"device type", 40960},
    {"error register", 40970},
    {"COB-ID sync", 41010},
    {"manufacturer name", 41040},
    {"hardware version", 41050},
    {"software version", 41060},
    {"producer heartbeat time", 41190},
    {"vendor id", 41201},
    {"product code", 41202},
    {"revision no", 41203},
    {"serial no", 41204},
};

// The values of the CANopen test panel's controls, apart from the master's own state.
struct CanOpenTestPanelView {
    bool targetBootloader = false; // optTargetMode: 1 "Bootloader:", 0 "Application:"
    QString cylNo = QStringLiteral("1");
    int pickerIndex = 0;
    QString index = QStringLiteral("1000");
    QString subIndex = QStringLiteral("0");
    bool indexHighlighted = false; // fraIndex after a pick, until the picker gets the focus
    QString resultLabel = QStringLiteral("Result:");
    QString result;
    QString heartBeatTime;
};

// The behaviour of the CANopen test panel: read any object of one module, set its
// producer heartbeat time, board information, network start and release of the master.
// The form (CanOpenPanelForm) shows it; tests drive it headless.
class CanOpenTestPanel : public QObject {
    Q_OBJECT
public:
    explicit CanOpenTestPanel(CanOpenMaster& master, QObject* parent = nullptr);

    const CanOpenTestPanelView& view() const { return m_view; }

    // Edits of the controls.
    void setTargetBootloader(bool bootloader);
    void setCylNo(const QString& text);
    void setIndex(const QString& text);
    void setSubIndex(const QString& text);
    void setHeartBeatTime(const QString& text);

    // The node addressed: module number plus the base of the chosen mode; may lie beyond a
    // byte for a bad module number.
    int getNodeNo() const;

    void cboSDO_Click(int pickerIndex);
    void cboSDO_GotFocus();
    void cmdReadSDO_Click();
    void cmdSetHeartBeat_Click();
    void cmdInitCOP_Click();
    void cmdResetCOP_Click();
    void cmdStopStartNode_Click() {}
    // The board information box.
    void getBoardInfo();

signals:
    void changed();

private:
    void showAnswer(qint32 index, quint8 subIndex, const QByteArray& data, qint32 size);
    // A click is the user's own: its failure shows its box, also after a lost channel was told.
    void showNextLoss();

    CanOpenMaster& m_master;
    CanOpenTestPanelView m_view;
};

} // namespace pxu
