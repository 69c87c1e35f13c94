// What one widget measurement costs in processor time: the discarded and the real processor
// sample, memory, the GPU, and reading, trimming and rewriting the stored hour of history (240
// points, the most it holds). The 0.8 s pause between the processor samples is waiting, not
// work, and is left out. The clock moves on 11 s per call, so every call measures.
//
//   build/default/bench/widget_measurement_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
#include <memory>

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "platform/linux/linux_host.hpp"
#include "widgets/extension/vitals_reader.hpp"

namespace vantric {
namespace {

void BM_WidgetMeasurement(benchmark::State& state) {
    QTemporaryDir folder;
    double clock = 1e9;
    VitalsReader reader({.sampler = std::make_unique<SystemSampler>(std::make_unique<LinuxHost>()),
                         .history = std::make_unique<HistoryStore>(
                             folder.filePath(QStringLiteral("VantricWidget.ini"))),
                         .now = [&clock] { return AbsoluteTime{clock}; },
                         .pause = [] {}});
    // A full history first: the steady state of a host that has run for an hour.
    for (std::size_t point = 0; point < HistoryStore::capacity; ++point) {
        clock += 11;
        reader.read();
    }
    for (auto _ : state) {
        clock += 11;
        benchmark::DoNotOptimize(reader.read());
    }
}
BENCHMARK(BM_WidgetMeasurement)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantric

BENCHMARK_MAIN();
