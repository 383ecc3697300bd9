// One 1 MiB application section downloaded by the main window into a simulated module on
// the bit-timed in-process bus at 125 kbit/s, in virtual time: into the spare on the M-Bus
// (SDO block transfer) and into a KEV module (segmented transfer). Reports the download's
// bus time against the protocol's limit for 8192-byte SDO downloads, and the CPU time of
// the tool apart from the simulated module's.
//
// The CPU times come without a clock read per frame: the tool's run is measured whole, and
// the simulator's share is measured in a second run in which the frames the tool sent are
// replayed to a fresh simulator, each when the tool sent it. The simulated modules and the
// bus do the same work in both runs; the tool's CPU time is the difference.
#include "bus/can_open_master.h"
#include "core/config_items.h"
#include "core/globals.h"
#include "core/srecord_file.h"
#include "mainwindow/main_window.h"
#include "mainwindow/module_type_tables.h"
#include "platform/can/in_process_bus.h"
#include "platform/can/in_process_transport.h"
#include "platform/clock/virtual_clock.h"
#include "sim/bus.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>
#include <limits>
#include <vector>

using namespace pxu;

namespace {

constexpr int kBitRateKbit = 125;
constexpr qsizetype kImageBytes = 1 << 20;
constexpr qsizetype kSdoBytes = 8192;
constexpr int kReplays = 3;

double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// A frame the tool sent: when, and after how many frames it had heard.
struct Sent {
    qint64 atUs;
    quint64 heard;
    can::CanFrame frame;
};

struct ToolFrames {
    std::vector<Sent> sent;
    quint64 heard = 0;
};

// The tool's board, keeping what the tool sends.
class RecordingTransport : public can::CanTransport {
public:
    RecordingTransport(can::InProcessBus& bus, ToolFrames& record)
        : m_inner(bus)
        , m_scheduler(bus.scheduler())
        , m_record(record) {}
    qint32 open(int bitRateKbit, Handlers handlers, QString* errorText) override {
        handlers.frame = [this, frame = std::move(handlers.frame)](const can::CanFrame& f) {
            ++m_record.heard;
            frame(f);
        };
        return m_inner.open(bitRateKbit, std::move(handlers), errorText);
    }
    void close() override { m_inner.close(); }
    bool send(const can::CanFrame& frame, WriteDone done) override {
        m_record.sent.push_back(Sent{m_scheduler.nowUs(), m_record.heard, frame});
        return m_inner.send(frame, std::move(done));
    }
    QString channelName() const override { return m_inner.channelName(); }

private:
    can::InProcessTransport m_inner;
    Scheduler& m_scheduler;
    ToolFrames& m_record;
};

// In place of the tool: sends each frame the tool sent once as many frames were heard as the
// tool had heard, and not before the time the tool sent it.
class Replay {
public:
    Replay(can::InProcessBus& bus, const std::vector<Sent>& sent)
        : m_bus(bus)
        , m_sent(sent) {
        m_id = bus.attach([this](const can::CanFrame&) {
            ++m_heard;
            pump();
        });
        pump();
    }
    bool done() const { return m_next == m_sent.size(); }

private:
    void pump() {
        Scheduler& scheduler = m_bus.scheduler();
        while (m_next < m_sent.size() && m_sent[m_next].heard <= m_heard) {
            const Sent& next = m_sent[m_next];
            if (next.atUs > scheduler.nowUs()) {
                if (!m_task)
                    m_task = scheduler.callAt(next.atUs, [this] {
                        m_task = 0;
                        pump();
                    });
                return;
            }
            m_bus.send(m_id, next.frame);
            ++m_next;
        }
    }

