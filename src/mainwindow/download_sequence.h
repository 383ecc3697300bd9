#pragma once

#include "bus/main_window_services.h"

namespace pxu {

class MainWindow;
class SectionDownload;

// The Download button: the checks before anything is sent, the switch into the
// bootloader, the loop over the ticked sections and modules (on the M-Bus the spare
// first, then the cylinders through it), Abort, and the restart at the end. The updater
// face runs the same sequence.
class DownloadSequence {
public:
    DownloadSequence(MainWindow& window, SectionDownload& sections);

    void cmdDownload_Click();
    // Every ticked section into every ticked module. spareStep: the spare's phase of the
    // M-Bus path, which leaves unlocking and the cylinders' start to the caller. True when
    // the modules were restarted (or the spare's section was accepted in its phase).
    bool downloadSelectedModules(bool spareStep);

private:
    void run();
    void refuse(const QString& line);
    void spareFirst();
    bool downloadSelected(bool spareStep);
    bool checkModules(const ModuleSelection& selected, bool spareStep);
    bool checkHardwareVersions(const ModuleSelection& selected);
    bool checkBootloader2Versions(const ModuleSelection& selected, bool spareStep);
    void checkStartAddresses(const ModuleSelection& selected);
    bool prepareTickedSections(QString& failure);
    // Asks whether to abort; Yes stops the auto download of module when it is one.
    bool confirmAbort(bool autoDownloadModule);
    void endAborted(bool spareStep);
    // After a write that failed, or once the channel is lost, it takes no frames: the run
    // stops, saying why once, and skips everything that needs the bus.
    bool stoppedByBus(bool spareStep);
    // The same where only a lost channel stops the run.
    bool stoppedByLoss(bool spareStep);
    bool finish(bool spareStep, bool bootloader2, ModuleSelection bootloaders);
    void log(const QString& text);
    void unlockUnless(bool spareStep);
    bool ticked(int module) const;
    bool sectionTicked(int box) const;
    bool fileMissing(int box) const;
    // After a refusal or an abort: the modules this run took out of their application that
    // were sent nothing get it back.
    void restartUntouched();

    MainWindow& m_window;
    SectionDownload& m_sections;
    bool m_abortConfirmed = false;
    bool m_finished = false;            // the run reached its end (its restart question included)
    bool m_stopped = false;             // stoppedByBus ended the run
    ModuleSelection m_ranApplication{}; // at the run's start
    ModuleSelection m_sentSection{};    // a section went to the module in this run
};

} // namespace pxu
