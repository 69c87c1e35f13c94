// What a scrape of `vantric --serve` adds to a pass over the machine (its application series,
// metric families and exposition text), against what `vantric --json` adds (its JSON line), for
// the same reading of 120 applications: the scrape should cost no more than the line.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/serve/app_series.hpp"
#include "app/serve/exposition.hpp"
#include "app/serve/exposition_format.hpp"
#include "app/serve/metrics_source.hpp"
#include "app/store/json_lines.hpp"
#include "bench/ratio_reporter.hpp"

namespace vantric {
namespace {

// A desktop's worth of applications: a few busy and large, most idle and small.
Reading typicalReading() {
    Reading reading{.cpu = {.total = 0.25, .user = 0.2, .system = 0.05, .perCore = {0.3, 0.2}},
                    .memory = {.total = 16ULL << 30, .app = 6ULL << 30, .cached = 4ULL << 30},
                    .date = std::chrono::system_clock::now()};
    for (int index = 0; index < 120; ++index) {
        const std::string name = index % 3 == 0 ? "org.example.Application" + std::to_string(index)
                                                : "helper-daemon-" + std::to_string(index);
        reading.processes.apps.push_back(
            AppUsage{.id = (index % 3 == 0 ? "app:" : "process:") + name,
                     .name = name,
                     .iconName = index % 3 == 0 ? std::optional<std::string>(name) : std::nullopt,
                     .cpu = index < 10 ? 40.0 / (index + 1) : 0.0,
                     .cpuSeconds = index < 10 ? 0.4 / (index + 1) : 0.0,
                     .memory = (512ULL << 20) / static_cast<unsigned>(index + 1),
                     .processCount = 1 + index % 4});
    }
    reading.processes.processCount = 480;
    reading.processes.readableProcessCount = 480;
    return reading;
}

void jsonLine(benchmark::State& state) {
    const Reading reading = typicalReading();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readingLine(reading));
    }
}
BENCHMARK(jsonLine)->Unit(benchmark::kMicrosecond);

void scrape(benchmark::State& state, ExpositionFormat format) {
    const Reading reading = typicalReading();
    AppSeries apps(MetricsSource::applicationLimit);
    for (auto _ : state) {
        apps.add(reading.processes.apps);
        const ScrapeReading scraped{.memory = reading.memory,
                                    .apps = apps.series(),
                                    .processCount = reading.processes.processCount};
        benchmark::DoNotOptimize(serialized(metricFamilies(scraped), format));
    }
}
BENCHMARK_CAPTURE(scrape, openMetrics, ExpositionFormat::openMetrics)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(scrape, text, ExpositionFormat::text)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantric

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    vantric::RatioReporter reporter(
        {{"scrape/openMetrics", "jsonLine"}, {"scrape/text", "jsonLine"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
