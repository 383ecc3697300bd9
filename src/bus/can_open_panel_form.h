#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace pxu {

class CanOpenMaster;
class CanOpenTestPanel;

// The "CANopen Test" window: shows the test panel and the master's state. Closing it only
// hides it; the master lives on.
class CanOpenPanelForm : public QWidget {
    Q_OBJECT
public:
    explicit CanOpenPanelForm(CanOpenMaster& master, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void render();

    CanOpenMaster& m_master;
    CanOpenTestPanel& m_panel;
    QRadioButton* m_optBootloader;
    QRadioButton* m_optApplication;
    QLineEdit* m_txtCylNo;
    QPushButton* m_cmdInitCOP;
    QLabel* m_lblMasterState;
    QComboBox* m_cboSDO;
    QGroupBox* m_fraIndex;
    QLineEdit* m_txtIndex;
    QLineEdit* m_txtSubindex;
    QLabel* m_lblResult;
    QLineEdit* m_txtResult;
    QLineEdit* m_txtHeartBeatTime;
    QPlainTextEdit* m_txtStatusQueue;
};

} // namespace pxu
