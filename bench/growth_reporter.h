#pragma once

#include "console_report.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

namespace pxu::bench {

// The console report, followed by a last line with the growth of a counter of cost per
// symbol, for each benchmark, from one plant size (the benchmark's argument) to another:
// how many times the cost per symbol at the first size the second one takes.
class GrowthReporter : public ConsoleReport {
public:
    GrowthReporter(std::string counter, long from, long to)
        : m_counter(std::move(counter))
        , m_from(from)
        , m_to(to) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto c = run.counters.find(m_counter);
            if (run.error_occurred || run.run_type != Run::RT_Iteration || c == run.counters.end())
                continue;
            const long size = std::strtol(run.run_name.args.c_str(), nullptr, 10);
            m_values[run.run_name.function_name][size] = c->second.value;
        }
        ConsoleReport::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReport::Finalize();
        std::string line = m_counter + " growth from " + std::to_string(m_from) + " to " +
                           std::to_string(m_to) + " symbols:";
        for (const auto& [benchmark, bySize] : m_values) {
            const auto a = bySize.find(m_from);
            const auto b = bySize.find(m_to);
            if (a == bySize.end() || b == bySize.end() || a->second <= 0)
                continue;
            char ratio[32];
            std::snprintf(ratio, sizeof ratio, " x%.2f", b->second / a->second);
            line += " " + benchmark + ratio;
        }
        std::printf("\n%s\n", line.c_str());
    }

private:
    std::string m_counter;
    long m_from;
    long m_to;
    std::map<std::string, std::map<long, double>> m_values; // benchmark, size -> value
};

} // namespace pxu::bench
