#include "dc_builder_form.h"

#include "core/form_support.h"
#include "core/message_list_view.h"
#include "core/refresh_throttle.h"
#include "dc_builder.h"
#include "dc_form_parts.h"
#include "mainwindow/form_widgets.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace pxu {

namespace {

struct TabSetting {
    const char* caption;
    const char* key;
    const char* tip;
};
const TabSetting kTabs[] = {
    {"Edit DC", "edit", "Edit values and attributes"},
    {"Set Infos", "info", "Set informations"},
    {"Build Download-File", "build", "Build S19-file for downloading"},
    {"Scan Source", "scan", "Scan all variables, parameters and constants from source"},
};

} // namespace

DcBuilderForm::DcBuilderForm(DcBuilder& owner, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_owner(owner) {
    setObjectName(QStringLiteral("frmDcBuilder"));
    setWindowTitle(QStringLiteral("Data Container Builder"));
    takeMainWindowIcon(*this);

    tabAction = named(new QTabBar, "tabAction");
    for (const TabSetting& tab : kTabs) {
        const int i = tabAction->addTab(QLatin1String(tab.caption));
        tabAction->setTabData(i, QLatin1String(tab.key));
        tabAction->setTabToolTip(i, QLatin1String(tab.tip));
    }
    frames = named(new QStackedWidget, "fraAction");
    for (int i = 0; i < 4; ++i) {
        auto* frame = new QFrame;
        frame->setObjectName(QStringLiteral("fraAction%1").arg(i + 1));
        frame->setFrameShape(QFrame::StyledPanel);
        fraAction[i] = frame;
        frames->addWidget(frame);
    }

    // Tab 1: the editors.
    static const char* const editCaptions[] = {"Edit Parameters", "Edit Variables", "Edit Logs"};
    auto* edit = new QVBoxLayout(fraAction[0]);
    for (int i = 0; i < 3; ++i) {
        cmdEdit[i] = makeJobButton(QLatin1String(editCaptions[i]), "cmdEdit");
        cmdEdit[i]->setObjectName(QStringLiteral("cmdEdit%1").arg(i));
        edit->addWidget(cmdEdit[i], 0, Qt::AlignLeft);
    }
    edit->addStretch();

    // Tab 2: the plant and software information.
    auto* infos = new QGridLayout(fraAction[1]);
    for (int i = 0; i < kInfoBoxCount; ++i) {
        const InfoBoxSetting& setting = infoBoxSettings()[i];
        lblSwInfo[i] = new QLabel(setting.label);
        lblSwInfo[i]->setObjectName(QStringLiteral("lblSwInfo%1").arg(i));
        txtInfo[i] = named(new QLineEdit, setting.name);
        txtInfo[i]->setProperty("Tag", QStringLiteral("plantInfo"));
        txtInfo[i]->setMaxLength(setting.maxLength);
        txtInfo[i]->setMinimumWidth(setting.maxLength > 4 ? 280 : 64);
        txtInfo[i]->installEventFilter(this);
        infos->addWidget(lblSwInfo[i], i, 0);
        infos->addWidget(txtInfo[i], i, 1, Qt::AlignLeft);
        connect(txtInfo[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_owner.setInfoText(InfoBox(i), text); });
    }
    infos->setColumnStretch(2, 1);
    infos->setRowStretch(kInfoBoxCount, 1);

    // Tab 3: the download file and the report.
    txtLblStartAdr = named(new QLabel(QStringLiteral("Start-Adr (HEX):")), "txtLblStartAdr");
    txtStartAdr = named(new QLineEdit, "txtStartAdr");
    txtLblStartAdr->setBuddy(txtStartAdr);
    txtStartAdr->setMaximumWidth(100);
    filSourceDC = named(new QListWidget, "filSourceDC");
    cmdBuild = makeJobButton(QStringLiteral("Build"), "cmdBuild");
    cmdReport = makeJobButton(QStringLiteral("Report"), "cmdReport");
    for (int i = 0; i < 3; ++i) {
        txtDocumentation[i] = makeDocumentation("txtDocumentation");
        txtDocumentation[i]->setObjectName(QStringLiteral("txtDocumentation%1").arg(i));
    }
    auto* address = new QHBoxLayout;
    address->addWidget(txtLblStartAdr);
    address->addWidget(txtStartAdr);
    address->addStretch();
    auto* buildButtons = new QVBoxLayout;
    buildButtons->addWidget(cmdBuild);
    buildButtons->addWidget(cmdReport);
    buildButtons->addWidget(txtDocumentation[2]);
    buildButtons->addStretch();
    auto* buildGrid = new QGridLayout(fraAction[2]);
    buildGrid->addLayout(address, 0, 0);
    buildGrid->addWidget(filSourceDC, 1, 0);
    buildGrid->addLayout(buildButtons, 1, 1);
    buildGrid->setColumnStretch(0, 1);

    // Tab 4: the scans.
    cmdScanHeader = makeJobButton(QStringLiteral("Scan Header-Files"), "cmdScanHeader");
    cmdScanSignalList = makeJobButton(QStringLiteral("Scan Signal-List"), "cmdScanSignalList");
    auto* scan = new QGridLayout(fraAction[3]);
    scan->addWidget(cmdScanHeader, 0, 0, Qt::AlignTop);
    scan->addWidget(txtDocumentation[0], 0, 1);
    scan->addWidget(cmdScanSignalList, 1, 0, Qt::AlignTop);
    scan->addWidget(txtDocumentation[1], 1, 1);
    scan->setColumnStretch(1, 1);
    scan->setRowStretch(2, 1);

    lblProgramFileDir =
        named(new QLabel(QStringLiteral("Source File Directory:")), "lblProgramFileDir");
    txtFileDirectory = named(new QLineEdit, "txtFileDirectory");
    txtFileDirectory->setReadOnly(true);
    lstMessage = makeLogListView(m_owner.messages());
    prgProgress = makeProgressBar();
    cmdExit = named(new QPushButton(QStringLiteral("Exit")), "cmdExit");

    auto* folder = new QHBoxLayout;
    folder->addWidget(lblProgramFileDir);
    folder->addWidget(txtFileDirectory, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(prgProgress, 1);
    bottom->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabAction);
    layout->addWidget(frames);
    layout->addLayout(folder);
    layout->addWidget(lstMessage, 1);
    layout->addLayout(bottom);
    resize(std::max(760, minimumSizeHint().width()), 640);

    connect(tabAction, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_rendering)
            m_owner.tabAction_Click(index + 1);
    });
    for (int i = 0; i < 3; ++i)
        connect(cmdEdit[i], &QPushButton::clicked, this, [this, i] { m_owner.cmdEdit_Click(i); });
    connect(txtStartAdr, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_owner.setStartAdr(text); });
    connect(filSourceDC, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_rendering)
            m_owner.filSourceDC_Click(row);
    });
    connect(cmdBuild, &QPushButton::clicked, this, [this] { m_owner.cmdBuild_Click(); });
    connect(cmdReport, &QPushButton::clicked, this, [this] { m_owner.cmdReport_Click(); });
    connect(cmdScanHeader, &QPushButton::clicked, this, [this] { m_owner.cmdScanHeader_Click(); });
    connect(cmdScanSignalList, &QPushButton::clicked, this,
            [this] { m_owner.cmdScanSignalList_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { m_owner.cmdExit_Click(); });
    connect(&m_owner, &DcBuilder::changed, this, &DcBuilderForm::render);
    connect(&m_owner, &DcBuilder::progressChanged,
            followProgress(*prgProgress, [this] { return m_owner.view().progress; }),
            &RefreshThrottle::request);
    connect(&m_owner, &DcBuilder::raiseRequested, this, [this] {
        showNormal();
        raise();
        activateWindow();
    });
    render();
}

