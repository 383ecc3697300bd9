#include "loader_panel.h"

#include "core/form_support.h"
#include "core/message_list_view.h"
#include "form_widgets.h"
#include "main_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace pxu {

namespace {

constexpr int kProgressSteps = 1000;

ModelCheckBox* displayBox(QWidget* parent) {
    auto* box = new ModelCheckBox(parent);
    // State display only: the grid sets it from the module's heartbeat.
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

QLineEdit* fileColumn(QWidget* parent, int minimumWidth) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setMinimumWidth(minimumWidth);
    return edit;
}

QLabel* header(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

template <class W> void setShown(W* widget, bool shown) {
    if (widget->isVisibleTo(widget->parentWidget()) != shown)
        widget->setVisible(shown);
}

} // namespace

LoaderPanel::LoaderPanel(MainWindow& owner, QWidget* parent)
    : QWidget(parent)
    , m_owner(owner) {
    setObjectName(QStringLiteral("fraLoader"));
    auto* top = new QHBoxLayout;
    top->addWidget(buildGrid(), 0);
    auto* right = new QVBoxLayout;
    right->addWidget(buildSections(), 0);
    lstMessage =
        new MessageListView(m_owner.messages(), MessageListView::CurrentLine::Selected, this);
    lstMessage->setObjectName(QStringLiteral("lstMessage"));
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSizeF(font().pointSizeF() * 0.9);
    lstMessage->setFont(mono);
    right->addWidget(lstMessage, 1);
    top->addLayout(right, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buildButtons(), 0);
    render();
}

QWidget* LoaderPanel::buildGrid() {
    fraModuleState = new QGroupBox(QStringLiteral("Modules"), this);
    fraModuleState->setObjectName(QStringLiteral("fraModuleState"));
    auto* grid = new QGridLayout(fraModuleState);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(14);
    const QStringList titles{QStringLiteral("PXU"),   QStringLiteral("HW"),   QStringLiteral("BL"),
                             QStringLiteral("Appl."), QStringLiteral("Load"), QString()};
    for (int c = 0; c < titles.size(); ++c)
        grid->addWidget(header(titles[c], fraModuleState), 0, c, Qt::AlignCenter);

    for (int m = 0; m < kModuleCount; ++m) {
        const int r = m + 1;
        lblCylinderNumber[m] = new QLabel(fraModuleState);
        lblCylinderNumber[m]->setObjectName(QStringLiteral("lblCylinderNumber_%1").arg(m));
        lblCylinderNumber[m]->setAlignment(Qt::AlignCenter);
        lblHW[m] = new QLabel(fraModuleState);
        lblHW[m]->setObjectName(QStringLiteral("lblHW_%1").arg(m));
        lblHW[m]->setAlignment(Qt::AlignCenter);
        lblHW[m]->setMinimumWidth(40);
        lblHW[m]->setFrameShape(QFrame::StyledPanel);
        chkBootLoaderRunning[m] = displayBox(fraModuleState);
        chkBootLoaderRunning[m]->setObjectName(QStringLiteral("chkBootLoaderRunning_%1").arg(m));
        chkApplicationRunning[m] = displayBox(fraModuleState);
        chkApplicationRunning[m]->setObjectName(QStringLiteral("chkApplicationRunning_%1").arg(m));
        chkProgram[m] = new ModelCheckBox(fraModuleState);
        chkProgram[m]->setObjectName(QStringLiteral("chkProgram_%1").arg(m));
        connect(chkProgram[m], &QCheckBox::clicked, this,
                [this, m] { m_owner.selection().clickProgram(m); });
        lblDownloadOk[m] = new QLabel(fraModuleState);
        lblDownloadOk[m]->setObjectName(QStringLiteral("lblDownloadOk_%1").arg(m));
        lblDownloadOk[m]->setFixedSize(14, 14);

        grid->addWidget(lblCylinderNumber[m], r, 0);
        grid->addWidget(lblHW[m], r, 1);
        grid->addWidget(chkBootLoaderRunning[m], r, 2, Qt::AlignCenter);
        grid->addWidget(chkApplicationRunning[m], r, 3, Qt::AlignCenter);
        grid->addWidget(chkProgram[m], r, 4, Qt::AlignCenter);
        grid->addWidget(lblDownloadOk[m], r, 5, Qt::AlignCenter);
    }
    chkProgramAllModules = new ModelCheckBox(QStringLiteral("All"), fraModuleState);
    chkProgramAllModules->setObjectName(QStringLiteral("chkProgramAllModules"));
    chkProgramAllModules->setTristate(true);
    connect(chkProgramAllModules, &QCheckBox::clicked, this,
            [this] { m_owner.selection().clickAllModules(); });
    grid->addWidget(chkProgramAllModules, kModuleCount + 1, 3, 1, 2, Qt::AlignRight);

    fraEngineRunning = new QGroupBox(fraModuleState);
    fraEngineRunning->setObjectName(QStringLiteral("fraEngineRunning"));
    auto* engine = new QHBoxLayout(fraEngineRunning);
    imgEngineRunning = new QLabel(fraEngineRunning);
    imgEngineRunning->setObjectName(QStringLiteral("imgEngineRunning"));
    imgEngineRunning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32));
    imgEngineStStill = new QLabel(fraEngineRunning);
    imgEngineStStill->setObjectName(QStringLiteral("imgEngineStStill"));
    imgEngineStStill->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(32));
    engine->addWidget(imgEngineRunning);
    engine->addWidget(imgEngineStStill);
    grid->addWidget(fraEngineRunning, kModuleCount + 2, 0, 1, 6);
    grid->setRowStretch(kModuleCount + 3, 1);
    return fraModuleState;
}

