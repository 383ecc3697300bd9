#pragma once

#include "core/config_items.h"
#include "core/globals.h"
#include "core/message_window.h"
#include "main_window_fixture.h"
#include "sim_boards.h"

#include <QStringList>

namespace pxu::test {

// A main window on the sample configuration with the simulated boards, before any
// connection: what the start-up leaves for the connection set-up.
struct LoaderRig {
    LoaderRig() {
        resetProgramState();
        g_configDbPath = workspace.configDb();
        configOk = g_iniGlobals();
    }
    ~LoaderRig() { resetProgramState(); }

    // The lines the message window shows.
    static QStringList messageLines() { return frmMessage2().messages().lines(); }
    QString lastUsedBus() {
        return g_getMiscItem(QStringLiteral("lastUsedBus"), QStringLiteral("-"));
    }

    Workspace workspace;
    SimBoards boards;
    bool configOk = false;
    MainWindow window;
};

} // namespace pxu::test
