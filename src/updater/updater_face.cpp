#include "updater_face.h"

#include "bus/can_open_master.h"
#include "core/error.h"
#include "core/error_boundary.h"
#include "core/globals.h"
#include "update_report.h"
#include "updater_face_form.h"

namespace pxu {

namespace {

const std::array<QString, kUpdaterSteps>& designStepTexts() {
    static const std::array<QString, kUpdaterSteps> texts{QString(),
                                                          QStringLiteral("Connecting to ZENT"),
                                                          QStringLiteral("Get System Information"),
                                                          QStringLiteral("Evaluate Build"),
                                                          QStringLiteral("PXU Detection"),
                                                          QStringLiteral("Enable Autoupdate"),
                                                          QStringLiteral("Start Bootloader"),
                                                          QStringLiteral("Start Bootloader Cont."),
                                                          QStringLiteral("Download Appl.-Patch"),
                                                          QStringLiteral("Start Application"),
                                                          QStringLiteral("Update Application CRC"),
                                                          QStringLiteral("Check Update"),
                                                          QStringLiteral("Patch Done")};
    return texts;
}

} // namespace

std::optional<int> userMessageId(const QString& text) {
    bool ok = false;
    const int id = text.trimmed().toInt(&ok);
    if (!ok || id <= 0)
        return std::nullopt;
    return id;
}

UpdaterFace::UpdaterFace(MainWindow& window, QObject* parent)
    : QObject(parent)
    , m_window(window) {
    setObjectName(QStringLiteral("fraZentUpdater"));
    m_view.stepText = designStepTexts();
    m_view.stepColour.fill(kStepIdle);
    timCyclic.setInterval(500);
    connect(&timCyclic, &ClockTimer::timeout, this, &UpdaterFace::timCyclic_Timer);
    m_window.setUpdater(this);
}

UpdaterFace::~UpdaterFace() {
    if (m_window.updater() == this)
        m_window.setUpdater(nullptr);
    delete m_form.data();
}

QWidget* UpdaterFace::frame(QWidget* parent) {
    if (!m_form)
        m_form = new UpdaterFaceForm(*this, parent);
    return m_form;
}

UpdaterFaceForm* UpdaterFace::form() const {
    return m_form;
}

void UpdaterFace::showUpdater() {
    guarded("frmMain", "showUpdater", [&] {
        frmCANopen().setBlockTransfer(true);
        if (frmCANopen().g_noCan()) {
            addMessageUpdater(QStringLiteral("no CAN initialising ..."), -1);
            return;
        }
        for (int i = 1; i < kUpdaterSteps; ++i)
            m_stepTexts[i] = m_view.stepText[i];
        m_stepTexts[0].clear();
        m_updaterStep = 0;
        timCyclic.setEnabled(true);
    });
}

void UpdaterFace::cmdOk_Click() {
    guarded("frmMain", "cmdOk_Click", [&] {
        m_stepTicks = 0;
        timCyclic.setEnabled(true);
        bool ok = false;
        bool exit = false;
        setUserInfo(QString(), 0, ok, exit);
        setExitEnabled(false);
    });
}

void UpdaterFace::cmdExitUpdater_Click() {
    guarded("frmMain", "cmdExitUpdater_Click", [&] {
        timCyclic.setEnabled(true);
        m_exitRequested = true;
    });
}

void UpdaterFace::setText(int box, const QString& text, int colour) {
    guarded("frmMain", "setText", [&] {
        m_view.stepText.at(box) = text.isEmpty() ? m_stepTexts.at(box) : text;
        m_view.stepColour.at(box) = colour;
        if (colour != kStepIdle)
            m_view.stepText[0] = m_stepTexts.at(box);
        emit changed();
    });
}

void UpdaterFace::initialise() {
    guarded("frmMain", "initialise", [&] {
        for (int i = kUpdaterSteps - 1; i >= 1; --i)
            setText(i, m_stepTexts[i], kStepIdle);
        m_updateNotNecessary = false;
        m_bootloaderFound = false;
        m_updateFailed = false;
        m_updateCanceled = false;
    });
}

void UpdaterFace::updateProgressUpdater(double value, bool relative) {
    guarded("frmMain", "updateProgressUpdater", [&] {
        if (relative)
            value += m_view.progressUpdater;
        m_view.progressUpdater = std::clamp(value, 0.0, 1.0);
        m_view.progressUpdaterVisible = true;
        m_messages.showWaitingLines();
        emit changed();
    });
}

void UpdaterFace::addMessageUpdater(QString& text, int index) {
    guarded("frmMain", "addMessageUpdater", [&] {
        const QStringList lines = splitAtCarriageReturns(text);
        text.clear();
        for (const QString& line : lines) {
            m_messages.addLine(line);
            if (index >= 0 && index < kUpdaterSteps)
                m_reportLines[index] = line;
        }
        m_messages.refresh();
    });
}

bool UpdaterFace::errorSignal(bool set) {
    if (set) {
        m_updaterErrorFlag = true;
        m_view.listRed = true;
        emit changed();
    }
    return m_updaterErrorFlag;
}

bool UpdaterFace::setUserInfo(const QString& text, int step, bool& okButton, bool& exitButton) {
    bool shown = false;
    guarded("frmMain", "setUserInfo", [&] {
        if (step >= 1 && step > m_stepTicks)
            return;
        const std::optional<int> id = userMessageId(text);
        if (id) {
            if (g_rsMessages && g_rsMessages->isOpen() &&
                g_rsMessages->findFirst(db::Criteria{{QStringLiteral("MessageID"), *id}})) {
                m_view.userInfo = g_rsMessages->text(QStringLiteral("MessageText"));
                okButton = g_rsMessages->value(QStringLiteral("okButton")).toInt() != 0;
            } else {
                m_view.userInfo =
                    QStringLiteral("User Information text not found in database: ") + text;
            }
        } else {
            m_view.userInfo = text;
        }
        m_view.ok.visible = okButton;
        m_view.exit.visible = exitButton;
        timCyclic.setEnabled(!(okButton || exitButton));
        if (m_view.ok.visible)
            m_view.exit.visible = true;
        m_view.exit.enabled = m_view.exit.visible;
        shown = true;
        emit changed();
    });
    return shown;
}

void UpdaterFace::timCyclic_Timer() {
    m_sequencer.timCyclic_Timer();
}

void UpdaterFace::writeReport() {
    guarded("frmMain", "writeReport", [&] {
        if (m_reportLines[0].isEmpty() || m_reportWritten)
            return;
        m_reportFile = updateReportFile();
        UpdateReport report;
        report.headerLines = m_reportLines;
        report.failed = m_updateFailed;
        report.notNecessary = m_updateNotNecessary;
        report.canceled = m_updateCanceled;
        report.messages = m_messages.lines();
        QString error;
        if (!appendUpdateReport(m_reportFile, report, &error))
            raise(75, QStringLiteral("frmMain"),
                  QStringLiteral("Path/File access error: ") + m_reportFile + QStringLiteral(": ") +
                      error);
        m_reportLines[0].clear();
        m_reportWritten = true;
    });
}

void UpdaterFace::setProgressLoad(double value) {
    m_view.progressLoad = std::clamp(value, 0.0, 1.0);
    m_messages.showWaitingLines();
    emit changed();
}

void UpdaterFace::setToolCaption(const QString& caption) {
    m_view.toolCaption = caption;
    emit changed();
}

void UpdaterFace::setOkCaption(const QString& caption) {
    m_view.ok.caption = caption;
    emit changed();
}

void UpdaterFace::setExitCaption(const QString& caption) {
    m_view.exit.caption = caption;
    emit changed();
}

void UpdaterFace::setExitEnabled(bool enabled) {
    m_view.exit.enabled = enabled;
    emit changed();
}

void UpdaterFace::showExitButton() {
    m_view.exit.visible = true;
    m_view.exit.enabled = true;
    emit changed();
}

void UpdaterFace::setOpenReport(bool visible, const QString& caption) {
    m_view.openReport.visible = visible;
    m_view.openReport.caption = caption;
    emit changed();
}

void UpdaterFace::setProgressLoadVisible(bool visible) {
    m_view.progressLoadVisible = visible;
    emit changed();
}

} // namespace pxu
