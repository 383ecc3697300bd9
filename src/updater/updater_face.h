#pragma once

#include "core/message_list.h"
#include "mainwindow/main_window.h"
#include "mainwindow/updater_services.h"
#include "platform/clock/clock_timer.h"
#include "system_information.h"
#include "update_sequencer.h"
#include "updater_module_operations.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <optional>

namespace pxu {

class UpdaterFaceForm;

constexpr int kUpdaterSteps = 13; // step boxes 0 (the current step's name) to 12

struct UpdaterButtonView {
    bool visible = false;
    bool enabled = true;
    QString caption;
};

// What the updater's frame shows.
struct UpdaterFaceView {
    QString toolCaption = QStringLiteral("ZENT-6183 Update Tool"); // lblUpdateToolCaption
    std::array<QString, kUpdaterSteps> stepText;                   // txtStep
    std::array<int, kUpdaterSteps> stepColour;
    bool listRed = false;       // lstMessageUpdater's error colour
    double progressUpdater = 0; // prgProgressUpdater, 0 to 1
    bool progressUpdaterVisible = true;
    double progressLoad = 0;                                       // prgProgressLoad, 0 to 1
    bool progressLoadVisible = false;                              // frmProgressPxu
    QString userInfo;                                              // txtUserInfo
    UpdaterButtonView ok{false, true, QStringLiteral("Start")};    // cmdOk
    UpdaterButtonView exit{false, true, QStringLiteral("Finish")}; // cmdExitUpdater
    UpdaterButtonView openReport{false, true, QStringLiteral("Open Report")}; // cmdOpenReport
};

// Colours of the step boxes.
constexpr int kStepIdle = kColourButtonFace;
constexpr int kStepRunning = 0xFFFF;
constexpr int kListErrorColour = 0x8080FF;

// The widest line of a successful update: the face's list is wide enough for it (a wider
// line scrolls the list sideways).
inline const QString kAllDownloadedLine =
    QStringLiteral("   Application Update for all PXU's successfully downloaded.");

// The message id a user-information text stands for: the whole text (blanks around it
// allowed) a number above 0. Any other text is shown as it is.
std::optional<int> userMessageId(const QString& text);

// The guided updater's face in the main window: the step boxes, the updater's message
// list, the two progress bars, the user information and its buttons, and the sequencer's
// 500 ms timer. It registers itself with the main window for its lifetime.
class UpdaterFace : public QObject, public UpdaterServices {
    Q_OBJECT
public:
    explicit UpdaterFace(MainWindow& window, QObject* parent = nullptr);
    ~UpdaterFace() override;

    // What the main window uses.
    void showUpdater() override;
    bool setUserInfo(const QString& text, int step, bool& okButton, bool& exitButton) override;
    void addMessageUpdater(QString& text, int index) override;
    void addMessageUpdater(QString&& text, int index) { addMessageUpdater(text, index); }
    void downloadFinished() override {}
    void writeReport() override;
    QString reportFile() const override { return m_reportFile; }
    QString openReportCaption() const override { return m_view.openReport.caption; }
    void setProgressLoad(double value) override;
    void setToolCaption(const QString& caption) override;
    void notConnectedToSpare(int value) override { m_systemInfo.notConnectedToSpare(value); }
    void stopSequencer() override { timCyclic.stop(); }
    QWidget* frame(QWidget* parent) override;

    // The face's operations and events.
    void cmdOk_Click();
    void cmdExitUpdater_Click();
    void cmdOpenReport_Click() { m_window.cmdOpenReport_Click(); }
    void setText(int box, const QString& text, int colour);
    void initialise();
    void updateProgressUpdater(double value, bool relative);
    bool errorSignal(bool set);
    void timCyclic_Timer();

    // Buttons and bars as the sequencer sets them.
    void setOkCaption(const QString& caption);
    void setExitCaption(const QString& caption);
    void setExitEnabled(bool enabled);
    // Finish shown and enabled; the timer keeps its state.
    void showExitButton();
    void setOpenReport(bool visible, const QString& caption);
    void setProgressLoadVisible(bool visible);

    const UpdaterFaceView& view() const { return m_view; }
    MessageList& messages() { return m_messages; } // lstMessageUpdater
    UpdaterFaceForm* form() const;
    MainWindow& window() const { return m_window; }
    SystemInfoExchange& systemInfo() { return m_systemInfo; }
    const UpdateSequencer& sequencer() const { return m_sequencer; }
    UpdaterModuleOperations& moduleOperations() { return m_moduleOperations; }

    ClockTimer timCyclic;

    // The sequencer's state.
    std::array<QString, kUpdaterSteps> m_stepTexts;
    std::array<QString, kUpdaterSteps> m_reportLines;
    int m_updaterStep = 0;
    int m_stepTicks = 0;
    bool m_exitRequested = false;
    bool m_updateNotNecessary = false;
    bool m_updateFailed = false;
    bool m_updateCanceled = false;
    bool m_bootloaderFound = false;
    bool m_updaterErrorFlag = false;
    bool m_reportWritten = false;
    QString m_reportFile;

signals:
    void changed();

private:
    MainWindow& m_window;
    UpdaterFaceView m_view;
    MessageList m_messages;
    SystemInfoExchange m_systemInfo;
    UpdateSequencer m_sequencer{*this, m_systemInfo};
    UpdaterModuleOperations m_moduleOperations{*this};
    QPointer<UpdaterFaceForm> m_form;
};

} // namespace pxu
