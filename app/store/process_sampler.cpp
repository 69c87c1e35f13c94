#include "app/store/process_sampler.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>

#include "core/saturating_sum.hpp"

namespace vantric {

namespace {

std::uint64_t steadyNanoseconds() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

std::string_view lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

}  // namespace

ProcessSampler::ProcessSampler(std::unique_ptr<ProcessTable> table,
                               std::unique_ptr<AppDirectory> directory)
    : ProcessSampler(std::move(table), steadyNanoseconds, std::move(directory)) {}

ProcessSampler::ProcessSampler(std::unique_ptr<ProcessTable> table, Clock clock,
                               std::unique_ptr<AppDirectory> directory)
    : table_(std::move(table)),
      directory_(directory ? std::move(directory) : std::make_unique<NoAppDirectory>()),
      clock_(std::move(clock)),
      timebase_(table_->timebase()) {}

ProcessSample ProcessSampler::sample() {
    const std::uint64_t now = clock_();
    directoryAskedThisPass_ = false;

    const int count = table_->countProcesses();
    if (count < 1) {
        return {};
    }
    // A few spare slots take the processes started between the count and the listing.
    identifiers_.assign(static_cast<std::size_t>(count) + 64, 0);
    const int listed = table_->listProcesses(identifiers_);
    if (listed < 1) {
        return {};
    }
    // Measured from the last pass that was listed: advancing the clock on a failed listing would
    // divide two intervals' processor time by one.
    const std::uint64_t elapsed =
        previousSampleNs_ && now > *previousSampleNs_ ? now - *previousSampleNs_ : 0;
    previousSampleNs_ = now;

    // Rows in the order their first process was listed, so that rows with equal figures keep
    // their places from one pass to the next.
    std::vector<AppUsage> rows;
    std::unordered_map<std::string, std::size_t> rowIndex;  // key -> place in rows
    std::unordered_map<std::int32_t, Baseline> newTimes;
    newTimes.reserve(previousTimes_.size() + 64);
    const std::size_t entries = std::min(static_cast<std::size_t>(listed), identifiers_.size());
    for (std::size_t index = 0; index < entries; ++index) {
        const std::int32_t pid = identifiers_[index];
        if (pid <= 0) {
            continue;
        }
        const auto usage = table_->usage(pid);
        if (!usage) {
            continue;
        }
        const std::uint64_t cpuNs = nanoseconds(usage->userTime, usage->systemTime);
        // A listing that names a process twice must not count it twice.
        if (!newTimes.try_emplace(pid, Baseline{.start = usage->startTime, .cpuNs = cpuNs})
                 .second) {
            continue;
        }

        std::uint64_t ranNs = 0;
        const auto previous = previousTimes_.find(pid);
        if (previous != previousTimes_.end() && previous->second.start == usage->startTime &&
            elapsed != 0 && previous->second.cpuNs <= cpuNs) {
            ranNs = cpuNs - previous->second.cpuNs;
        }
        const double percent =
            elapsed == 0 ? 0.0 : static_cast<double>(ranNs) / static_cast<double>(elapsed) * 100.0;

        const Identity& owner = identity(pid, *usage);
        auto [found, added] = rowIndex.try_emplace(owner.key, rows.size());
        if (added) {
            rows.push_back(AppUsage{.id = owner.key,
                                    .name = owner.name,
                                    .bundlePath = owner.bundlePath,
                                    .iconName = owner.iconName,
                                    .iconPath = owner.iconPath});
        }
        // A row is the sum over its processes, also where the group is exactly one systemd scope.
        // The scope's own figures do not agree with that sum: memory.current also charges the
        // scope's page cache and kernel memory (only memory.stat's "anon" matches the
        // footprints), and cpu.stat's usage_usec keeps the time of processes that have ended,
        // so its rate agrees only over passes in which none of them ended.
        AppUsage& row = rows[found->second];
        row.cpu += percent;
        row.cpuSeconds += static_cast<double>(ranNs) / 1e9;
        row.memory += usage->physicalFootprint;
        row.processCount += 1;
        if (usage->gpu) {
            // Saturating: each process's figure is bounded, their number is not.
            row.gpuMemory = saturatingSum(row.gpuMemory.value_or(0), usage->gpu->memory);
            if (usage->gpu->percent) {
                row.gpu = row.gpu.value_or(0) + *usage->gpu->percent;
            }
        }
    }
    // Each process's figure is its busiest engine's share: two processes busy on different engines
    // (or devices) add up past the 100 that a share of one device can be, so the sum stops there.
    for (AppUsage& row : rows) {
        if (row.gpu) {
            row.gpu = std::min(*row.gpu, 100.0);
        }
    }

    previousTimes_ = std::move(newTimes);
    std::erase_if(identities_,
                  [this](const auto& entry) { return !previousTimes_.contains(entry.first); });

    return ProcessSample{.apps = std::move(rows),
                         .processCount = listed,
                         .readableProcessCount = static_cast<int>(previousTimes_.size())};
}

const ProcessSampler::Identity& ProcessSampler::identity(std::int32_t pid,
                                                         const ProcessUsage& usage) {
    const auto cached = identities_.find(pid);
    if (cached != identities_.end() && cached->second.start == usage.startTime &&
        cached->second.shortName == usage.shortName) {
        return cached->second.identity;
    }
    CachedIdentity entry{
        .start = usage.startTime, .shortName = usage.shortName, .identity = resolve(pid)};
    return identities_.insert_or_assign(pid, std::move(entry)).first->second.identity;
}

ProcessSampler::Identity ProcessSampler::resolve(std::int32_t pid) {
    const std::string path = table_->executablePath(pid);
    // The first ".app/" is the outermost bundle, so a helper application nested in another
    // bundle's frameworks is counted with the application that owns it.
    const std::size_t bundleEnd = path.find(".app/");
    if (bundleEnd != std::string::npos) {
        std::string bundlePath = path.substr(0, bundleEnd) + ".app";
        std::string name = table_->bundleDisplayName(bundlePath);
        if (name.ends_with(".app")) {
            name.resize(name.size() - 4);
        }
        return Identity{.key = bundlePath, .name = std::move(name), .bundlePath = bundlePath};
    }
    // Only a pass that meets a new process asks the directory anything.
    if (!directoryAskedThisPass_) {
        directory_->beginPass();
        directoryAskedThisPass_ = true;
    }
    if (std::optional<DesktopApplication> application = directory_->applicationOf(pid)) {
        return Identity{.key = "app:" + application->id,
                        .name = std::move(application->name),
                        .bundlePath = std::nullopt,
                        .iconName = std::move(application->iconName),
                        .iconPath = std::move(application->iconPath)};
    }
    std::string name = table_->shortName(pid);
    if (name.empty()) {
        name = std::string(lastPathComponent(path));
    }
    if (name.empty()) {
        name = "Process " + std::to_string(pid);
    }
    return Identity{.key = "process:" + name, .name = name};
}

std::uint64_t ProcessSampler::nanoseconds(std::uint64_t user, std::uint64_t system) const {
    if (timebase_.denom == 0) {
        return 0;
    }
    // In floating point, as the sum of two large counters times numer would overflow 64 bits.
    const double value = (static_cast<double>(user) + static_cast<double>(system)) *
                         timebase_.numer / timebase_.denom;
    // 2^64 as a double; converting anything at or above it to an integer is undefined.
    constexpr double limit = 18446744073709551616.0;
    return value >= limit ? UINT64_MAX : static_cast<std::uint64_t>(value);
}

}  // namespace vantric
