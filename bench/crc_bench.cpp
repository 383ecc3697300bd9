// The CRCs over a 16 MiB section image, against a memcpy of the same bytes as the
// memory bandwidth.
#include "platform/crc/crc.h"
#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kSize = 16 * 1024 * 1024;

const std::vector<unsigned char>& buffer() {
    static const std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> b(kSize);
        std::mt19937 random(7);
        for (auto& c : b)
            c = static_cast<unsigned char>(random());
        return b;
    }();
    return bytes;
}

void memcpy16MiB(benchmark::State& state) {
    std::vector<unsigned char> target(kSize);
    for (auto _ : state) {
        std::memcpy(target.data(), buffer().data(), kSize);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

void crc32_16MiB(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(pxu::CrcCalculation32(buffer().data(), qint32(kSize), 0));
    state.SetBytesProcessed(state.iterations() * kSize);
}

void crc16_16MiB(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(pxu::CrcCalculation(buffer().data(), qint32(kSize), 0));
    state.SetBytesProcessed(state.iterations() * kSize);
}

} // namespace

BENCHMARK(memcpy16MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(crc32_16MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(crc16_16MiB)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    buffer();
    pxu::bench::RatioReporter reporter(
        {{"memcpy16MiB", "crc32_16MiB"}, {"memcpy16MiB", "crc16_16MiB"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
