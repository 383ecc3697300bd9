#pragma once

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

// Logs in: user level 11, then the service bits of the four state variables. A failure is
// shown in a box, or handed to report when one is given (the tick may not show boxes).
// True when everything was sent.
bool g_login(const std::function<void(const QString&)>& report = {});
void g_logoff();

} // namespace pxu::modAutoDownload
