#include "can_open_panel_form.h"

#include "can_open_master.h"
#include "can_open_test_panel.h"
#include "core/form_support.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace pxu {

CanOpenPanelForm::CanOpenPanelForm(CanOpenMaster& master, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_master(master)
    , m_panel(master.testPanel()) {
    setObjectName(QStringLiteral("frmCANopen"));
    setWindowTitle(QStringLiteral("CANopen Test"));
    takeMainWindowIcon(*this);

    auto* fraCanOpen = named(new QGroupBox(QStringLiteral("CANopen")), "fraCanOpen");
    m_optBootloader = named(new QRadioButton(QStringLiteral("Bootloader:")), "optTargetMode_1");
    m_optApplication = named(new QRadioButton(QStringLiteral("Application:")), "optTargetMode_0");
    m_txtCylNo = named(new QLineEdit, "txtCylNo");
    m_txtCylNo->setMaximumWidth(60);
    m_cmdInitCOP = named(new QPushButton, "cmdInitCOP");
    auto* cmdResetCOP =
        named(new QPushButton(QStringLiteral("Release CANopen-Master")), "cmdResetCOP");
    auto* cmdStopStartNode =
        named(new QPushButton(QStringLiteral("Stop && Start Node")), "cmdStopStartNode");
    m_lblMasterState = named(new QLabel, "lblMasterState");
    {
        auto* grid = new QGridLayout(fraCanOpen);
        grid->addWidget(m_optBootloader, 0, 0);
        grid->addWidget(m_optApplication, 1, 0);
        grid->addWidget(named(new QLabel(QStringLiteral("Cyl.No.:")), "lblCylNo"), 0, 1);
        grid->addWidget(m_txtCylNo, 1, 1);
        grid->addWidget(m_cmdInitCOP, 0, 2);
        grid->addWidget(cmdResetCOP, 1, 2);
        grid->addWidget(cmdStopStartNode, 2, 2);
        grid->addWidget(named(new QLabel(QStringLiteral("Master State :")), "Label1"), 3, 0);
        grid->addWidget(m_lblMasterState, 3, 1, 1, 2);
    }

    auto* fraReadSDO = named(new QGroupBox(QStringLiteral("Read SDO")), "fraReadSDO");
    m_cboSDO = named(new QComboBox, "cboSDO");
    for (const SdoPickerEntry& entry : kSdoPicker)
        m_cboSDO->addItem(QLatin1String(entry.text), entry.itemData);
    m_cboSDO->installEventFilter(this);
    m_fraIndex = named(new QGroupBox, "fraIndex");
    m_txtIndex = named(new QLineEdit, "txtIndex");
    m_txtSubindex = named(new QLineEdit, "txtSubindex");
    auto* cmdReadSDO = named(new QPushButton(QStringLiteral("Read")), "cmdReadSDO");
    m_lblResult = named(new QLabel, "lblResult");
    m_txtResult = named(new QLineEdit, "txtResult");
    m_txtResult->setReadOnly(true);
    {
        auto* grid = new QGridLayout(m_fraIndex);
        grid->addWidget(named(new QLabel(QStringLiteral("Index (Hex):")), "lblIndex"), 0, 0);
        grid->addWidget(m_txtIndex, 0, 1);
        grid->addWidget(named(new QLabel(QStringLiteral("Subindex:")), "lblSubIndex"), 1, 0);
        grid->addWidget(m_txtSubindex, 1, 1);
        auto* box = new QVBoxLayout(fraReadSDO);
        box->addWidget(m_cboSDO);
        auto* row = new QHBoxLayout;
        row->addWidget(m_fraIndex);
        row->addWidget(cmdReadSDO, 0, Qt::AlignBottom);
        box->addLayout(row);
        box->addWidget(m_lblResult);
        box->addWidget(m_txtResult);
    }

    auto* fraHeartBeat = named(new QGroupBox(QStringLiteral("Heart Beat")), "fraHeartBeat");
    m_txtHeartBeatTime = named(new QLineEdit, "txtHeartBeatTime");
    auto* cmdSetHeartBeat =
        named(new QPushButton(QStringLiteral("Set Heart Beat")), "cmdSetHeartBeat");
    {
        auto* row = new QHBoxLayout(fraHeartBeat);
        row->addWidget(named(new QLabel(QStringLiteral("Time (ms):")), "lblHeartBeatTime"));
        row->addWidget(m_txtHeartBeatTime);
        row->addWidget(cmdSetHeartBeat);
    }

    auto* grpStatusQueue = named(new QGroupBox(QStringLiteral("Status Queue")), "grpStatusQueue");
    m_txtStatusQueue = named(new QPlainTextEdit, "txtStatusQueue");
    m_txtStatusQueue->setReadOnly(true);
    (new QVBoxLayout(grpStatusQueue))->addWidget(m_txtStatusQueue);

    auto* layout = new QGridLayout(this);
    layout->addWidget(fraCanOpen, 0, 0);
    layout->addWidget(fraHeartBeat, 1, 0);
    layout->addWidget(fraReadSDO, 0, 1, 2, 1);
    layout->addWidget(grpStatusQueue, 2, 0, 1, 2);
    resize(640, 480);

    connect(m_optBootloader, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_panel.setTargetBootloader(true);
    });
    connect(m_optApplication, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_panel.setTargetBootloader(false);
    });
    connect(m_txtCylNo, &QLineEdit::textEdited, &m_panel, &CanOpenTestPanel::setCylNo);
    connect(m_txtIndex, &QLineEdit::textEdited, &m_panel, &CanOpenTestPanel::setIndex);
    connect(m_txtSubindex, &QLineEdit::textEdited, &m_panel, &CanOpenTestPanel::setSubIndex);
    connect(m_txtHeartBeatTime, &QLineEdit::textEdited, &m_panel,
            &CanOpenTestPanel::setHeartBeatTime);
    connect(m_cboSDO, &QComboBox::activated, &m_panel, &CanOpenTestPanel::cboSDO_Click);
    connect(cmdReadSDO, &QPushButton::clicked, &m_panel, &CanOpenTestPanel::cmdReadSDO_Click);
    connect(cmdSetHeartBeat, &QPushButton::clicked, &m_panel,
            &CanOpenTestPanel::cmdSetHeartBeat_Click);
    connect(m_cmdInitCOP, &QPushButton::clicked, &m_panel, &CanOpenTestPanel::cmdInitCOP_Click);
    connect(cmdResetCOP, &QPushButton::clicked, &m_panel, &CanOpenTestPanel::cmdResetCOP_Click);
    connect(cmdStopStartNode, &QPushButton::clicked, &m_panel,
            &CanOpenTestPanel::cmdStopStartNode_Click);
    connect(&m_panel, &CanOpenTestPanel::changed, this, &CanOpenPanelForm::render);
    connect(&m_master, &CanOpenMaster::panelStateChanged, this, &CanOpenPanelForm::render);
    render();
}

