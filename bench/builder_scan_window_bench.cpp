// "Scan Header-Files" of a plant with 20,000 and 60,000 new symbols (generated headers over
// the sample plant's version 001), run as a user runs it: through the builder window, shown, from
// the click until the list says which version the result went to (window_ms: the scan with its
// rebuilds, the software information and the commit, the list and the window's painting
// included; the copy of that version into a fresh working copy is not). Beside it, pass for
// pass, the same work as one job into a sink that only keeps the lines (job_ms), and their
// ratio over all passes (window_over_job; the goal is at most 1.2). longest_unpainted_ms is
// the longest time, from the click until the list shows its last line, in which the window
// could not paint what a window raised over it uncovered (the goal is at most 100).
#include "core/message_list_view.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_builder_form.h"
#include "dcdatabase/dc_job.h"
#include "dcdatabase/header_scan.h"
#include "dcdatabase/special_symbols.h"
#include "generated_headers.h"
#include "qt_benchmark_main.h"
#include "sample_versions.h"
#include "support/newest_line.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QPaintEvent>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace pxu;

namespace {

constexpr int kSymbols = 20000;
constexpr int kPaintRequestMs = 5;

struct Plant {
    test::DcFixture fixture;
    QString version; // 001, on the program's schema
};

// Made once per size, gone before the application object.
std::map<int, std::unique_ptr<Plant>> plants;

Plant& plant(int symbols) {
    auto& p = plants[symbols];
    if (!p) {
        p = std::make_unique<Plant>();
        test::ScriptedDialogs dialogs;
        p->version = test::currentSampleVersions(p->fixture, dialogs);
        bench::writeGeneratedHeaders(p->fixture.folder(), symbols);
    }
    return *p;
}

// Everything but version 001 and the headers goes: the next scan finds the folder as the
// first one did.
void resetFolder(const Plant& p) {
    QDir folder(p.fixture.folder());
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
        if (file.suffix() != QLatin1String("h") && file.absoluteFilePath() != p.version)
            QFile::remove(file.absoluteFilePath());
    }
}

// The job alone: a copy of the version scanned into a sink that keeps the lines. Seconds.
double scanJob(const Plant& p) {
    const QString database = p.fixture.path(QStringLiteral("job.mdb"));
    QFile::remove(database);
    QFile::copy(p.version, database);
    test::RecordingSink sink;
    QElapsedTimer timer;
    timer.start();
    const auto failure = dc::DcJob::run(database, [&](dc::DcJob& job) {
        dc::scanHeadersAndRebuild(job, sink);
        dc::SpecialSymbols specials(job, sink);
        specials.setSwInfos(QFileInfo(database).path());
        specials.setDcVersion();
    });
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QFile::remove(database);
    if (failure)
        qFatal("the scan failed: %s", qPrintable(*failure));
    return seconds;
}

// The builder, and the moment its list was told where the scan's result went.
class TimedBuilder : public DcBuilder {
public:
    void addMessage(const QString& text) override {
        if (savedNs < 0 && text.startsWith(QLatin1String("Result saved in new DC-Version")))
            savedNs = clock->nsecsElapsed();
        DcBuilder::addMessage(text);
    }
    const QElapsedTimer* clock = nullptr;
    qint64 savedNs = -1;
};

// Paints a corner of a window every few milliseconds from a timer of the event loop, as the
// window paints what a window raised over it uncovers once the loop hands it on, and keeps
// the longest time between two of those paints. The paints the job makes at once (its list,
// its progress bar) do not count: they do not draw what was uncovered.
class PaintGaps : public QObject {
public:
    PaintGaps(QWidget& window, const QElapsedTimer& clock)
        : m_window(window)
        , m_clock(clock) {
        m_window.installEventFilter(this);
        m_ask.setInterval(kPaintRequestMs);
        connect(&m_ask, &QTimer::timeout, this, [this] { m_window.repaint(kCorner); });
        m_ask.start();
        m_lastNs = m_clock.nsecsElapsed();
    }
    ~PaintGaps() override { m_window.removeEventFilter(this); }
    // Up to now, in seconds.
    double longest() const {
        return double(std::max(m_longestNs, m_clock.nsecsElapsed() - m_lastNs)) / 1e9;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint &&
            static_cast<QPaintEvent*>(event)->region().intersects(kCorner)) {
            const qint64 now = m_clock.nsecsElapsed();
            m_longestNs = std::max(m_longestNs, now - m_lastNs);
            m_lastNs = now;
        }
        return false;
    }

private:
    static constexpr QRect kCorner{0, 0, 1, 1};
    QWidget& m_window;
    const QElapsedTimer& m_clock;
    QTimer m_ask;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
};

struct WindowPass {
    double scan = 0;      // seconds from the click to the line naming the saved version
    double unpainted = 0; // the longest time without a paint, seconds
    int lines = 0;        // what the list holds at the end
};

// The click on "Scan Header-Files" in the shown builder until its list shows the last line.
WindowPass scanThroughWindow(const Plant& p) {
    resetFolder(p);
    TimedBuilder builder;
    builder.g_show(p.fixture.folder());
    if (!builder.form() || !builder.view().scanHeaderEnabled)
        qFatal("the builder did not open with its header scan");
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    builder.clock = &timer;
    WindowPass pass;
    {
        PaintGaps paints(*builder.form(), timer);
        builder.cmdScanHeader_Click();
        while (!test::showsNewestLine(*builder.form()->lstMessage))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        pass.unpainted = paints.longest();
    }
    if (builder.savedNs < 0)
        qFatal("the scan saved no version");
    pass.scan = double(builder.savedNs) / 1e9;
    pass.lines = builder.messages().count();
    builder.unload();
    resetFolder(p);
    return pass;
}

// Both in turns, pass for pass: what the machine's other work adds falls on both alike.
void scanThroughBuilderWindow(benchmark::State& state) {
    const int symbols = int(state.range(0));
    Plant& p = plant(symbols);
    test::ScriptedDialogs dialogs;
    double job = 0;
    double window = 0;
    double unpainted = 0;
    int lines = 0;
    for (auto _ : state) {
        job += scanJob(p);
        const WindowPass pass = scanThroughWindow(p);
        window += pass.scan;
        unpainted = std::max(unpainted, pass.unpainted);
        lines = pass.lines;
        state.SetIterationTime(pass.scan);
    }
    const double passes = double(state.iterations());
    state.counters["symbols"] = symbols;
    state.counters["lines"] = lines;
    state.counters["job_ms"] = job / passes * 1e3;
    state.counters["window_ms"] = window / passes * 1e3;
    state.counters["window_over_job"] = window / job;
    state.counters["longest_unpainted_ms"] = unpainted * 1e3;
}

} // namespace

BENCHMARK(scanThroughBuilderWindow)
    ->Arg(kSymbols)
    ->Arg(3 * kSymbols)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return bench::runWithQt<QApplication>(argc, argv, [] { plants.clear(); });
}
