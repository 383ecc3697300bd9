#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pxu::bench {

// The console report, followed by the real times of benchmark pairs and their ratio
// (second / first: how many times the first's time the second took).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using Pair = std::pair<std::string, std::string>;
    explicit RatioReporter(std::vector<Pair> pairs)
        : m_pairs(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                m_seconds[run.run_name.function_name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-44s %12s %12s %8s\n", "first / second", "first ms", "second ms", "ratio");
        for (const auto& [first, second] : m_pairs) {
            const auto a = m_seconds.find(first);
            const auto b = m_seconds.find(second);
            if (a == m_seconds.end() || b == m_seconds.end())
                continue;
            std::printf("%-44s %12.1f %12.1f %8.2f\n", (first + " / " + second).c_str(),
                        a->second * 1e3, b->second * 1e3, b->second / a->second);
        }
    }

private:
    std::vector<Pair> m_pairs;
    std::map<std::string, double> m_seconds;
};

} // namespace pxu::bench