bool CanOpenPanelForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cboSDO && event->type() == QEvent::FocusIn)
        m_panel.cboSDO_GotFocus();
    return QWidget::eventFilter(watched, event);
}

void CanOpenPanelForm::render() {
    const CanOpenTestPanelView& v = m_panel.view();
    const CanOpenPanelState& s = m_master.panelState();
    (v.targetBootloader ? m_optBootloader : m_optApplication)->setChecked(true);
    setIfChanged(m_txtCylNo, v.cylNo);
    m_cboSDO->setCurrentIndex(v.pickerIndex);
    QFont font = m_fraIndex->font();
    font.setBold(v.indexHighlighted);
    m_fraIndex->setFont(font);
    setIfChanged(m_txtIndex, v.index);
    setIfChanged(m_txtSubindex, v.subIndex);
    m_lblResult->setText(v.resultLabel);
    setIfChanged(m_txtResult, v.result);
    setIfChanged(m_txtHeartBeatTime, v.heartBeatTime);
    m_cmdInitCOP->setText(s.initButtonCaption);
    m_lblMasterState->setText(s.masterState);
    const QString log = displayText(s.statusQueue);
    if (m_txtStatusQueue->toPlainText() != log) {
        m_txtStatusQueue->setPlainText(log);
        m_txtStatusQueue->verticalScrollBar()->setValue(
            m_txtStatusQueue->verticalScrollBar()->maximum());
    }
}

} // namespace pxu
