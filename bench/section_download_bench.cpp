// One 1 MiB application section downloaded by the main window into a simulated module on
// the bit-timed in-process bus at 125 kbit/s, in virtual time: into the spare on the M-Bus
// (SDO block transfer) and into a KEV module (segmented transfer). Reports the download's
// bus time against the protocol's limit for 8192-byte SDO downloads, and the CPU time of
// the tool apart from the simulated module's.
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

using namespace pxu;

namespace {

constexpr int kBitRateKbit = 125;
constexpr qsizetype kImageBytes = 1 << 20;
constexpr qsizetype kSdoBytes = 8192;

double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Adds the CPU time of what runs inside to a sum.
template <class F> void metered(double& sumMs, F&& work) {
    const double start = cpuMs();
    work();
    sumMs += cpuMs() - start;
}

// The simulated modules' scheduler: the virtual clock, with their tasks' CPU time counted.
class MeteredScheduler : public Scheduler {
public:
    MeteredScheduler(Scheduler& inner, double& sumMs)
        : m_inner(inner)
        , m_sumMs(sumMs) {}
    qint64 nowUs() const override { return m_inner.nowUs(); }
    TaskId callAt(qint64 atUs, std::function<void()> task) override {
        return m_inner.callAt(atUs, [this, task = std::move(task)] { metered(m_sumMs, task); });
    }
    void cancel(TaskId id) override { m_inner.cancel(id); }

private:
    Scheduler& m_inner;
    double& m_sumMs;
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

void sectionDownload(benchmark::State& state, const Case& c) {
    const QByteArray image = applicationImage();
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString configDb = folder.filePath(QStringLiteral("DORN Update Tool-Config.mdb"));
        QFile::copy(QStringLiteral(PXU_CONFIG_DB), configDb);
        QFile::setPermissions(configDb, QFile::ReadOwner | QFile::WriteOwner);

        test::ScriptedDialogs dialogs;
        VirtualClock time;
        setClock(&time);
        double simCpuMs = 0;
        MeteredScheduler simScheduler(time, simCpuMs);
        can::InProcessBus bus(time, can::BusTiming{kBitRateKbit, false});
        sim::Bus modules(c.kind, simScheduler);
        const auto simId = bus.attach(
            [&](const can::CanFrame& f) { metered(simCpuMs, [&] { modules.receive(f); }); });
        modules.setSend(bus.sender(simId));
        can::CanInterface::setTransportFactory(
            [&bus](int) { return std::make_unique<can::InProcessTransport>(bus); });

        g_configDbPath = configDb;
        g_iniGlobals();
        g_moduleType = c.moduleType;
        g_KEVMode = c.moduleType == QLatin1String("KEV");
        const BaseAddresses base = defaultBaseAddresses(false);
        g_baseAdrAppl = base.appl;
        g_baseAdrDC = base.dc;
        g_baseAdrFPGA = base.fpga;
        modules.setModes(c.module, c.module, sim::Mode::Bootloader);

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
        time.runFor(1500);

        // The load file is read and checked once per run, before any module is served.
        const double readStart = cpuMs();
        QString failure;
        window->sectionDownload().prepare(window->selection().sectionBoxOf(c.section), failure);
        const double readMs = cpuMs() - readStart;

        bus.resetStatistics();
        const double simBefore = simCpuMs;
        const double cpuStart = cpuMs();
        const qint64 startUs = time.nowUs();
        const bool accepted = window->sectionDownload().downloadSection(c.module, c.section);
        const double busUs = double(time.nowUs() - startUs);
        const double allCpuMs = cpuMs() - cpuStart;
        const double simMs = simCpuMs - simBefore;
        if (!accepted || modules.module(c.module).section(c.section).image != image)
            state.SkipWithError("the download failed");

        const double limit = limitUs(image.size(), c.transfer);
        state.counters["bus_s"] = busUs / 1e6;
        state.counters["limit_s"] = limit / 1e6;
        state.counters["ratio"] = busUs / limit;
        state.counters["kB_per_s"] = double(image.size()) / 1024.0 / (busUs / 1e6);
        state.counters["frames"] = double(bus.framesCarried());
        state.counters["tool_cpu_ms"] = allCpuMs - simMs;
        state.counters["sim_cpu_ms"] = simMs;
        state.counters["read_s19_ms"] = readMs;

        window.reset();
        unloadCanOpen();
        can::CanInterface::setTransportFactory({});
        closeConfigRecordsets();
        setClock(nullptr);
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

BENCHMARK_CAPTURE(sectionDownload, spare_mbus_block_1MiB, kSpareOnMBus)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(sectionDownload, kev_segmented_1MiB, kKevModule)
    ->Iterations(1)
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
