#pragma once

#include "adl_values.h"
#include "engine_standstill.h"
#include "module_states.h"

#include <QByteArray>
#include <QString>
#include <functional>

// The auto-download protocol on the M-Bus: the spare module reports the state of every
// module and carries out commands for the cylinder modules.
namespace pxu::modAutoDownload {

// Clears the tables (connection set-up).
void g_initialise();
// All module states 0, standstill 0, progress 0, no command pending.
void g_resetConnectionStatus();

// Receivers of the state variables: the four value bytes (little-endian) and the unmasked
// variable id (bits 12 to 15: the sending module).
void g_setModuleStatus(const QByteArray& value, qint32 id);
void g_setCommandStatus(const QByteArray& value, qint32 id);
void g_setUpdateStatus(const QByteArray& value, qint32 id);
void g_setUpdateFailure(const QByteArray& value, qint32 id);
void g_setEngineStandStill(const QByteArray& value, qint32 id);
// Every heartbeat-control tick, with the tick's interval.
void g_checkEngineStandStillTimeout(int tickMs);

ModuleStates g_getAutoDwnlConnStatus();
qint32 g_getModuleStatusADL(int module);
// Whether a command is pending, and the spare's report on the download it works on.
bool g_getAutoDownloadStatus(int& updateModule, qint32& updateField, double& progress,
                             int& attempt);
// The module's bit in either failure mask.
bool g_getAutoDownloadFailure(int module);
// Whether the spare has carried out the last command other than abort for the module: it
// took the command up (sent a command word other than 0, or an update status naming the
// module) and reported the word cleared after that. The busy flag alone proves nothing: the
// tool sets it itself when it sends, and a report of the word sent before the spare saw the
// command clears it.
bool g_commandDone(int module);
// 0 no signal, 1 standstill, 2 running (EngineStandStillStatus), over all modules.
qint32 g_getEngineStandStillStatus();
// One module's standstill report.
qint32 g_getEngineStandStillStatus(int module);

// Logs in: user level 11, then the service bits of the four state variables. A failure is
// shown in a box, or handed to report when one is given (the tick may not show boxes).
// True when everything was sent.
bool g_login(const std::function<void(const QString&)>& report = {});
// Switches the service bits off again (shut-down); nothing before the first log-in.
void g_logoff();
bool loggedIn();
// Forgets the log-in (tests).
void resetLogin();

// Writes command (AdlCommand) for the modules of mask; section with the download command.
// An invalid command or section is refused with a box. While a command is pending only
// the abort goes out. True when the command word was sent.
bool g_sendCommand(int command, quint16 mask, int section);

// Checks that the module answering as module 0 is the spare: a device name ending in
// "#nn" names another module, which ends the program (or, in the updater, is handed to
// the main window).
void g_checkMBusModuleID(bool bootloaderRunning);
// The module number in a device name ("...#03" gives 3), 0 for none.
qint16 moduleIdOfDeviceName(const QString& name);

} // namespace pxu::modAutoDownload
