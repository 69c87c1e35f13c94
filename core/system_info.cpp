#include "core/system_info.hpp"

#include <algorithm>
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

// Each accelerator's own name when it has one, even an empty one; otherwise the default device's,
// else "GPU". The core count comes from the accelerator either way.
std::vector<GpuModel> gpuModels(MachineFacts& facts) {
    std::vector<GpuModel> models;
    std::optional<std::string> fallback;  // asked for only when a model has no name
    for (AcceleratorModel& accelerator : facts.accelerators()) {
        GpuModel model{.device = std::move(accelerator.device), .cores = accelerator.coreCount};
        if (accelerator.model) {
            model.name = std::move(*accelerator.model);
        } else {
            if (!fallback) {
                fallback = facts.defaultGraphicsDeviceName().value_or("GPU");
            }
            model.name = *fallback;
        }
        models.push_back(std::move(model));
    }
    return models;
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
    info.gpus = gpuModels(facts);
    if (info.gpus.empty()) {
        info.gpuName = facts.defaultGraphicsDeviceName().value_or("GPU");
    } else {
        info.gpuName = info.gpus.front().name;
        info.gpuCores = info.gpus.front().cores;
    }
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

GpuModel SystemInfo::gpuModel(std::string_view device) const {
    if (!device.empty()) {
        const auto found = std::find_if(gpus.begin(), gpus.end(), [&](const GpuModel& model) {
            return model.device == device;
        });
        if (found != gpus.end()) {
            return *found;
        }
    }
    return GpuModel{.device = std::string(device), .name = gpuName, .cores = gpuCores};
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
    Json gpus = Json::array();
    for (const GpuModel& model : info.gpus) {
        Json entry = Json::object();
        entry["device"] = model.device;
        entry["name"] = model.name;
        entry["cores"] = optionalJson(model.cores);
        gpus.push_back(std::move(entry));
    }
    json["gpus"] = std::move(gpus);
    json["osVersion"] = info.osVersion;
    json["bootTime"] = info.bootTime ? Json(secondsSinceEpoch(*info.bootTime)) : Json(nullptr);
    json["coreSummary"] = info.coreSummary();
    return json;
}

}  // namespace vantric
