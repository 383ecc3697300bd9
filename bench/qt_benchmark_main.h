#pragma once

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <functional>

namespace pxu::bench {

// The benchmarks' main with the application object Qt needs (QApplication for windows).
// beforeQuit runs while that object still lives: what the benchmarks kept of databases and
// files goes there. Without a reporter the console's.
template <class Application = QCoreApplication>
int runWithQt(int argc, char** argv, const std::function<void()>& beforeQuit,
              benchmark::BenchmarkReporter* reporter = nullptr) {
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(reporter);
    benchmark::Shutdown();
    beforeQuit();
    return 0;
}

} // namespace pxu::bench
