#pragma once

#include "module_states.h"

// Heartbeat supervision: one state per module from the heartbeats of its bootloader and
// application, aged on the 200 ms tick.
namespace pxu::modHeartBeatControl {

// An age above this many ticks drops a module (16 ticks of 200 ms of silence).
constexpr int kMaxAge = 15;
// A heartbeat from this node on the M-Bus marks an old bootloader.
constexpr int kOldBootloaderNode = 0x71;

// Clears the tables (connection set-up, before the bus is opened).
void g_initialise();
// One heartbeat (COB-ID 0x700 + node).
void g_receiveHeartBeat(qint32 cobId);
// One tick: drains the receive queue, ages the heartbeats and refreshes the main window's
// connection display unless that is switched off.
void g_heartBeatControl_Update();
ModuleStates g_getHeartBeatStatus();
qint32 g_getModuleStatusHB(int module);
bool g_oldBootloaderDetectedOnMBus();

// The refresh of the connection display on every tick (m_hbUpdateDisplay); the start of
// the application switches it off while it runs.
bool hbUpdateDisplay();
void setHbUpdateDisplay(bool on);

} // namespace pxu::modHeartBeatControl
