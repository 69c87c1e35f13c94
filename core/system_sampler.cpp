#include "core/system_sampler.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

#include "core/saturating_sum.hpp"

namespace vantric {

namespace {

// The counters are taken modulo 2^32, so a 32-bit counter that wrapped since the previous call
// still yields its true small increase. A step that reads as negative in 32 bits is a counter that
// went backwards (Linux's iowait does on some kernels): it counts as no time rather than as ~4.29e9
// ticks, which would make the processor read idle. A genuine forward step of 2^31 ticks or more
// would need months between two samples.
std::uint64_t tickDelta(std::uint64_t current, std::uint64_t previous) {
    const auto delta = static_cast<std::uint32_t>(current - previous);
    return delta > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ? 0 : delta;
}

// The baseline of a processor, found by its number. Both lists come in the kernel's order, so the
// search starts where the previous one ended and is linear over a whole pass.
const ProcessorTicks* findBaseline(const std::vector<ProcessorTicks>& previous,
                                   std::uint32_t processor, std::size_t& cursor) {
    for (std::size_t step = 0; step < previous.size(); ++step) {
        const std::size_t index = (cursor + step) % previous.size();
        if (previous[index].processor == processor) {
            cursor = index + 1;
            return &previous[index];
        }
    }
    return nullptr;
}

double numberAsDouble(const StatisticValue& value) {
    return std::visit(
        [](const auto& number) -> double {
            using T = std::decay_t<decltype(number)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return 0;
            } else {
                return static_cast<double>(number);
            }
        },
        value);
}

// Negative and non-numeric values are 0; a fraction is cut to a whole byte count and saturates
// at the top of the range instead of overflowing.
std::uint64_t numberAsUnsigned(const StatisticValue& value) {
    return std::visit(
        [](const auto& number) -> std::uint64_t {
            using T = std::decay_t<decltype(number)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return 0;
            } else if constexpr (std::is_same_v<T, std::uint64_t>) {
                return number;
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                return number < 0 ? 0 : static_cast<std::uint64_t>(number);
            } else {
                constexpr double limit = 18446744073709551616.0;  // 2^64
                if (!(number > 0)) {
                    return 0;
                }
                return number >= limit ? std::numeric_limits<std::uint64_t>::max()
                                       : static_cast<std::uint64_t>(number);
            }
        },
        value);
}

const StatisticValue* statistic(const PerformanceStatistics& statistics, std::string_view key) {
    const auto found = statistics.find(key);
    return found == statistics.end() ? nullptr : &found->second;
}

// A percentage as a fraction from 0 to 1; NaN, negatives, missing keys and texts are 0.
double percentFraction(const PerformanceStatistics& statistics, std::string_view key) {
    const StatisticValue* value = statistic(statistics, key);
    if (value == nullptr) {
        return 0;
    }
    const double fraction = numberAsDouble(*value) / 100.0;
    if (!(fraction > 0)) {
        return 0;
    }
    return std::min(fraction, 1.0);
}

// The same, absent when the driver does not publish the key at all.
std::optional<double> publishedFraction(const PerformanceStatistics& statistics,
                                        std::string_view key) {
    if (statistic(statistics, key) == nullptr) {
        return std::nullopt;
    }
    return percentFraction(statistics, key);
}

std::uint64_t byteCount(const PerformanceStatistics& statistics, std::string_view key) {
    const StatisticValue* value = statistic(statistics, key);
    return value == nullptr ? 0 : numberAsUnsigned(*value);
}

// A driver publishes its memory under the keys of the memory it means; one that holds both the
// device's own memory and RAM for it publishes both pairs, which the reading sums.
GpuMemoryKind memoryKindOf(const PerformanceStatistics& statistics) {
    const auto has = [&](std::string_view inUse, std::string_view allocated) {
        return statistic(statistics, inUse) != nullptr ||
               statistic(statistics, allocated) != nullptr;
    };
    const bool video = has("In use video memory", "Alloc video memory");
    const bool system = has("In use system memory", "Alloc system memory");
    if (video && system) {
        return GpuMemoryKind::both;
    }
    if (video) {
        return GpuMemoryKind::video;
    }
    return system ? GpuMemoryKind::system : GpuMemoryKind::none;
}

GPUSnapshot candidate(const Accelerator& accelerator) {
    const PerformanceStatistics& statistics = *accelerator.statistics;
    return GPUSnapshot{
        .available = true,
        .utilization = percentFraction(statistics, "Device Utilization %"),
        .renderer = publishedFraction(statistics, "Renderer Utilization %"),
        .tiler = publishedFraction(statistics, "Tiler Utilization %"),
        .memoryInUse = saturatingSum(byteCount(statistics, "In use video memory"),
                                     byteCount(statistics, "In use system memory")),
        .memoryAllocated = saturatingSum(byteCount(statistics, "Alloc video memory"),
                                         byteCount(statistics, "Alloc system memory")),
        .memoryKind = memoryKindOf(statistics),
        .device = accelerator.device,
        .ownProcessesOnly = accelerator.ownProcessesOnly,
    };
}

}  // namespace

