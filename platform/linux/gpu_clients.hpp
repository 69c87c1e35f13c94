#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "platform/linux/drm_client_usage.hpp"
#include "platform/process_table.hpp"

namespace vantric {

// The GPU figures of the processes' clients, found by one part of the Linux platform and read by
// another: the process table's pass scans DRM descriptors and fills drm, the host's NVML devices
// fill nvmlProcesses; the host reports the devices' loads from drm, the table the processes'
// figures from both. Both run on the one thread that samples (the store's worker, or the main
// thread of the JSON lines), so the figures need no lock.
struct GpuClients {
    DrmUsage drm{};  // the last pass's; empty before the first
    // Devices whose clients have shown engine counters: their loads can be counted from clients.
    std::set<std::string, std::less<>> countedDevices{};
    std::unordered_map<std::int32_t, ProcessGpu> nvmlProcesses{};  // from the last reading

    // The process's figures from every source: the busiest device's share, the memory summed.
    std::optional<ProcessGpu> process(std::int32_t pid) const {
        std::optional<ProcessGpu> merged;
        for (const auto* source : {&drm.processes, &nvmlProcesses}) {
            const auto found = source->find(pid);
            if (found == source->end()) {
                continue;
            }
            ProcessGpu& sum = merged ? *merged : merged.emplace();
            if (found->second.percent) {
                sum.percent = std::max(sum.percent.value_or(0), *found->second.percent);
            }
            sum.memory = cappedSum(sum.memory, found->second.memory);
        }
        return merged;
    }
};

}  // namespace vantric
