#pragma once

#include <QStringList>

class QApplication;

namespace pxu {

// The program on a made application object: the error reporter, the main window with its
// updater face and data-container tools, the start-up with the given switches, then the
// event loop. Returns the exit code. Every way out closes the configuration record sets
// before the application object goes: this return, "Exit program" of the error reporter,
// and SIGTERM, SIGINT or SIGHUP, which end the program as "Exit program" does.
int runLoader(QApplication& app, const QStringList& arguments);

} // namespace pxu