SystemSampler::SystemSampler(std::unique_ptr<Host> host) : host_(std::move(host)) {}

CPUSnapshot SystemSampler::sampleCPU() {
    std::vector<ProcessorTicks> current = host_->processorTicks();
    if (current.empty()) {
        return CPUSnapshot{};
    }

    CPUSnapshot reading;
    reading.perCore.reserve(current.size());
    std::uint64_t userSum = 0;
    std::uint64_t systemSum = 0;
    std::uint64_t idleSum = 0;
    std::uint64_t tickSum = 0;
    std::size_t cursor = 0;

    if (ticksPerSecond_ == 0) {
        ticksPerSecond_ = std::max(host_->ticksPerSecond(), std::uint32_t{1});
        for (const ProcessorTicks& ticks : current) {
            userTicks_ += ticks.user + ticks.nice;
            systemTicks_ += ticks.system;
            idleTicks_ += ticks.idle;
        }
    }

    for (const ProcessorTicks& ticks : current) {
        const ProcessorTicks* baseline = findBaseline(previousCoreTicks_, ticks.processor, cursor);
        if (baseline == nullptr) {
            reading.perCore.push_back(0);
            continue;
        }
        const std::uint64_t user = tickDelta(ticks.user, baseline->user);
        const std::uint64_t system = tickDelta(ticks.system, baseline->system);
        const std::uint64_t idle = tickDelta(ticks.idle, baseline->idle);
        const std::uint64_t nice = tickDelta(ticks.nice, baseline->nice);

        // Niced time is user time.
        const std::uint64_t busyUser = user + nice;
        const std::uint64_t all = user + system + idle + nice;
        reading.perCore.push_back(
            all > 0 ? static_cast<double>(busyUser + system) / static_cast<double>(all) : 0.0);
        userSum += busyUser;
        systemSum += system;
        idleSum += idle;
        tickSum += all;
    }
    userTicks_ += userSum;
    systemTicks_ += systemSum;
    idleTicks_ += idleSum;

    // A processor that went away is forgotten; one that appeared has its baseline from now on.
    previousCoreTicks_ = std::move(current);

    // Weighted by ticks, not the mean of perCore: a processor that reported more ticks weighs
    // more.
    if (tickSum > 0) {
        reading.user = static_cast<double>(userSum) / static_cast<double>(tickSum);
        reading.system = static_cast<double>(systemSum) / static_cast<double>(tickSum);
        reading.total = std::min(reading.user + reading.system, 1.0);
    }
    return reading;
}

MemorySnapshot SystemSampler::sampleMemory() {
    const MemoryCounters counters = host_->memoryCounters();
    MemorySnapshot reading{.total = counters.physicalMemory};

    if (counters.pages) {
        const VMPageCounts& pages = *counters.pages;
        const std::uint64_t page = pages.pageSize;
        // Purgeable pages can be dropped without writing them anywhere, so they are cache, not
        // app memory.
        reading.app =
            pages.internal > pages.purgeable ? (pages.internal - pages.purgeable) * page : 0;
        reading.wired = pages.wired * page;
        reading.compressed = pages.compressor * page;
        reading.cached = (pages.external + pages.purgeable) * page;
    }
    if (counters.swap) {
        reading.swapUsed = counters.swap->used;
        reading.swapTotal = counters.swap->total;
    }
    // A level that cannot be read, or an unexpected one, is normal.
    reading.pressure =
        counters.pressureLevel
            ? memoryPressureFromRaw(*counters.pressureLevel).value_or(MemoryPressure::normal)
            : MemoryPressure::normal;
    return reading;
}

CPUTimes SystemSampler::cpuTimes() const {
    if (ticksPerSecond_ == 0) {
        return CPUTimes{};
    }
    const auto seconds = [this](std::uint64_t ticks) {
        return static_cast<double>(ticks) / static_cast<double>(ticksPerSecond_);
    };
    return CPUTimes{
        .user = seconds(userTicks_), .system = seconds(systemTicks_), .idle = seconds(idleTicks_)};
}

GPUSnapshot SystemSampler::sampleGPU() {
    std::optional<GPUSnapshot> best;
    for (GPUSnapshot& reading : sampleGPUs()) {
        // Strictly greater: ties keep the earlier accelerator, and all values travel together.
        if (!best || reading.utilization > best->utilization) {
            best = std::move(reading);
        }
    }
    return best.value_or(GPUSnapshot{});
}

std::vector<GPUSnapshot> SystemSampler::sampleGPUs() {
    std::vector<GPUSnapshot> readings;
    for (const Accelerator& accelerator : host_->accelerators()) {
        if (accelerator.statistics) {
            readings.push_back(candidate(accelerator));
        }
    }
    return readings;
}

}  // namespace vantric
