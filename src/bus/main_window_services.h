#pragma once

#include "core/globals.h"

#include <QString>
#include <array>

namespace pxu {

// One flag per module number 0 to 14 (True = act on this module).
using ModuleSelection = std::array<bool, kModuleCount>;

// What the module protocol needs of the main window (and of the updater face in it). The
// bus layer never includes the main window: the main window implements this interface
// and installs itself with setMainWindowServices; tests install a fake.
class MainWindowServices {
public:
    virtual ~MainWindowServices() = default;

    // The main window's message list (text split at carriage returns).
    virtual void addMessage(const QString& text) = 0;
    // The module's download indicator is green (no failure in this run).
    virtual bool g_downloadStatusOk(int module) = 0;
    // The module accepted a new bootloader 2 in this run; and clearing that flag.
    virtual bool g_getBootloaderVersionChange(int module) = 0;
    virtual void g_resetBootloaderVersionChange(int module) = 0;
    // Logs a failure line for the module and turns its indicator red.
    virtual void downloadFailure(const QString& text, int module) = 0;
    // The ticked module boxes; and ticking them again where the module is connected.
    virtual ModuleSelection g_getUserSelection() = 0;
    virtual void g_restoreUserSelection(const ModuleSelection& selection) = 0;
    // The Abort button's flag (g_abortRequested).
    virtual bool g_abortRequested() = 0;
    virtual void setAbortRequested(bool requested) = 0;
    // Logs off the auto download, releases the bus and, with endProgram, ends the program.
    virtual void g_logOffApplication(bool endProgram) = 0;
    // The program ends after a fatal log-off: the bus is gone, so running waits stop
    // instead of carrying on against it.
    virtual bool programEnding() { return false; }
    // The updater learns that the module answering as the spare carries another number.
    virtual void notConnectedToSpare(qint16 module) = 0;
};

// Installs the main window's services; nullptr goes back to the stand-in, which logs
// messages to the Qt log, reports every download ok, selects nothing and never aborts.
// The caller keeps ownership and uninstalls before it goes.
void setMainWindowServices(MainWindowServices* services);
MainWindowServices& mainWindowServices();

} // namespace pxu
