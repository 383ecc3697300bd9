#pragma once

#include "bus/auto_download.h"
#include "bus/bus_hooks.h"
#include "bus/connection_status.h"
#include "bus_rig.h"
#include "fake_main_window.h"
#include "sample_config.h"
#include "sim/auto_download_master.h"

namespace pxu::test {

// The master on the M-Bus with the spare as auto-download master, the sample
// configuration's variable ids and a fake main window whose grid refresh asks for the
// connection status on every tick (which logs in once the spare runs its application).
struct AdlRig {
    explicit AdlRig(int lastCylinder = 6)
        : rig(sim::BusKind::MBus, 125)
        , spare(rig.modules, rig.service) {
        setConnectionDisplay([] { modConnectionStatus::g_getConnectionStatus(); });
        modConnectionStatus::resetAutoLogin();
        modAutoDownload::g_initialise();
        rig.modules.setModes(0, lastCylinder, sim::Mode::Application);
    }
    ~AdlRig() {
        modAutoDownload::g_initialise();
        modConnectionStatus::resetAutoLogin();
    }

    // Opens the M-Bus, waits until the spare reports module states and lets the tool's
    // answers to them (the cylinders' standstill bits) go out.
    bool connect() {
        if (!config.ok() || !rig.open(QStringLiteral("M-Bus")))
            return false;
        const bool reported = rig.time.runUntil(
            [] { return modAutoDownload::g_getModuleStatusADL(1) == moduleApplicationRunning; },
            5000);
        rig.time.runFor(1000);
        return reported;
    }

    // The frames the tool sent are heard once their transmission ended.
    void transmit() { rig.time.runFor(5); }

    // The service-channel frames the tool sent since `from` (an index into heard).
    QList<QByteArray> serviceFrames(qsizetype from = 0) const {
        QList<QByteArray> out;
        for (qsizetype i = from; i < rig.heard.size(); ++i) {
            if (rig.heard[i].frame.id == 0x382)
                out << bytesOf(rig.heard[i].frame);
        }
        return out;
    }

    BusRig rig;
    SampleConfig config; // after the rig, which clears the variable ids
    FakeMainWindow window;
    sim::AutoDownloadMaster spare;
};

} // namespace pxu::test
