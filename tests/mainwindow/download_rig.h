#pragma once

#include "bus/auto_download.h"
#include "bus/bus_hooks.h"
#include "bus/bus_rig.h"
#include "bus/connection_status.h"
#include "core/config_items.h"
#include "core/srecord_file.h"
#include "main_window_fixture.h"
#include "mainwindow/module_type_tables.h"
#include "sim/auto_download_master.h"
#include "sim/info_block.h"

#include <QtTest>
#include <optional>

namespace pxu::test {

// Image bytes unlike any section the simulated modules start with.
inline QByteArray newImage(int length, int seed = 1) {
    QByteArray bytes(length, '\0');
    quint32 x = quint32(seed) * 2654435761u + 7;
    for (int i = 0; i < length; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = char(x >> 16);
    }
    return bytes;
}

// The full loader's main window, built as start-up builds it for a module type (the PXU
// type's full loader included, which start-up never makes), connected to simulated modules
// on a bit-timed in-process bus in virtual time; its grid follows the modules.
struct DownloadRig {
    // The full loader of the module type ("PXU", "KEV", "TOQ") on the bus.
    DownloadRig(sim::BusKind kind, const QString& moduleType, int lastModule)
        : rig(kind, kind == sim::BusKind::SBus ? 500 : 125) {
        g_configDbPath = workspace.configDb();
        m_configOk = g_iniGlobals();
        g_moduleType = moduleType;
        g_KEVMode = moduleType == QLatin1String("KEV");
        g_TOQMode = moduleType == QLatin1String("TOQ");
        g_applType = g_KEVMode ? applTypeKev : g_TOQMode ? applTypeToq : applTypeZent;
        g_applUpdate = false;
        g_uploadDir = workspace.path(QStringLiteral("Upload"));
        useBaseAddresses(false);
        if (kind == sim::BusKind::MBus) {
            modConnectionStatus::resetAutoLogin();
            modAutoDownload::resetLogin();
            modAutoDownload::g_initialise();
            spare.emplace(rig.modules, rig.service);
        }
        rig.modules.setModes(0, lastModule, sim::Mode::Application);
        const SectionTags tags = sectionTags(moduleType);
        for (int i = 0; i < kSectionBoxCount; ++i) {
            window.selection().setSectionTag(i, tags[i]);
            window.selection().setSectionVisible(i, tags[i] != -1);
        }
        window.loadFiles().setDirectory(workspace.folder() + QLatin1Char('/'));
    }
    ~DownloadRig() {
        modAutoDownload::g_initialise();
        modAutoDownload::resetLogin();
        modConnectionStatus::resetAutoLogin();
    }

    static void useBaseAddresses(bool bigMem) {
        g_bigMem = bigMem;
        const BaseAddresses base = defaultBaseAddresses(bigMem);
        g_baseAdrAppl = base.appl;
        g_baseAdrDC = base.dc;
        g_baseAdrFPGA = base.fpga;
    }

    // Writes a load file of the image at start and checks the load files again.
    QString writeLoadFile(const QString& name, const QByteArray& image, qint32 start) {
        const QString path = workspace.path(name);
        if (!g_binToSRec(image, start, start + image.size() > 0x1000000 ? "S37" : "S28", path))
            return {};
        window.g_checkFileExist(g_moduleType, true);
        return path;
    }

    // Opens the bus and waits until every module up to lastModule shows in the grid.
    bool connect(int lastModule) {
        if (!m_configOk)
            return false;
        const QString bus = rig.modules.kind() == sim::BusKind::MBus ? QStringLiteral("M-Bus")
                                                                     : QStringLiteral("S-Bus");
        if (!rig.open(bus))
            return false;
        const bool seen = rig.time.runUntil(
            [&] {
                for (int m = 0; m <= lastModule; ++m) {
                    if (modConnectionStatus::g_getModuleStatus(m) == moduleNotConnected)
                        return false;
                }
                return true;
            },
            6000);
        rig.time.runFor(1000);
        return seen;
    }

    // What a user does before pressing Download: connect, tick the rows first to last and
    // the section boxes; the message list starts empty.
    bool ready(int lastModule, int first, int last, std::initializer_list<int> boxes) {
        if (!connect(lastModule))
            return false;
        tickModules(first, last);
        for (const int box : boxes)
            tickSection(box);
        window.messages().clear();
        return true;
    }

    void tickModules(int first, int last) {
        for (int m = first; m <= last; ++m)
            window.selection().setProgram(m, ticked);
    }
    void tickSection(int box) { window.selection().setSection(box, ticked); }
    // Whether the FPGA box follows the Application box (the sample configuration forces it).
    void forceFpga(bool on) {
        g_forceFpgaDownload = on;
        window.selection().setSectionEnabled(sectionBoxFPGA, !on);
    }

    // Frames the tool sent since `from` (an index into the frames heard): NMT, SDO
    // requests and the service channel.
    QList<can::CanFrame> toolFrames(qsizetype from = 0) const {
        QList<can::CanFrame> out;
        for (qsizetype i = from; i < rig.heard.size(); ++i) {
            const quint32 id = rig.heard[i].frame.id;
            if (id == 0 || (id >= 0x601 && id <= 0x67F) || id == 0x382 || id == 0x482)
                out << rig.heard[i].frame;
        }
        return out;
    }

    // The segmented SDO downloads to a node: index, sub-index and announced size of each.
    struct Initiate {
        quint16 index;
        quint8 sub;
        quint32 size;
        bool operator==(const Initiate&) const = default;
    };
    QList<Initiate> segmentedDownloads(quint8 node, qsizetype from = 0) const {
        QList<Initiate> out;
        for (qsizetype i = from; i < rig.heard.size(); ++i) {
            const can::CanFrame& f = rig.heard[i].frame;
            if (f.id != 0x600u + node || (f.data[0] & 0xE3) != 0x21)
                continue;
            out << Initiate{
                quint16(f.data[1] | f.data[2] << 8), f.data[3],
                quint32(f.data[4] | f.data[5] << 8 | f.data[6] << 16 | quint32(f.data[7]) << 24)};
        }
        return out;
    }

    QStringList log() { return window.messages().lines(); }

    Workspace workspace;
    BusRig rig;
    std::optional<sim::AutoDownloadMaster> spare;
    MainWindow window;

private:
    bool m_configOk = false;
};

} // namespace pxu::test
