#include "updater_face_form.h"

#include "core/form_support.h"
#include "core/message_list_view.h"
#include "mainwindow/form_widgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextLayout>
#include <QVBoxLayout>

namespace pxu {

namespace {

constexpr int kProgressSteps = 1000;

QProgressBar* bar(const char* name, QWidget* parent) {
    auto* progress = new QProgressBar(parent);
    progress->setObjectName(QLatin1String(name));
    progress->setRange(0, kProgressSteps);
    progress->setTextVisible(false);
    progress->setFixedHeight(16);
    return progress;
}

int barValue(double fraction) {
    return int(fraction * kProgressSteps + 0.5);
}

// Lines of the text, broken at words, in a box of this width.
int wrappedLines(const QString& text, const QFont& font, qreal width) {
    int lines = 0;
    for (const QString& paragraph : QString(text).remove(u'\r').split(u'\n')) {
        QTextLayout layout(paragraph, font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            ++lines;
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace

UpdaterFaceForm::UpdaterFaceForm(UpdaterFace& owner, QWidget* parent)
    : QFrame(parent)
    , m_owner(owner) {
    setObjectName(QStringLiteral("fraZentUpdater"));

    lblUpdateToolCaption = new QLabel(this);
    lblUpdateToolCaption->setObjectName(QStringLiteral("lblUpdateToolCaption"));
    QFont title = lblUpdateToolCaption->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    lblUpdateToolCaption->setFont(title);
    lblUpdateToolCaption->setAlignment(Qt::AlignCenter);

    auto* steps = new QVBoxLayout;
    steps->setSpacing(4);
    for (int i = 0; i < kUpdaterSteps; ++i) {
        txtStep[i] = new QLineEdit(this);
        txtStep[i]->setObjectName(QStringLiteral("txtStep_%1").arg(i));
        txtStep[i]->setReadOnly(true);
        txtStep[i]->setFocusPolicy(Qt::NoFocus);
        txtStep[i]->setAlignment(Qt::AlignCenter);
        if (i > 0)
            steps->addWidget(txtStep[i]);
    }
    int stepWidth = 0;
    for (const QString& text : m_owner.view().stepText)
        stepWidth = std::max(stepWidth, txtStep[0]->fontMetrics().horizontalAdvance(text));
    for (int i = 1; i < kUpdaterSteps; ++i)
        txtStep[i]->setMinimumWidth(stepWidth + 24);
    steps->addStretch(1);

    lstMessageUpdater =
        new MessageListView(m_owner.messages(), MessageListView::CurrentLine::Selected, this);
    lstMessageUpdater->setObjectName(QStringLiteral("lstMessageUpdater"));
    lstMessageUpdater->setMinimumWidthFor(kAllDownloadedLine);
    m_listPalette = lstMessageUpdater->palette();

    Label2 = new QLabel(QStringLiteral("Progress:"), this);
    prgProgressUpdater = bar("prgProgressUpdater", this);
    frmProgressPxu = new QFrame(this);
    frmProgressPxu->setObjectName(QStringLiteral("frmProgressPxu"));
    Label3 = new QLabel(QStringLiteral("PXU-Update:"), frmProgressPxu);
    prgProgressLoad = bar("prgProgressLoad", frmProgressPxu);
    auto* load = new QHBoxLayout(frmProgressPxu);
    load->setContentsMargins(0, 0, 0, 0);
    load->addWidget(Label3);
    load->addWidget(prgProgressLoad, 1);
    auto* bars = new QGridLayout;
    bars->addWidget(Label2, 0, 0);
    bars->addWidget(prgProgressUpdater, 0, 1);
    bars->addWidget(frmProgressPxu, 1, 0, 1, 2);
    bars->setColumnStretch(1, 1);
    const int labelWidth = std::max(Label2->sizeHint().width(), Label3->sizeHint().width());
    Label2->setMinimumWidth(labelWidth);
    Label3->setMinimumWidth(labelWidth);

    fraUserInformation = new QGroupBox(QStringLiteral("User Information"), this);
    fraUserInformation->setObjectName(QStringLiteral("fraUserInformation"));
    txtUserInfo = new QPlainTextEdit(fraUserInformation);
    txtUserInfo->setObjectName(QStringLiteral("txtUserInfo"));
    txtUserInfo->setReadOnly(true);
    txtUserInfo->setFocusPolicy(Qt::ClickFocus);
    txtUserInfo->installEventFilter(this);
    auto* info = new QVBoxLayout(fraUserInformation);
    info->addWidget(txtUserInfo);

    auto button = [this](const char* name, auto handler) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setMinimumWidth(110);
        // The panes above keep their height when the buttons come and go.
        QSizePolicy policy = b->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        b->setSizePolicy(policy);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    cmdOk = button("cmdOk", [this] { m_owner.cmdOk_Click(); });
    cmdExitUpdater = button("cmdExitUpdater", [this] { m_owner.cmdExitUpdater_Click(); });
    cmdOpenReport = button("cmdOpenReport", [this] { m_owner.cmdOpenReport_Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOpenReport);
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdExitUpdater);

    auto* right = new QVBoxLayout;
    right->addWidget(txtStep[0]);
    right->addWidget(lstMessageUpdater, 3);
    right->addLayout(bars);
    right->addWidget(fraUserInformation, 2);
    right->addLayout(buttons);

    auto* columns = new QHBoxLayout;
    columns->addLayout(steps, 0);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblUpdateToolCaption);
    layout->addLayout(columns, 1);

    connect(&m_owner, &UpdaterFace::changed, this, &UpdaterFaceForm::render);
    render();
}

void UpdaterFaceForm::render() {
    const UpdaterFaceView& view = m_owner.view();
    lblUpdateToolCaption->setText(view.toolCaption);
    for (int i = 0; i < kUpdaterSteps; ++i) {
        txtStep[i]->setText(view.stepText[i]);
        setBackColour(*txtStep[i], view.stepColour[i]);
    }
    QPalette list = m_listPalette;
    if (view.listRed)
        list.setColor(QPalette::Base, controlColour(kListErrorColour, *this));
    lstMessageUpdater->setPalette(list);
    prgProgressUpdater->setValue(barValue(view.progressUpdater));
    prgProgressUpdater->setVisible(view.progressUpdaterVisible);
    prgProgressLoad->setValue(barValue(view.progressLoad));
    frmProgressPxu->setVisible(view.progressLoadVisible);
    if (view.userInfo != m_shownUserInfo) {
        m_shownUserInfo = view.userInfo;
        txtUserInfo->setPlainText(view.userInfo);
        fitUserInfo();
    }
    const std::pair<QPushButton*, const UpdaterButtonView*> buttons[] = {
        {cmdOk, &view.ok}, {cmdExitUpdater, &view.exit}, {cmdOpenReport, &view.openReport}};
    for (const auto& [button, state] : buttons) {
        button->setText(state->caption);
        button->setEnabled(state->enabled);
        button->setVisible(state->visible);
    }
}

bool UpdaterFaceForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtUserInfo && event->type() == QEvent::Resize)
        fitUserInfo();
    return QFrame::eventFilter(watched, event);
}

void UpdaterFaceForm::fitUserInfo() {
    // Every line of the user information in view: the list above gives way, down to a third
    // of the face.
    const qreal margin = txtUserInfo->document()->documentMargin();
    const int width = txtUserInfo->viewport()->width() - int(2 * margin);
    if (width <= 0)
        return;
    const int lines = std::max(1, wrappedLines(m_shownUserInfo, txtUserInfo->font(), width));
    const int needed = lines * txtUserInfo->fontMetrics().lineSpacing() + int(2 * margin) +
                       2 * txtUserInfo->frameWidth() + 2;
    const int height = std::min(needed, std::max(this->height(), 300) / 3);
    // Only the height follows the width, so this settles at once.
    if (txtUserInfo->minimumHeight() != height)
        txtUserInfo->setMinimumHeight(height);
}

} // namespace pxu