    can::InProcessBus& m_bus;
    const std::vector<Sent>& m_sent;
    can::InProcessBus::EndpointId m_id = 0;
    std::size_t m_next = 0;
    quint64 m_heard = 0;
    Scheduler::TaskId m_task = 0;
};

enum class Transfer { Block, Segmented };

// Frames an 8192-byte SDO download needs at least: initiation and its answer, the data
// segments (7 bytes each), and for block transfer one acknowledgement per 127 segments and
// the end with its answer, for segmented transfer one answer per segment.
qint64 framesPerSdo(qsizetype bytes, Transfer transfer) {
    const qint64 segments = (bytes + 6) / 7;
    if (transfer == Transfer::Block)
        return 2 + segments + (segments + 126) / 127 + 2;
    return 2 + 2 * segments;
}

double limitUs(qsizetype bytes, Transfer transfer) {
    qint64 frames = 0;
    for (qsizetype offset = 0; offset < bytes; offset += kSdoBytes)
        frames += framesPerSdo(std::min(kSdoBytes, bytes - offset), transfer);
    return double(frames * can::InProcessBus::frameBits(8, false)) * 1000.0 / kBitRateKbit;
}

QByteArray applicationImage() {
    QByteArray bytes(kImageBytes, '\0');
    quint32 x = 12345;
    for (char& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = char(x >> 16);
    }
    return bytes;
}

struct Case {
    sim::BusKind kind;
    QString moduleType;
    QString busText;
    int module;
    int section;
    qint32 start;
    QString loadFile;
    Transfer transfer;
};

// The simulated modules of a case on a bus of their own, in virtual time.
struct SimulatedBus {
    explicit SimulatedBus(const Case& c)
        : bus(time, can::BusTiming{kBitRateKbit, false})
        , modules(c.kind, time) {
        const auto simId = bus.attach([this](const can::CanFrame& f) { modules.receive(f); });
        modules.setSend(bus.sender(simId));
        modules.setModes(c.module, c.module, sim::Mode::Bootloader);
    }
    VirtualClock time;
    can::InProcessBus bus;
    sim::Bus modules;
};

// The simulator's CPU time from startUs to endUs, with the tool's frames replayed; false
// when the modules did not end as in the tool's run.
bool simulatorShare(const Case& c, const std::vector<Sent>& sent, qint64 startUs, qint64 endUs,
                    const QByteArray& image, quint64 frames, double& cpuMsOut) {
    SimulatedBus sim(c);
    Replay replay(sim.bus, sent);
    sim.time.advanceUs(startUs - 1);
    sim.bus.resetStatistics();
    const double start = cpuMs();
    sim.time.advanceUs(endUs - sim.time.nowUs());
    cpuMsOut = cpuMs() - start;
    return replay.done() && sim.bus.framesCarried() == frames &&
           sim.modules.module(c.module).section(c.section).image == image;
}

void sectionDownload(benchmark::State& state, const Case& c) {
    const QByteArray image = applicationImage();
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString configDb = folder.filePath(QStringLiteral("DORN Update Tool-Config.mdb"));
        QFile::copy(QStringLiteral(PXU_CONFIG_DB), configDb);
        QFile::setPermissions(configDb, QFile::ReadOwner | QFile::WriteOwner);

        test::ScriptedDialogs dialogs;
        SimulatedBus sim(c);
        setClock(&sim.time);
        ToolFrames toolFrames;
        // Room for every frame: no reallocation falls into the tool's measured time.
        toolFrames.sent.reserve(std::size_t(image.size() / 3));
        can::CanInterface::setTransportFactory(
            [&](int) { return std::make_unique<RecordingTransport>(sim.bus, toolFrames); });

        g_configDbPath = configDb;
        g_iniGlobals();
        g_moduleType = c.moduleType;
        g_KEVMode = c.moduleType == QLatin1String("KEV");
        const BaseAddresses base = defaultBaseAddresses(false);
        g_baseAdrAppl = base.appl;
        g_baseAdrDC = base.dc;
        g_baseAdrFPGA = base.fpga;

        std::optional<MainWindow> window(std::in_place);
        const SectionTags tags = sectionTags(c.moduleType);
        for (int i = 0; i < kSectionBoxCount; ++i)
            window->selection().setSectionTag(i, tags[i]);
        window->loadFiles().setDirectory(folder.path() + QLatin1Char('/'));
        g_binToSRec(image, c.start, QStringLiteral("S28"), folder.filePath(c.loadFile));
        window->g_checkFileExist(g_moduleType, true);

        double version = 0;
        frmCANopen().g_initialise({}, version, c.busText, false, 255);
        g_canInterfaceVersion = QString::number(version);
        sim.time.runFor(1500);

        // The load file is read and checked once per run, before any module is served.
        const double readStart = cpuMs();
        QString failure;
        window->sectionDownload().prepare(window->selection().sectionBoxOf(c.section), failure);
        const double readMs = cpuMs() - readStart;

        sim.bus.resetStatistics();
        const double cpuStart = cpuMs();
        const qint64 startUs = sim.time.nowUs();
        const bool accepted = window->sectionDownload().downloadSection(c.module, c.section);
        const qint64 endUs = sim.time.nowUs();
        const double allCpuMs = cpuMs() - cpuStart;
        if (!accepted || sim.modules.module(c.module).section(c.section).image != image)
            state.SkipWithError("the download failed");

        window.reset();
        unloadCanOpen();
        can::CanInterface::setTransportFactory({});
        closeConfigRecordsets();
        setClock(nullptr);

        // The least of a few replays: the one least disturbed by the rest of the machine.
        double simMs = std::numeric_limits<double>::max();
        for (int replay = 0; replay < kReplays; ++replay) {
            double replayMs = 0;
            if (!simulatorShare(c, toolFrames.sent, startUs, endUs, image, sim.bus.framesCarried(),
                                replayMs))
                state.SkipWithError("the replay of the tool's frames went otherwise");
            simMs = std::min(simMs, replayMs);
        }

        const double busUs = double(endUs - startUs);
        const double limit = limitUs(image.size(), c.transfer);
        state.counters["bus_s"] = busUs / 1e6;
        state.counters["limit_s"] = limit / 1e6;
        state.counters["ratio"] = busUs / limit;
        state.counters["kB_per_s"] = double(image.size()) / 1024.0 / (busUs / 1e6);
        state.counters["frames"] = double(sim.bus.framesCarried());
        state.counters["tool_cpu_ms"] = allCpuMs - simMs;
        state.counters["sim_cpu_ms"] = simMs;
        state.counters["read_s19_ms"] = readMs;
    }
}

const Case kSpareOnMBus{sim::BusKind::MBus,
                        QStringLiteral("PXU"),
                        QStringLiteral("M-Bus"),
                        0,
                        6,
                        0x30000,
                        QStringLiteral("PXU_APPL.S19"),
                        Transfer::Block};
const Case kKevModule{
    sim::BusKind::Kev, QStringLiteral("KEV"),          QStringLiteral("S-Bus"), 1, 2,
    0x40000,           QStringLiteral("KEV_APPL.S19"), Transfer::Segmented};

} // namespace

// The CPU times are differences of two measurements: the median of a few runs tells.
BENCHMARK_CAPTURE(sectionDownload, spare_mbus_block_1MiB, kSpareOnMBus)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(sectionDownload, kev_segmented_1MiB, kKevModule)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
