// The header scan of generated control software of 2,000 to 40,000 symbols, as
// "Scan Header-Files" runs it: the three headers parsed, grouped and compared, dcEnums and
// alarmEnums rebuilt, the alarm-list indexes and the software information, in one job.
// Once into an empty database (every symbol new) and once more over the scan before (every
// symbol kept with its attributes). Reports the time per symbol of the fastest pass, which must not
// grow with the number of symbols, and last how much it grows from 10,000 to 40,000 symbols.
#include "dc_fixture.h"
#include "dcdatabase/header_scan.h"
#include "dcdatabase/special_symbols.h"
#include "generated_headers.h"
#include "growth_reporter.h"
#include "qt_benchmark_main.h"
#include "scan_fixture.h"
#include "support/scripted_dialogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <limits>
#include <map>
#include <memory>

using namespace pxu;

namespace {

struct Plant {
    test::DcFixture fixture;
    QString empty;   // the tables and their default rows
    QString scanned; // after one scan of the headers
};

// Made once per size, gone before the application object.
std::map<int, std::unique_ptr<Plant>> plants;

std::optional<QString> scan(const QString& database) {
    test::RecordingSink sink;
    return dc::DcJob::run(database, [&](dc::DcJob& job) {
        dc::scanHeadersAndRebuild(job, sink);
        dc::SpecialSymbols symbols(job, sink);
        symbols.setSwInfos(QFileInfo(database).path());
        symbols.setDcVersion();
    });
}

Plant& plant(int symbols) {
    auto& p = plants[symbols];
    if (!p) {
        p = std::make_unique<Plant>();
        bench::writeGeneratedHeaders(p->fixture.folder(), symbols);
        p->empty = p->fixture.database(QStringLiteral("empty.mdb"), test::scanSchema());
        p->scanned = p->fixture.path(QStringLiteral("scanned.mdb"));
        QFile::copy(p->empty, p->scanned);
        if (const auto failure = scan(p->scanned))
            qFatal("%s", qPrintable(*failure));
    }
    return *p;
}

void run(benchmark::State& state, bool rescan) {
    const int symbols = int(state.range(0));
    Plant& p = plant(symbols);
    test::ScriptedDialogs dialogs;
    const QString database = p.fixture.path(QStringLiteral("run.mdb"));
    const auto fresh = [&] {
        QFile::remove(database);
        QFile::copy(rescan ? p.scanned : p.empty, database);
    };
    // One scan untimed first: every size is measured as a running tool scans, not with the
    // first touch of its memory, which only the largest size, timed once, would carry.
    fresh();
    scan(database);
    // The fastest pass: a single slow one (the machine busy elsewhere) says nothing of the scan.
    qint64 ns = std::numeric_limits<qint64>::max();
    for (auto _ : state) {
        state.PauseTiming();
        fresh();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        if (const auto failure = scan(database)) {
            state.SkipWithError(qPrintable(*failure));
            return;
        }
        ns = std::min(ns, timer.nsecsElapsed());
    }
    if (!dialogs.shown().isEmpty())
        state.SkipWithError("a box was shown");
    state.counters["symbols"] = symbols;
    state.counters["us_per_symbol"] = double(ns) / 1e3 / symbols;
}

void firstScan(benchmark::State& state) {
    run(state, false);
}

void rescan(benchmark::State& state) {
    run(state, true);
}

} // namespace

BENCHMARK(firstScan)
    ->Arg(2000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.5)
    ->UseRealTime();
BENCHMARK(rescan)
    ->Arg(2000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.5)
    ->UseRealTime();

int main(int argc, char** argv) {
    bench::GrowthReporter reporter("us_per_symbol", 10000, 40000);
    return bench::runWithQt(
        argc, argv, [] { plants.clear(); }, &reporter);
}
