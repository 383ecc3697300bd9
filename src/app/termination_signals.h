#pragma once

namespace pxu {

// SIGTERM, SIGINT and SIGHUP end the program from its event loop as "Exit program" does:
// the bus is logged off, the configuration record sets are closed, and the exit code is
// 128 + the signal's number. Needs the application object; installed once.
void endOnTerminationSignals();

} // namespace pxu