QWidget* LoaderPanel::buildSections() {
    auto* frame = new QGroupBox(QStringLiteral("Load files"), this);
    frame->setObjectName(QStringLiteral("fraLoadFiles"));
    auto* grid = new QGridLayout(frame);
    grid->setVerticalSpacing(4);

    txtFileDirectory = new QLineEdit(frame);
    txtFileDirectory->setObjectName(QStringLiteral("txtFileDirectory"));
    connect(txtFileDirectory, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_owner.loadFiles().setDirectory(text); });
    // Enter and leaving the box both validate it.
    connect(txtFileDirectory, &QLineEdit::editingFinished, this,
            [this] { m_owner.txtFileDirectory_Validate(); });
    chkSectionNew = new ModelCheckBox(QStringLiteral("New"), frame);
    chkSectionNew->setObjectName(QStringLiteral("chkSectionNew"));
    connect(chkSectionNew, &QCheckBox::clicked, this, [this] {
        auto& files = m_owner.loadFiles();
        files.setSectionNew(files.sectionNew() == 1 ? 0 : 1);
    });
    grid->addWidget(new QLabel(QStringLiteral("Directory:"), frame), 0, 0);
    grid->addWidget(txtFileDirectory, 0, 1, 1, 3);
    grid->addWidget(chkSectionNew, 0, 4);

    grid->addWidget(header(QStringLiteral("Section"), frame), 1, 0);
    grid->addWidget(header(QStringLiteral("Name:"), frame), 1, 1);
    grid->addWidget(header(QStringLiteral("Date:"), frame), 1, 2);
    grid->addWidget(header(QStringLiteral("Time:"), frame), 1, 3);
    for (int i = 0; i < kSectionBoxCount; ++i) {
        chkLoadSection[i] = new ModelCheckBox(frame);
        chkLoadSection[i]->setObjectName(QStringLiteral("chkLoadSection_%1").arg(i));
        connect(chkLoadSection[i], &QCheckBox::clicked, this,
                [this, i] { m_owner.selection().clickSection(i); });
        txtEmh[i] = fileColumn(frame, 360);
        txtEmh[i]->setObjectName(QStringLiteral("txtEmh_%1").arg(i));
        txtVersion[i] = fileColumn(frame, 95);
        txtVersion[i]->setObjectName(QStringLiteral("txtVersion_%1").arg(i));
        txtBuild[i] = fileColumn(frame, 70);
        txtBuild[i]->setObjectName(QStringLiteral("txtBuild_%1").arg(i));
        grid->addWidget(chkLoadSection[i], i + 2, 0);
        grid->addWidget(txtEmh[i], i + 2, 1);
        grid->addWidget(txtVersion[i], i + 2, 2);
        grid->addWidget(txtBuild[i], i + 2, 3);
    }
    chkProgramAllSections = new ModelCheckBox(QStringLiteral("All"), frame);
    chkProgramAllSections->setObjectName(QStringLiteral("chkProgramAllSections"));
    chkProgramAllSections->setTristate(true);
    connect(chkProgramAllSections, &QCheckBox::clicked, this,
            [this] { m_owner.selection().clickAllSections(); });
    grid->addWidget(chkProgramAllSections, kSectionBoxCount + 2, 0);
    grid->setColumnStretch(1, 1);
    return frame;
}

