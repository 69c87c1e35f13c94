#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/json_result.hpp"
#include "platform/machine_facts.hpp"

namespace vantric {

// What one graphics device is, named as the GPU reading names it.
struct GpuModel {
    std::string device{};  // Accelerator::device
    // Its model, else the default graphics device's name, else "GPU".
    std::string name{};
    std::optional<std::int64_t> cores{};  // when it publishes them

    bool operator==(const GpuModel&) const = default;
};

// The static description of the machine, gathered once when the metrics store is created and
// only read afterwards. Nothing here fails: a fact that cannot be read takes its fallback or is
// absent.
struct SystemInfo {
    std::string chip{};      // the processor's brand name, else the platform's machine name
    std::int64_t cores = 0;  // logical processors, at least 1 once gathered
    std::optional<std::int64_t> performanceCores{};  // logical processors of performance level 0
    std::optional<std::int64_t> efficiencyCores{};   // logical processors of performance level 1
    std::uint64_t memory = 0;                        // installed physical memory, bytes
    // The first accelerator's model, else the default graphics device's name, else "GPU".
    std::string gpuName{};
    std::optional<std::int64_t> gpuCores{};  // the first accelerator's, when it publishes them
    std::vector<GpuModel> gpus{};            // every accelerator, in the platform's order
    std::string osVersion{};                 // the operating system's name for display
    // Absent when it cannot be read or lies beyond what the clock can hold.
    std::optional<std::chrono::system_clock::time_point> bootTime{};

    // Gathers every field now. Called once, on the main thread, by the metrics store.
    static SystemInfo current(MachineFacts& facts);

    // "10 cores (4P + 6E)" when both performance levels are known, "8 cores" otherwise. The first
    // number is always cores, not the sum of the levels.
    std::string coreSummary() const;

    // The model of the device the GPU reading names. A device not among gpus (none named, or one
    // that appeared after the facts were gathered) is described by gpuName and gpuCores.
    GpuModel gpuModel(std::string_view device) const;

    bool operator==(const SystemInfo&) const = default;
};

// One object with the fields in declaration order (gpus as an array of {"device", "name",
// "cores"}), absent fields as null, bootTime as seconds
// since 1970-01-01 00:00:00 UTC (a fraction), then "coreSummary". Dumping it never throws: the
// texts are valid UTF-8 by the MachineFacts contract.
Json toJson(const SystemInfo& info);

}  // namespace vantric
