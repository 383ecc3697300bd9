#include "hw_info_block_repair_form.h"

#include "core/form_support.h"
#include "form_widgets.h"
#include "hw_info_block_repair.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pxu {

namespace {

void showItems(QComboBox* box, const QStringList& items, int index) {
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    if (shown != items) {
        box->clear();
        box->addItems(items);
    }
    box->setCurrentIndex(index);
}

} // namespace

HwInfoBlockRepairForm::HwInfoBlockRepairForm(HwInfoBlockRepair& owner, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_owner(owner) {
    setObjectName(QStringLiteral("frmHWInfoBlockRepair"));
    setWindowTitle(QStringLiteral("Repair HW InfoBlock"));
    takeMainWindowIcon(*this);

    cmbModuleNum = named(new QComboBox, "cmbModuleNum");
    cmbModuleNum->setPlaceholderText(QStringLiteral("---"));
    cmbModuleNum->installEventFilter(this);
    CmbHWVersion = named(new QComboBox, "CmbHWVersion");
    CmbHWVersion->setPlaceholderText(QStringLiteral("---"));
    txtHWSerial = named(new QLineEdit, "txtHWSerial");
    txtProductionDateWeek = named(new QLineEdit, "txtProductionDateWeek");
    txtProductionDateWeek->setMaximumWidth(48);
    txtProductionDateYear = named(new QLineEdit, "txtProductionDateYear");
    txtProductionDateYear->setMaximumWidth(64);
    cmdDownload = named(new QPushButton(QStringLiteral("Download")), "cmdDownload");
    cmdCreateFile = named(new QPushButton(QStringLiteral("Create File")), "cmdCreateFile");
    cmdExit = named(new QPushButton(QStringLiteral("Exit")), "cmdExit");

    auto* date = new QGridLayout;
    date->addWidget(txtProductionDateWeek, 0, 0);
    date->addWidget(named(new QLabel(QStringLiteral("/")), "lblProductionDate"), 0, 1);
    date->addWidget(txtProductionDateYear, 0, 2);
    date->addWidget(named(new QLabel(QStringLiteral("Week")), "Label1"), 1, 0);
    date->addWidget(named(new QLabel(QStringLiteral("Year")), "Label2"), 1, 2);
    date->setColumnStretch(3, 1);

    auto* fields = new QGridLayout;
    fields->addWidget(named(new QLabel(QStringLiteral("Repair PXU #")), "lblRepairNum"), 0, 0);
    fields->addWidget(cmbModuleNum, 0, 1);
    fields->addWidget(named(new QLabel(QStringLiteral("HW Rev.:")), "lblHWVersion"), 1, 0);
    fields->addWidget(CmbHWVersion, 1, 1);
    fields->addWidget(named(new QLabel(QStringLiteral("Ser. No:")), "lblSerialNo"), 2, 0);
    fields->addWidget(txtHWSerial, 2, 1);
    fields->addWidget(named(new QLabel(QStringLiteral("Prod. Date:")), "lblHWDate"), 3, 0,
                      Qt::AlignTop);
    fields->addLayout(date, 3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDownload);
    buttons->addWidget(cmdCreateFile);
    buttons->addStretch();
    buttons->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(340, 220);

    connect(cmbModuleNum, &QComboBox::activated, this,
            [this](int index) { m_owner.cmbModuleNum_Click(index); });
    connect(CmbHWVersion, &QComboBox::activated, this,
            [this](int index) { m_owner.setVersionIndex(index); });
    connect(txtHWSerial, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_owner.setSerial(text); });
    connect(txtProductionDateWeek, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_owner.setWeek(text); });
    connect(txtProductionDateYear, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_owner.setYear(text); });
    connect(cmdDownload, &QPushButton::clicked, this, [this] { m_owner.cmdDownload_Click(); });
    connect(cmdCreateFile, &QPushButton::clicked, this, [this] { m_owner.cmdCreateFile_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { m_owner.cmdExit_Click(); });
    connect(&m_owner, &HwInfoBlockRepair::changed, this, [this] { render(); });
    render();
}

void HwInfoBlockRepairForm::render() {
    m_rendering = true;
    const HwInfoBlockRepairView& v = m_owner.view();
    showItems(cmbModuleNum, v.moduleItems, v.moduleIndex);
    showItems(CmbHWVersion, v.versionItems, v.versionIndex);
    setIfChanged(txtHWSerial, v.serial);
    setIfChanged(txtProductionDateWeek, v.week);
    setIfChanged(txtProductionDateYear, v.year);
    setBackColour(*txtHWSerial, v.serialColour);
    // After a repair the box is disabled and still shows the outcome's colour.
    keepDisabledTextReadable(*txtHWSerial);
    cmdCreateFile->setVisible(v.createFileVisible);
    const auto enable = [&](QWidget* w, RepairControl c) { w->setEnabled(v.enabledOf(c)); };
    enable(cmbModuleNum, RepairControl::cmbModuleNum);
    enable(CmbHWVersion, RepairControl::CmbHWVersion);
    enable(txtHWSerial, RepairControl::txtHWSerial);
    enable(txtProductionDateWeek, RepairControl::txtProductionDateWeek);
    enable(txtProductionDateYear, RepairControl::txtProductionDateYear);
    enable(cmdDownload, RepairControl::cmdDownload);
    enable(cmdCreateFile, RepairControl::cmdCreateFile);
    enable(cmdExit, RepairControl::cmdExit);
    m_rendering = false;
}

bool HwInfoBlockRepairForm::eventFilter(QObject* watched, QEvent* event) {
    // The list follows the connection each time the box is entered. The focus its own list
    // hands back on closing is no entry: a new list then would drop the item just chosen.
    if (watched == cmbModuleNum && event->type() == QEvent::FocusIn && !m_rendering &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        m_owner.cmbModuleNum_GotFocus();
    return QWidget::eventFilter(watched, event);
}

void HwInfoBlockRepairForm::closeEvent(QCloseEvent* event) {
    // While the window talks to a module it closes no more than its Exit button would.
    if (!m_owner.view().enabledOf(RepairControl::cmdExit)) {
        event->ignore();
        return;
    }
    event->accept();
    m_owner.cmdExit_Click();
}

} // namespace pxu
