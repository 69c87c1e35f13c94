// What one system reading costs on this machine, next to the floor: reading the /proc files it
// parses and doing nothing else. Also what zoneinfo alone costs to read, beside the three other
// files, and each parser over its fixture.
//
//   build/default/bench/system_sample_bench --benchmark_repetitions=10
//
// prints the usual table and then the ratio of the full sample to the floor, from the medians
// when repetitions are asked for.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.hpp"
#include "core/system_sampler.hpp"
#include "platform/linux/linux_host.hpp"
#include "platform/linux/meminfo.hpp"
#include "platform/linux/pressure.hpp"
#include "platform/linux/proc_stat.hpp"
#include "platform/linux/zoneinfo.hpp"
#include "platform/linux/zram.hpp"

namespace vantric {
namespace {

std::string fixture(const char* relative) {
    std::ifstream stream(std::string(VANTRIC_FIXTURES) + "/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// The files kept open and read whole with one pread each, nothing parsed.
template <std::size_t count>
void readFiles(benchmark::State& state, const std::array<const char*, count>& paths) {
    std::array<int, count> descriptors{};
    for (std::size_t index = 0; index < paths.size(); ++index) {
        descriptors[index] = open(paths[index], O_RDONLY | O_CLOEXEC);
        if (descriptors[index] < 0) {
            state.SkipWithError(paths[index]);
            return;
        }
    }
    // Large enough for /proc/stat and zoneinfo of any machine, so every read is whole.
    std::string buffer(std::size_t{1} << 20, '\0');
    for (auto _ : state) {
        for (const int descriptor : descriptors) {
            benchmark::DoNotOptimize(pread(descriptor, buffer.data(), buffer.size(), 0));
        }
        benchmark::ClobberMemory();
    }
    for (const int descriptor : descriptors) {
        close(descriptor);
    }
}

void floorReadSystemFiles(benchmark::State& state) {
    readFiles(state,
              std::array{"/proc/stat", "/proc/meminfo", "/proc/pressure/memory", "/proc/zoneinfo"});
}
BENCHMARK(floorReadSystemFiles)->Name("floor/readSystemFiles");

// The per-CPU free pages' share of the floor: the file grows with the processors.
void readZoneinfo(benchmark::State& state) {
    readFiles(state, std::array{"/proc/zoneinfo"});
}
BENCHMARK(readZoneinfo)->Name("floor/readZoneinfo");

// What the application does once a second. Beyond the floor's three files it reads the zram
// devices that are set up, every DRM card with a busy figure and NVML's devices.
void fullSystemSample(benchmark::State& state) {
    SystemSampler sampler(std::make_unique<LinuxHost>());
    sampler.sampleCPU();
    for (auto _ : state) {
        benchmark::DoNotOptimize(sampler.sampleCPU());
        benchmark::DoNotOptimize(sampler.sampleMemory());
        benchmark::DoNotOptimize(sampler.sampleGPU());
    }
}
BENCHMARK(fullSystemSample)->Name("sample/full");

void parseStat(benchmark::State& state, const char* path) {
    const std::string text = fixture(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseProcStat(text));
    }
}
BENCHMARK_CAPTURE(parseStat, thisMachine, "hosts/this-machine/proc/stat")->Name("parse/stat/2cpu");
BENCHMARK_CAPTURE(parseStat, server128, "hosts/server128/proc/stat")->Name("parse/stat/128cpu");

void parseMeminfoText(benchmark::State& state) {
    const std::string text = fixture("hosts/this-machine/proc/meminfo");
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseMeminfo(text));
    }
}
BENCHMARK(parseMeminfoText)->Name("parse/meminfo");

void parsePressureText(benchmark::State& state) {
    const std::string text = fixture("hosts/server128/proc/pressure/memory");
    for (auto _ : state) {
        benchmark::DoNotOptimize(parsePressure(text));
    }
}
BENCHMARK(parsePressureText)->Name("parse/pressure");

void parseZoneinfoText(benchmark::State& state) {
    const std::string text = fixture("hosts/page-churn-high/proc/zoneinfo");
    for (auto _ : state) {
        benchmark::DoNotOptimize(parsePerCpuFreePages(text));
    }
}
BENCHMARK(parseZoneinfoText)->Name("parse/zoneinfo");

void parseZramText(benchmark::State& state) {
    const std::string text = fixture("hosts/laptop-zram/sys/block/zram0/mm_stat");
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseZramMemoryUsed(text));
    }
}
BENCHMARK(parseZramText)->Name("parse/zramMmStat");

}  // namespace
}  // namespace vantric

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    vantric::RatioReporter reporter({std::pair{"sample/full", "floor/readSystemFiles"},
                                     std::pair{"floor/readZoneinfo", "floor/readSystemFiles"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
