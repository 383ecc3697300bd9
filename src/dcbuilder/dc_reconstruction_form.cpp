#include "dc_reconstruction_form.h"

#include "core/form_support.h"
#include "core/message_list_view.h"
#include "core/refresh_throttle.h"
#include "dc_form_parts.h"
#include "dc_reconstruction.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pxu {

DcReconstructionForm::DcReconstructionForm(DcReconstruction& owner, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_owner(owner) {
    setObjectName(QStringLiteral("frmDcReconstruction"));
    setWindowTitle(QStringLiteral("Data Container Builder"));
    takeMainWindowIcon(*this);

    fraAction = named(new QFrame, "fraAction");
    fraAction->setFrameShape(QFrame::StyledPanel);
    lblProgramFileDir =
        named(new QLabel(QStringLiteral("Upload File Directory:")), "lblProgramFileDir");
    txtFileDirectory = named(new QLineEdit, "txtFileDirectory");
    txtFileDirectory->setReadOnly(true);
    txtDocumentation = makeDocumentation("txtDocumentation");
    txtReconstructDCResult = named(new QLineEdit, "txtReconstructDCResult");
    cmdReconstructDC = makeJobButton(QStringLiteral("Reconstruct"), "cmdReconstructDC");
    auto* action = new QGridLayout(fraAction);
    action->addWidget(lblProgramFileDir, 0, 0);
    action->addWidget(txtFileDirectory, 0, 1);
    action->addWidget(txtDocumentation, 1, 1);
    action->addWidget(cmdReconstructDC, 2, 0);
    action->addWidget(txtReconstructDCResult, 2, 1);
    action->setColumnStretch(1, 1);

    lstMessage = makeLogListView(m_owner.messages());
    prgProgress = makeProgressBar();
    cmdExit = named(new QPushButton(QStringLiteral("Exit")), "cmdExit");

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(prgProgress, 1);
    bottom->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraAction);
    layout->addWidget(lstMessage, 1);
    layout->addLayout(bottom);
    resize(std::max(760, minimumSizeHint().width()), 520);

    connect(txtReconstructDCResult, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_owner.setResultName(text); });
    connect(cmdReconstructDC, &QPushButton::clicked, this,
            [this] { m_owner.cmdReconstructDC_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { m_owner.cmdExit_Click(); });
    connect(&m_owner, &DcReconstruction::changed, this, &DcReconstructionForm::render);
    connect(&m_owner, &DcReconstruction::progressChanged,
            followProgress(*prgProgress, [this] { return m_owner.view().progress; }),
            &RefreshThrottle::request);
    render();
}

void DcReconstructionForm::render() {
    const DcReconstructionView& v = m_owner.view();
    setIfChanged(txtFileDirectory, v.fileDirectory);
    txtDocumentation->setText(displayText(v.documentation));
    setIfChanged(txtReconstructDCResult, v.resultName);
    cmdReconstructDC->setEnabled(v.reconstructEnabled);
    showProgress(*prgProgress, v.progress);
}

void DcReconstructionForm::closeEvent(QCloseEvent* event) {
    event->accept();
    m_owner.cmdExit_Click();
}

} // namespace pxu
