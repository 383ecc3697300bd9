#pragma once

#include "console_report.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pxu::bench {

// The console report, followed by the real times of benchmark pairs and their ratio
// (second / first: how many times the first's time the second took), then the same for
// each counter added.
class RatioReporter : public ConsoleReport {
public:
    using Pair = std::pair<std::string, std::string>;
    explicit RatioReporter(std::vector<Pair> pairs)
        : m_pairs(std::move(pairs)) {}

    // The counter of that name, with what it means.
    void addCounter(std::string name, std::string meaning) {
        m_counters.emplace_back(std::move(name), std::move(meaning));
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const std::string& name = run.run_name.function_name;
            m_values[{kTime, name}] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            for (const auto& [counter, meaning] : m_counters) {
                if (const auto c = run.counters.find(counter); c != run.counters.end())
                    m_values[{counter, name}] = c->second.value;
            }
        }
        ConsoleReport::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReport::Finalize();
        std::printf("\n%-44s %12s %12s %8s\n", "first / second", "first ms", "second ms", "ratio");
        printRatios(kTime, 1e3, 1);
        for (const auto& [counter, meaning] : m_counters) {
            std::printf("\n%s (%s)\n", counter.c_str(), meaning.c_str());
            std::printf("%-44s %12s %12s %8s\n", "first / second", "first", "second", "ratio");
            printRatios(counter, 1, 2);
        }
    }

private:
    static constexpr const char* kTime = ""; // the figure of the real time, in seconds

    void printRatios(const std::string& figure, double scale, int decimals) const {
        for (const auto& [first, second] : m_pairs) {
            const auto a = m_values.find({figure, first});
            const auto b = m_values.find({figure, second});
            if (a == m_values.end() || b == m_values.end())
                continue;
            std::printf("%-44s %12.*f %12.*f %8.2f\n", (first + " / " + second).c_str(), decimals,
                        a->second * scale, decimals, b->second * scale, b->second / a->second);
        }
    }

    std::vector<Pair> m_pairs;
    std::vector<std::pair<std::string, std::string>> m_counters;    // name, meaning
    std::map<std::pair<std::string, std::string>, double> m_values; // (figure, run) -> value
};

} // namespace pxu::bench
