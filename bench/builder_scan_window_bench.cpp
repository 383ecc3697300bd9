// "Scan Header-Files" of a plant with 20,000 new symbols (generated headers over the sample
// plant's version 001), run as a user runs it: through the builder window, shown, from the
// click until the list shows its last line (window_ms). Beside it the same scan as one job
// into a sink that only keeps the lines, as bench_header_scan measures it (job_ms), and what
// the window adds to the job (window_adds_percent; the goal is at most 20).
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
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace pxu;

namespace {

constexpr int kSymbols = 20000;

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

bool showsNewestLine(DcBuilder& builder) {
    const MessageListView* list = builder.form()->lstMessage;
    const int newest = builder.messages().count() - 1;
    return list->model()->rowCount() == newest + 1 && list->currentIndex().row() == newest;
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

// The click on "Scan Header-Files" in the shown builder until its list shows the last
// line. Seconds; the lines the list holds then.
double scanThroughWindow(const Plant& p, int& lines) {
    resetFolder(p);
    DcBuilder builder;
    builder.g_show(p.fixture.folder());
    if (!builder.form() || !builder.view().scanHeaderEnabled)
        qFatal("the builder did not open with its header scan");
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    builder.cmdScanHeader_Click();
    while (!showsNewestLine(builder))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    lines = builder.messages().count();
    builder.unload();
    resetFolder(p);
    return seconds;
}

// Both in turns, each at its best of the rounds: what the machine's other work adds to
// one round falls out.
void scanThroughBuilderWindow(benchmark::State& state) {
    const int symbols = int(state.range(0));
    Plant& p = plant(symbols);
    test::ScriptedDialogs dialogs;
    double job = 1e9;
    double window = 1e9;
    int lines = 0;
    for (auto _ : state) {
        job = std::min(job, scanJob(p));
        window = std::min(window, scanThroughWindow(p, lines));
        state.SetIterationTime(window);
    }
    state.counters["symbols"] = symbols;
    state.counters["lines"] = lines;
    state.counters["job_ms"] = job * 1e3;
    state.counters["window_ms"] = window * 1e3;
    state.counters["window_adds_percent"] = (window / job - 1) * 100;
}

} // namespace

BENCHMARK(scanThroughBuilderWindow)
    ->Arg(kSymbols)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return bench::runWithQt<QApplication>(argc, argv, [] { plants.clear(); });
}