QWidget* LoaderPanel::buildButtons() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    prgProgress = new QProgressBar(bar);
    prgProgress->setObjectName(QStringLiteral("prgProgress"));
    prgProgress->setRange(0, kProgressSteps);
    prgProgress->setTextVisible(false);
    row->addWidget(prgProgress, 1);
    auto button = [&](const char* name, const QString& caption, auto handler) {
        auto* b = new QPushButton(caption, bar);
        b->setObjectName(QLatin1String(name));
        b->setMinimumWidth(100);
        connect(b, &QPushButton::clicked, this, handler);
        row->addWidget(b);
        return b;
    };
    cmdDownload =
        button("cmdDownload", QStringLiteral("Download"), [this] { m_owner.cmdDownload_Click(); });
    cmdAbort = button("cmdAbort", QStringLiteral("Abort"), [this] { m_owner.cmdAbort_Click(); });
    cmdModuleState = button("cmdModuleState", QStringLiteral("Overview"),
                            [this] { m_owner.cmdModuleState_Click(); });
    cmdExit = button("cmdExit", QStringLiteral("Exit"), [this] { m_owner.cmdExit_Click(); });
    return bar;
}

void LoaderPanel::render() {
    const MainWindowView& view = m_owner.view();
    const Selection& selection = m_owner.selection();
    const ControlLock& lock = m_owner.lock();
    const LoadFiles& files = m_owner.loadFiles();

    const bool selectable = !lock.selectionLocked();
    setShown(fraModuleState, view.fraModuleStateVisible);
    for (int m = 0; m < kModuleCount; ++m) {
        const ModuleRowView& row = view.rows[m];
        lblCylinderNumber[m]->setText(row.caption);
        setShown(lblCylinderNumber[m], row.captionVisible);
        lblHW[m]->setText(row.hwCaption);
        setBackColour(*lblHW[m], row.hwBackColour);
        const auto& bl = selection.bootLoaderRunningBox(m);
        chkBootLoaderRunning[m]->showValue(bl.value);
        setShown(chkBootLoaderRunning[m], bl.visible);
        const auto& appl = selection.applicationRunningBox(m);
        chkApplicationRunning[m]->showValue(appl.value);
        setShown(chkApplicationRunning[m], appl.visible);
        const auto& program = selection.program(m);
        chkProgram[m]->showValue(program.value);
        chkProgram[m]->setEnabled(program.enabled && selectable);
        setShown(chkProgram[m], program.visible);
        setBackColour(*lblDownloadOk[m], row.lampColour);
        setShown(lblDownloadOk[m], row.lampVisible);
    }
    chkProgramAllModules->showValue(selection.allModules().value);
    chkProgramAllModules->setEnabled(selection.allModules().enabled && selectable);
    setShown(fraEngineRunning, view.fraEngineRunningVisible);
    setShown(imgEngineRunning, view.imgEngineRunningVisible);
    setShown(imgEngineStStill, view.imgEngineStStillVisible);

    if (!txtFileDirectory->hasFocus() && txtFileDirectory->text() != files.directory()) {
        txtFileDirectory->setText(files.directory());
        txtFileDirectory->setCursorPosition(int(files.directory().size()));
    }
    txtFileDirectory->setEnabled(selectable);
    chkSectionNew->showValue(files.sectionNew());
    chkSectionNew->setEnabled(selectable);
    for (int i = 0; i < kSectionBoxCount; ++i) {
        const SectionBoxState& box = selection.section(i);
        chkLoadSection[i]->setText(box.caption);
        chkLoadSection[i]->showValue(box.value);
        chkLoadSection[i]->setEnabled(box.enabled && selectable);
        setShown(chkLoadSection[i], box.visible);
        const LoadFileBoxes& file = files.boxes(i);
        txtEmh[i]->setText(file.emhText);
        txtEmh[i]->setToolTip(file.emhPath);
        txtVersion[i]->setText(file.version);
        txtBuild[i]->setText(file.build);
        setShown(txtEmh[i], box.visible);
        setShown(txtVersion[i], box.visible);
        setShown(txtBuild[i], box.visible);
    }
    chkProgramAllSections->showValue(selection.allSections().value);
    chkProgramAllSections->setEnabled(selection.allSections().enabled && selectable);

    prgProgress->setValue(int(view.progress * kProgressSteps + 0.5));
    cmdDownload->setEnabled(lock.enabled(Control::cmdDownload));
    cmdAbort->setEnabled(lock.enabled(Control::cmdAbort));
    cmdModuleState->setEnabled(lock.enabled(Control::cmdModuleState));
    setShown(cmdModuleState, view.cmdModuleStateVisible);
    cmdExit->setEnabled(lock.enabled(Control::cmdExit));
}

} // namespace pxu