void DcBuilderForm::render() {
    m_rendering = true;
    const DcBuilderView& v = m_owner.view();
    tabAction->setCurrentIndex(v.tab - 1);
    tabAction->setEnabled(v.tabEnabled);
    frames->setCurrentIndex(v.tab - 1);
    for (int i = 0; i < kInfoBoxCount; ++i) {
        txtInfo[i]->setMaxLength(v.infos[i].maxLength);
        setIfChanged(txtInfo[i], v.infos[i].text);
        txtInfo[i]->setReadOnly(v.infos[i].locked);
        setBackColour(*txtInfo[i], v.infos[i].backColour);
    }
    if (!txtStartAdr->hasFocus())
        setIfChanged(txtStartAdr, v.startAdr);
    QStringList listed;
    for (int i = 0; i < filSourceDC->count(); ++i)
        listed << filSourceDC->item(i)->text();
    if (listed != v.sourceFiles) {
        filSourceDC->clear();
        filSourceDC->addItems(v.sourceFiles);
    }
    filSourceDC->setCurrentRow(v.sourceIndex);
    for (int i = 0; i < 3; ++i)
        txtDocumentation[i]->setText(displayText(v.documentation[i]));
    cmdScanHeader->setEnabled(v.scanHeaderEnabled);
    cmdScanSignalList->setEnabled(v.scanSignalListEnabled);
    cmdExit->setEnabled(v.exitEnabled);
    setIfChanged(txtFileDirectory, v.fileDirectory);
    showProgress(*prgProgress, v.progress);
    m_rendering = false;
}

bool DcBuilderForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        for (int i = 0; i < kInfoBoxCount; ++i) {
            if (watched == txtInfo[i] && !m_rendering)
                m_owner.txtInfo_LostFocus(InfoBox(i));
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DcBuilderForm::closeEvent(QCloseEvent* event) {
    // While a job runs the window closes no more than its Exit button would.
    if (!m_owner.view().exitEnabled) {
        event->ignore();
        return;
    }
    event->accept();
    m_owner.cmdExit_Click();
}

} // namespace pxu
