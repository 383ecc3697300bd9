// The header scan of generated control software of 2,000 to 40,000 symbols, as
// "Scan Header-Files" runs it: the three headers parsed, grouped and compared, dcEnums and
// alarmEnums rebuilt, the alarm-list indexes and the software information, in one job.
// Once into an empty database (every symbol new) and once more over the scan before (every
// symbol kept with its attributes). Reports the time per symbol, which must not grow with
// the number of symbols, and last how much it grows from 10,000 to 40,000 symbols.
#include "dc_fixture.h"
#include "dcdatabase/header_scan.h"
#include "dcdatabase/special_symbols.h"
#include "growth_reporter.h"
#include "qt_benchmark_main.h"
#include "scan_fixture.h"
#include "support/scripted_dialogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace pxu;

namespace {

// Members of a generated enumeration: one line each, every tenth an array of five unless
// they are alarms, which are never arrays.
struct Members {
    QStringList lines;
    int symbols = 0;
};

Members members(const QString& prefix, int firstId, int count, int fup, bool arrays = true) {
    Members m;
    int id = firstId;
    for (int i = 0; m.symbols < count; ++i) {
        const bool array = arrays && i % 10 == 9 && count - m.symbols >= 5;
        m.lines << QStringLiteral("   %1_%2 = %3, // %4.%5; Generated symbol %2%6")
                       .arg(prefix)
                       .arg(i)
                       .arg(id)
                       .arg(fup)
                       .arg(i % 100)
                       .arg(array ? QStringLiteral(" * n") : QString());
        const int length = array ? 5 : 1;
        id += length;
        m.symbols += length;
    }
    return m;
}

QString enumeration(const QString& section, const QString& group, int firstId, const Members& m) {
    return QStringLiteral(
               "// scanStart: %1\ntypedef enum\n{\n   FIRST_%2 = %3,\n%4\n   LAST_%2,\n} "
               "gen_t;\n// scanEnd\n")
        .arg(section, group)
        .arg(firstId - 1)
        .arg(m.lines.join(u'\n'));
}

void write(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toLatin1()) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

// Parameters (at most 1,000, below id 2048) and alarms a tenth each, the rest variables,
// half of them in global.h and half in dataContainer.h; constants in global.h, each
// written with the one before. The groups' id ranges lie apart, as their markers pair up
// in the order of their ids.
void writeHeaders(const QString& folder, int symbols) {
    const int parameters = std::min(symbols / 10, 1000);
    const int alarms = symbols / 10;
    const int variables = symbols - parameters - alarms;
    QString global = QStringLiteral("// scanStart: global constants\n#define GEN_K_0 1\n");
    for (int i = 1; i < symbols / 40; ++i)
        global += QStringLiteral("#define GEN_K_%1 GEN_K_%2 + 0x10\n").arg(i).arg(i - 1);
    global += QStringLiteral("// scanEnd\n");
    global += enumeration(QStringLiteral("global variables"), QStringLiteral("GEN_VARIABLE"),
                          1000000, members(QStringLiteral("GEN_VAR"), 1000000, variables / 2, 20));
    write(folder + QStringLiteral("/global.h"), global);
    write(folder + QStringLiteral("/library.h"),
          enumeration(QStringLiteral("alarms"), QStringLiteral("ALARM"), 500000,
                      members(QStringLiteral("GEN_ALM"), 500000, alarms, 30, false)));
    write(folder + QStringLiteral("/dataContainer.h"),
          QStringLiteral("// scanStart: global constants\n#define APPL_VERSION 3\n"
                         "#define APPL_DEVELOPER_NO 1305\n#define DAT_DC_VERSION 7\n"
                         "// scanEnd\n") +
              enumeration(QStringLiteral("global parameters"), QStringLiteral("GEN_PARAMETER"),
                          1024, members(QStringLiteral("GEN_PAR"), 1024, parameters, 1)) +
              enumeration(QStringLiteral("global variables"), QStringLiteral("GLB_VARIABLE"), 2048,
                          members(QStringLiteral("GLB_VAR"), 2048, variables - variables / 2, 10)));
}

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
        writeHeaders(p->fixture.folder(), symbols);
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
    qint64 ns = 0;
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
        ns += timer.nsecsElapsed();
    }
    if (!dialogs.shown().isEmpty())
        state.SkipWithError("a box was shown");
    state.counters["symbols"] = symbols;
    state.counters["us_per_symbol"] =
        benchmark::Counter(double(ns) / 1e3 / symbols, benchmark::Counter::kAvgIterations);
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
    ->UseRealTime();
BENCHMARK(rescan)
    ->Arg(2000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    bench::GrowthReporter reporter("us_per_symbol", 10000, 40000);
    return bench::runWithQt(
        argc, argv, [] { plants.clear(); }, &reporter);
}
