#include "core/system_info.hpp"

#include <utility>

namespace vantric {

namespace {

using std::chrono::system_clock;

// seconds + microseconds / 10^6 after the epoch. A record the time_point cannot hold (the
// platform's clock counts nanoseconds in 64 bits, about 292 years either side of 1970) is
// absent: converting it would overflow.
std::optional<system_clock::time_point> instantOf(const KernelTime& time) {
    using std::chrono::duration_cast;
    using std::chrono::microseconds;
    using std::chrono::seconds;
    // One second short of the limit leaves room for the microseconds.
    constexpr auto latest = duration_cast<seconds>(system_clock::duration::max()).count() - 1;
    constexpr auto earliest = duration_cast<seconds>(system_clock::duration::min()).count() + 1;
    if (time.seconds < earliest || time.seconds > latest || time.microseconds < 0 ||
        time.microseconds > 999'999) {
        return std::nullopt;
    }
    return system_clock::time_point(duration_cast<system_clock::duration>(
        seconds(time.seconds) + microseconds(time.microseconds)));
}

struct GpuDetails {
    std::string name;
    std::optional<std::int64_t> cores;
};

// The accelerator's own name when it has one, even an empty one; otherwise the default device's.
// The core count comes from the accelerator either way.
GpuDetails gpuDetails(MachineFacts& facts) {
    auto accelerator = facts.firstAccelerator();
    std::optional<std::int64_t> cores = accelerator ? accelerator->coreCount : std::nullopt;
    if (accelerator && accelerator->model) {
        return GpuDetails{.name = std::move(*accelerator->model), .cores = cores};
    }
    auto fallback = facts.defaultGraphicsDeviceName();
    return GpuDetails{.name = fallback ? std::move(*fallback) : std::string("GPU"), .cores = cores};
}

// Whole seconds and the fraction converted apart: dividing the nanosecond count as one double
// would round 1700000000.25 to 1700000000.2499998.
double secondsSinceEpoch(system_clock::time_point instant) {
    const auto sinceEpoch = instant.time_since_epoch();
    const auto whole = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    return static_cast<double>(whole.count()) +
           std::chrono::duration<double>(sinceEpoch - whole).count();
}

Json optionalJson(const std::optional<std::int64_t>& value) {
    return value ? Json(*value) : Json(nullptr);
}

}  // namespace

SystemInfo SystemInfo::current(MachineFacts& facts) {
    SystemInfo info;
    auto gpu = gpuDetails(facts);
    info.gpuName = std::move(gpu.name);
    info.gpuCores = gpu.cores;
    info.osVersion = facts.operatingSystemName();
    auto brand = facts.processorBrand();
    info.chip = brand ? std::move(*brand) : facts.machineName();
    // A running machine has at least the processor running this code.
    info.cores = facts.logicalProcessorCount().value_or(1);
    const PerformanceLevelCounts levels = facts.performanceLevels();
    info.performanceCores = levels.level0;
    info.efficiencyCores = levels.level1;
    info.memory = facts.physicalMemory();
    if (const auto booted = facts.bootTime()) {
        info.bootTime = instantOf(*booted);
    }
    return info;
}

std::string SystemInfo::coreSummary() const {
    std::string summary = std::to_string(cores) + " cores";
    if (performanceCores && efficiencyCores) {
        summary += " (" + std::to_string(*performanceCores) + "P + " +
                   std::to_string(*efficiencyCores) + "E)";
    }
    return summary;
}

Json toJson(const SystemInfo& info) {
    Json json = Json::object();
    json["chip"] = info.chip;
    json["cores"] = info.cores;
    json["performanceCores"] = optionalJson(info.performanceCores);
    json["efficiencyCores"] = optionalJson(info.efficiencyCores);
    json["memory"] = info.memory;
    json["gpuName"] = info.gpuName;
    json["gpuCores"] = optionalJson(info.gpuCores);
    json["osVersion"] = info.osVersion;
    json["bootTime"] = info.bootTime ? Json(secondsSinceEpoch(*info.bootTime)) : Json(nullptr);
    json["coreSummary"] = info.coreSummary();
    return json;
}

}  // namespace vantric
