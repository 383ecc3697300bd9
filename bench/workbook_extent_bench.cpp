// Opens a signal list whose sheet reaches the last cell of its format (two texts, the second
// at IV65536 in .xls, at XFD1048576 in .xlsx) beside one whose two texts lie side by side.
// Time and memory follow the cells a file holds, not the sheet's extent, when each pair's
// ratio is near 1. Memory is the peak above the program's own of one more open in a child
// process (this program with --child).
#include "child_peak_memory.h"
#include "platform/xlsx/workbook.h"
#include "platform/xlsx/workbook_writer.h"
#include "ratio_reporter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace pxu;

namespace {

constexpr char kPeak[] = "peak_KiB";

QString xlsFile(const char* name) {
    return QStringLiteral(PXU_XLS_FIXTURES "/") + QLatin1String(name);
}

// The .xlsx twins, written once.
QString xlsxFile(int row, int column) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("%1-%2.xlsx").arg(row).arg(column));
    if (!QFile::exists(path)) {
        xlsx::WorkbookWriter writer;
        writer.addSheet(QStringLiteral("dcEnums"))
            .text(1, 1, QStringLiteral("name"))
            .text(row, column, QStringLiteral("last cell"));
        if (!writer.save(path))
            qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

void openWorkbook(benchmark::State& state, const QString& path) {
    if (!QFile::exists(path)) {
        state.SkipWithError("no such workbook: the build's python3 lacks xlwt");
        return;
    }
    for (auto _ : state) {
        xlsx::Workbook workbook;
        if (!workbook.open(path) || workbook.sheet(QStringLiteral("dcEnums"))->cellCount() != 2)
            state.SkipWithError("the workbook was not read");
    }
    if (const auto bytes = bench::childPeakAboveOwn(QCoreApplication::applicationFilePath(),
                                                    {QStringLiteral("--child"), path}, path))
        state.counters[kPeak] = double(*bytes) / 1024;
    else
        state.SkipWithError("the child process failed");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0) {
        xlsx::Workbook workbook;
        return workbook.open(QFile::decodeName(argv[2])) ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    const std::vector<std::pair<const char*, QString>> files{
        {"open/xls/next cell", xlsFile("next_cell.xls")},
        {"open/xls/last cell", xlsFile("last_cell.xls")},
        {"open/xlsx/next cell", xlsxFile(1, 2)},
        {"open/xlsx/last cell", xlsxFile(1048576, 16384)},
    };
    for (const auto& [name, path] : files)
        benchmark::RegisterBenchmark(name, openWorkbook, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    bench::RatioReporter reporter({{"open/xls/next cell", "open/xls/last cell"},
                                   {"open/xlsx/next cell", "open/xlsx/last cell"}});
    reporter.addCounter(kPeak, "peak memory above the program's own, KiB");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
