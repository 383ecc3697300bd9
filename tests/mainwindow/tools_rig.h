#pragma once

#include "bus/bus_rig.h"
#include "bus/connection_status.h"
#include "bus/sample_config.h"
#include "main_window_fixture.h"
#include "mainwindow/main_window.h"
#include "sim/info_block.h"

#include <initializer_list>

namespace pxu::test {

// A main window beside the simulated S-Bus, in virtual time, with the sample
// configuration loaded: the bus opened as the connection set-up opens it.
struct ToolsRig {
    explicit ToolsRig(sim::BusKind kind = sim::BusKind::SBus)
        : bus(kind, kind == sim::BusKind::MBus ? 125 : 500) {}

    sim::Module& module(int number) { return bus.modules.module(number); }

    // Sets the modules' modes, opens the bus and waits until the states are known.
    bool connect(std::initializer_list<int> modules, sim::Mode mode = sim::Mode::Application) {
        for (int m : modules)
            module(m).setMode(mode);
        return config.ok() && bus.open(QStringLiteral("S-Bus")) &&
               bus.time.runUntil(
                   [&] {
                       for (int m : modules) {
                           if (modConnectionStatus::g_getModuleStatus(m) == moduleNotConnected)
                               return false;
                       }
                       return true;
                   },
                   3000);
    }

    static qint32 state(int module) { return modConnectionStatus::g_getModuleStatus(module); }

    BusRig bus;
    SampleConfig config; // after the rig, which clears the variable ids
    MainWindow window;
};

} // namespace pxu::test
