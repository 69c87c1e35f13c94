// What one pass over the process table costs, next to its floor: opening and reading stat and
// statm of the same processes into one reused buffer, and doing nothing else. The benchmark
// starts its own idle processes first, so the table is about as large as a busy desktop's, and
// ends them again by process id.
//
//   build/default/bench/process_pass_bench --benchmark_repetitions=10
//       --benchmark_report_aggregates_only=true [--idle-processes=400]
//
// prints the usual table and then each pass's ratio to the floor, from the medians when
// repetitions are asked for.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/store/process_sampler.hpp"
#include "bench/ratio_reporter.hpp"
#include "platform/linux/linux_app_directory.hpp"
#include "platform/linux/linux_process_table.hpp"

namespace vantric {
namespace {

using Source = LinuxProcessTable::FootprintSource;

// Idle processes that live while the benchmark runs; they end by themselves after a while should
// the benchmark be killed before it ends them.
class IdleProcesses {
public:
    explicit IdleProcesses(int count) {
        char program[] = "sleep";
        char duration[] = "900";
        char* arguments[] = {program, duration, nullptr};
        for (int started = 0; started < count; ++started) {
            pid_t pid = 0;
            if (posix_spawnp(&pid, "sleep", nullptr, nullptr, arguments, environ) != 0) {
                break;
            }
            pids_.push_back(pid);
        }
    }
    ~IdleProcesses() {
        for (const pid_t pid : pids_) {
            kill(pid, SIGKILL);
        }
        for (const pid_t pid : pids_) {
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }
    IdleProcesses(const IdleProcesses&) = delete;
    IdleProcesses& operator=(const IdleProcesses&) = delete;

    std::size_t size() const { return pids_.size(); }

private:
    std::vector<pid_t> pids_;
};

// The processes a pass reads: the table's own listing.
std::vector<std::int32_t> listedProcesses() {
    LinuxProcessTable table;
    std::vector<std::int32_t> pids(static_cast<std::size_t>(table.countProcesses()) + 64);
    pids.resize(static_cast<std::size_t>(table.listProcesses(pids)));
    return pids;
}

void readOnce(int directory, std::int32_t pid, std::string_view file, std::string& buffer) {
    std::array<char, 32> path{};
    char* end = std::to_chars(path.data(), path.data() + 16, pid).ptr;
    *end++ = '/';
    std::memcpy(end, file.data(), file.size());
    const int descriptor = openat(directory, path.data(), O_RDONLY | O_CLOEXEC);
    if (descriptor >= 0) {
        benchmark::DoNotOptimize(pread(descriptor, buffer.data(), buffer.size(), 0));
        close(descriptor);
    }
}

// The floor: stat and statm of every listed process, opened, read whole and closed, nothing
// parsed.
void floorOpenReadStatAndStatm(benchmark::State& state) {
    const std::vector<std::int32_t> pids = listedProcesses();
    const int directory = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0) {
        state.SkipWithError("/proc");
        return;
    }
    std::string buffer(4096, '\0');
    for (auto _ : state) {
        for (const std::int32_t pid : pids) {
            readOnce(directory, pid, "stat", buffer);
            readOnce(directory, pid, "statm", buffer);
        }
        benchmark::ClobberMemory();
    }
    close(directory);
    state.counters["processes"] = static_cast<double>(pids.size());
}
BENCHMARK(floorOpenReadStatAndStatm)
    ->Name("floor/openReadStatStatm")
    ->Unit(benchmark::kMicrosecond);

// A whole pass as the application makes it once a second, in steady state: the identities are
// cached and the descriptors open (or, with a limit of 0, opened at every read).
void processPass(benchmark::State& state, Source source, std::optional<std::size_t> keptOpen) {
    ProcessSampler sampler(std::make_unique<LinuxProcessTable>(
        "/", LinuxProcessTable::Options{.footprint = source, .keptOpenLimit = keptOpen}));
    // Past the first passes, which resolve every identity and open the descriptors.
    for (int warm = 0; warm < 12; ++warm) {
        sampler.sample();
    }
    int processes = 0;
    for (auto _ : state) {
        const ProcessSample sample = sampler.sample();
        processes = sample.readableProcessCount;
        benchmark::DoNotOptimize(sample.apps.data());
    }
    state.counters["processes"] = processes;
}
BENCHMARK_CAPTURE(processPass, statmAndStatusSwap, Source::statmAndStatusSwap, std::nullopt)
    ->Name("pass/statmAndStatusSwap")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(processPass, status, Source::status, std::nullopt)
    ->Name("pass/status")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(processPass, statm, Source::statm, std::nullopt)
    ->Name("pass/statm")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(processPass, reopened, Source::statmAndStatusSwap, 0)
    ->Name("pass/statmAndStatusSwap/reopened")
    ->Unit(benchmark::kMicrosecond);

std::unique_ptr<ProcessSampler> applicationSampler() {
    return std::make_unique<ProcessSampler>(
        std::make_unique<LinuxProcessTable>("/"),
        std::make_unique<LinuxAppDirectory>(
            LinuxAppDirectory::forThisSession("hicolor", "vantric", {})));
}

// The pass as the application makes it, with the desktop's applications: in steady state it asks
// the directory nothing, so it should cost what pass/statmAndStatusSwap costs.
void processPassWithApplications(benchmark::State& state) {
    const std::unique_ptr<ProcessSampler> sampler = applicationSampler();
    for (int warm = 0; warm < 12; ++warm) {
        sampler->sample();
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(sampler->sample().apps.data());
    }
}
BENCHMARK(processPassWithApplications)
    ->Name("pass/withApplications")
    ->Unit(benchmark::kMicrosecond);

// The first pass of a new sampler: every process resolved, its ancestors walked, the desktop
// entries read. What the window pays once, at start.
void coldFirstPass(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<ProcessSampler> sampler = applicationSampler();
        state.ResumeTiming();
        benchmark::DoNotOptimize(sampler->sample().apps.data());
        state.PauseTiming();
        sampler.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(coldFirstPass)->Name("firstPass/withApplications")->Unit(benchmark::kMillisecond);

int idleProcessCount(int& argc, char** argv) {
    constexpr std::string_view flag = "--idle-processes=";
    int count = 400;
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (argument.starts_with(flag)) {
            const std::string_view value = argument.substr(flag.size());
            std::from_chars(value.data(), value.data() + value.size(), count);
            for (int rest = index; rest + 1 < argc; ++rest) {
                argv[rest] = argv[rest + 1];
            }
            --argc;
            break;
        }
    }
    return count;
}

}  // namespace
}  // namespace vantric

int main(int argc, char** argv) {
    const int idle = vantric::idleProcessCount(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const vantric::IdleProcesses processes(idle);
    std::printf("started %zu idle processes\n", processes.size());
    vantric::RatioReporter reporter(
        {{"pass/statmAndStatusSwap", "floor/openReadStatStatm"},
         {"pass/status", "floor/openReadStatStatm"},
         {"pass/statm", "floor/openReadStatStatm"},
         {"pass/statmAndStatusSwap/reopened", "floor/openReadStatStatm"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
