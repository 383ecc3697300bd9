// The download file of a generated plant of 2,000, 20,000 and 200,000 symbols: the sample
// plant with variables and alarms added (ids of four bytes in the image, as so many symbols
// need), built as the build tab's "Build" builds it, from the alarm-list index step to
// "PXU_DATA.S19". Reports the time per symbol, which must not grow with the plant, and last
// how much it grows from the middle plant to the largest.
#include "dcbuilder/download_file_build.h"
#include "growth_reporter.h"
#include "image_fixture.h"
#include "qt_benchmark_main.h"
#include "support/scripted_dialogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace pxu;

namespace {

// Symbols (id 0 and above) of the sample plant.
constexpr int kSampleSymbols = 208 + 40;

class NullSink : public dc::MessageSink {
public:
    void addMessage(const QString&) override { ++lines; }
    void updateProgress(double, bool) override {}
    int lines = 0;
};

QString generated(int symbols) {
    const int extra = symbols - kSampleSymbols;
    const int alarms = std::min(extra / 2, 60000);
    const int variables = extra - alarms;
    return QStringLiteral(R"(
INSERT INTO dcEnums (name, id, class, varGroup, "upDate", crcGroup, value, producerMask, syncCmd,
                     modbusAddr)
  WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1 - 1)
  SELECT 'GEN_VAR_' || i, 4096 + i, 'VARIABLE', 'GLB', 1, 0, 0, 1 << (i % 15), (i % 7) - 1,
         32768 + i % 30000 FROM n;
INSERT INTO alarmEnums (name, id, class, "upDate", producerMask, minValue, maxValue, hysteresis,
                        criterion, signalIndex, signalIndexName, onDelayIndex, onDelayIndexName,
                        offDelayIndex, offDelayIndexName, onOffDelayId, onOffDelayIdName, fupId)
  WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %2 - 1)
  SELECT 'GEN_ALM_' || i, 1000 + i, 'ALARM', 1, 1, 0, 100 + i % 1000, 1, 3,
         4096 + i % 30000, 'GEN_VAR_' || (i % 30000), -1, '', -1, '', 255, '',
         printf('G%05d', i) FROM n;
UPDATE sourceScan SET id = id + %1 WHERE name = 'NO_OF_VARIABLES';
UPDATE sourceScan SET id = id + %2 WHERE name = 'NO_OF_ALARMS';
UPDATE dcBinFile SET noOfBytes = 4 WHERE step IN (9, 10, 70);
UPDATE alarmBinFile SET noOfBytes = 4 WHERE step IN (1, 2);
)")
        .arg(std::max(variables, 1))
        .arg(std::max(alarms, 1));
}

struct Plant {
    test::DcFixture fixture;
    QString database;
};

// Made once per size, gone before the application object.
std::map<int, std::unique_ptr<Plant>> plants;

Plant& plant(int symbols) {
    auto& p = plants[symbols];
    if (!p) {
        p = std::make_unique<Plant>();
        test::copySampleLoadFiles(p->fixture.folder());
        p->database = test::builderSamplePlant(p->fixture, test::DcFixture::versionName(2),
                                               generated(symbols));
    }
    return *p;
}

void buildDownloadFile(benchmark::State& state) {
    const int symbols = int(state.range(0));
    Plant& p = plant(symbols);
    test::ScriptedDialogs dialogs;
    const dc::DownloadFileBuild build{p.database, p.database, p.fixture.folder(),
                                      QStringLiteral("0")};
    // One build untimed first: every size is measured as a running tool builds, not with the
    // first touch of its memory, which only the largest size, timed once, would carry.
    {
        NullSink sink;
        dc::buildDownloadFile(build, sink);
    }
    qint64 bytes = 0;
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state) {
        NullSink sink;
        if (!dc::buildDownloadFile(build, sink)) {
            state.SkipWithError("the build failed");
            return;
        }
        bytes = QFile(p.fixture.path(dc::kDownloadFile)).size();
    }
    if (!dialogs.shown().isEmpty())
        state.SkipWithError("a box was shown");
    state.counters["symbols"] = symbols;
    state.counters["us_per_symbol"] = benchmark::Counter(
        double(timer.nsecsElapsed()) / 1e3 / symbols, benchmark::Counter::kAvgIterations);
    state.counters["S19_bytes"] = double(bytes);
}

} // namespace

BENCHMARK(buildDownloadFile)
    ->Arg(2000)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    bench::GrowthReporter reporter("us_per_symbol", 20000, 200000);
    return bench::runWithQt(
        argc, argv, [] { plants.clear(); }, &reporter);
}
