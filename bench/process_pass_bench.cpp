// What one pass over the process table costs, next to its floor: opening and reading stat and
// statm of the same processes into one reused buffer, and doing nothing else. The benchmark
// starts its own idle processes first, so the table is about as large as a busy desktop's, and
// ends them again by process id.
//
//   build/default/bench/process_pass_bench --benchmark_repetitions=10
//       --benchmark_report_aggregates_only=true [--idle-processes=400]
//
// prints the usual table and then each pass's ratio to the floor, from the medians when
// repetitions are asked for. 20 of the idle processes also hold a DRM descriptor, open on the
// first render node of /dev/dri that opens, else on a plain file standing in for one (which has
// no client counters: the scan then costs its listings and reads, not the parse of a rich file);
// pass/statmAndStatusSwap/gpu is the pass with the scan of DRM clients, against the same pass
// without it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
// the benchmark be killed before it ends them. With a file, each holds it open as descriptor 3.
class IdleProcesses {
public:
    explicit IdleProcesses(int count, const std::string& file = {}) {
        char program[] = "sleep";
        char duration[] = "900";
        char* arguments[] = {program, duration, nullptr};
        posix_spawn_file_actions_t actions{};
        posix_spawn_file_actions_init(&actions);
        if (!file.empty()) {
            posix_spawn_file_actions_addopen(&actions, 3, file.c_str(), O_RDONLY, 0);
        }
        for (int started = 0; started < count; ++started) {
            pid_t pid = 0;
            if (posix_spawnp(&pid, "sleep", &actions, nullptr, arguments, environ) != 0) {
                break;
            }
            pids_.push_back(pid);
        }
        posix_spawn_file_actions_destroy(&actions);
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

// Where the DRM descriptors of the benchmark point: a real render node when one opens, else a
// stand-in file in a scratch folder, removed at the end.
class DrmNode {
public:
    DrmNode() {
        std::error_code unlisted;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", unlisted)) {
            const std::string name = entry.path().filename().string();
            const int descriptor =
                name.starts_with("renderD") ? open(entry.path().c_str(), O_RDONLY | O_CLOEXEC) : -1;
            if (descriptor >= 0) {
                close(descriptor);
                path_ = entry.path().string();
                folder_ = "/dev/dri/";
                return;
            }
        }
        std::string scratch =
            (std::filesystem::temp_directory_path() / "vantric-dri-XXXXXX").string();
        if (mkdtemp(scratch.data()) == nullptr) {
            return;
        }
        scratchFolder_ = scratch;
        folder_ = scratch + "/";
        path_ = folder_ + "renderD128";
        const int descriptor = open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
    ~DrmNode() {
        if (!scratchFolder_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(scratchFolder_, ignored);
        }
    }
    DrmNode(const DrmNode&) = delete;
    DrmNode& operator=(const DrmNode&) = delete;

    const std::string& path() const { return path_; }
    const std::string& folder() const { return folder_; }

private:
    std::string path_;
    std::string folder_;
    std::string scratchFolder_;
};

// The pass with the scan of DRM clients, the descriptors of the holders pointing into folder.
void processPassWithGpu(benchmark::State& state, const std::string& folder) {
    auto owned = std::make_unique<LinuxProcessTable>(
        "/", LinuxProcessTable::Options{.gpuClients = std::make_shared<GpuClients>(),
                                        .drmScan = {.nodeFolder = folder}});
    const DrmClientScan& scan = *owned->drmScan();
    ProcessSampler sampler(std::move(owned));
    for (int warm = 0; warm < 12; ++warm) {
        sampler.sample();
    }
    const std::uint64_t listings = scan.listings();
    const std::uint64_t reads = scan.reads();
    for (auto _ : state) {
        benchmark::DoNotOptimize(sampler.sample().apps.data());
    }
    // What the scan did per pass in steady state: descriptor listings and fdinfo reads.
    const auto passes = static_cast<double>(state.iterations());
    state.counters["listings"] = static_cast<double>(scan.listings() - listings) / passes;
    state.counters["reads"] = static_cast<double>(scan.reads() - reads) / passes;
}

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
    const vantric::DrmNode node;
    const vantric::IdleProcesses holders(20, node.path());
    std::printf("started %zu idle processes, and %zu holding %s\n", processes.size(),
                holders.size(), node.path().c_str());
    benchmark::RegisterBenchmark("pass/statmAndStatusSwap/gpu", [&node](benchmark::State& state) {
        vantric::processPassWithGpu(state, node.folder());
    })->Unit(benchmark::kMicrosecond);
    vantric::RatioReporter reporter(
        {{"pass/statmAndStatusSwap/gpu", "pass/statmAndStatusSwap"},
         {"pass/statmAndStatusSwap", "floor/openReadStatStatm"},
         {"pass/status", "floor/openReadStatStatm"},
         {"pass/statm", "floor/openReadStatStatm"},
         {"pass/statmAndStatusSwap/reopened", "floor/openReadStatStatm"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
