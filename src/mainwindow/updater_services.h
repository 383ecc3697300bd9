#pragma once

#include <QString>

class QWidget;

namespace pxu {

// What the main window uses of its updater face. The face registers itself with the main
// window (MainWindow::setUpdater); without one the main window runs no updater.
class UpdaterServices {
public:
    virtual ~UpdaterServices() = default;

    // Shows the face and starts the sequencer (not without CAN).
    virtual void showUpdater() = 0;
    // Shows a text or a user message (a positive message id) in the user-information box;
    // a message's okButton field replaces okButton. False when the step is not reached yet.
    virtual bool setUserInfo(const QString& text, int step, bool& okButton, bool& exitButton) = 0;
    // Appends the text's lines to the updater's list (and, for steps 0 to 12, its report
    // lines). The caller's text is consumed.
    virtual void addMessageUpdater(QString& text, int step) = 0;
    virtual void downloadFinished() = 0;
    // Appends this run's report once; reportFile() names the file afterwards.
    virtual void writeReport() = 0;
    virtual QString reportFile() const = 0;
    // The report button's caption ("Open Report" or "Open Instruction").
    virtual QString openReportCaption() const = 0;
    // The per-module download progress (prgProgressLoad), 0 to 1.
    virtual void setProgressLoad(double value) = 0;
    // The face's title (lblUpdateToolCaption).
    virtual void setToolCaption(const QString& caption) = 0;
    // The auto download tells the module number that the module answering as the spare
    // reports (0: it is the spare).
    virtual void notConnectedToSpare(int value) = 0;
    // The run ends at once: no further tick.
    virtual void stopSequencer() = 0;
    // The face's frame (fraZentUpdater), made on first call as a child of parent.
    virtual QWidget* frame(QWidget* parent) = 0;
};

} // namespace pxu
