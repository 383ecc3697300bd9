#pragma once

#include <benchmark/benchmark.h>

namespace benchmark::internal {
// The library's own choice of colour and tabular counters for its console report, from
// --benchmark_color (auto: only on a colour terminal) and --benchmark_counters_tabular.
// Exported by the library, not declared in its header.
BENCHMARK_EXPORT ConsoleReporter::OutputOptions GetOutputOptions(bool force_no_color);
} // namespace benchmark::internal

namespace pxu::bench {

// The console report of a benchmark program with a reporter of its own: coloured and
// tabular as the library's flags say, as the library's own console report would be.
class ConsoleReport : public benchmark::ConsoleReporter {
public:
    bool ReportContext(const Context& context) override {
        // The flags are read by then, whenever the reporter was made.
        output_options_ = benchmark::internal::GetOutputOptions(false);
        return ConsoleReporter::ReportContext(context);
    }
};

} // namespace pxu::bench
