#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/linux/cpu_list.hpp"

namespace vantric {

// Online logical processors of the two kinds of core of a heterogeneous processor.
struct ProcessorLevels {
    std::int64_t performance = 0;
    std::int64_t efficiency = 0;

    bool operator==(const ProcessorLevels&) const = default;
};

// Intel hybrid processors register one perf PMU per kind of core, cpu_core (P cores) and
// cpu_atom (E cores), each with the list of its processors. Counted among the online processors
// when those are known. Nothing when either kind has no processor online: a machine running on
// one kind of core has no levels to tell apart.
std::optional<ProcessorLevels> levelsFromHybridLists(const CpuSet& performance,
                                                     const CpuSet& efficiency,
                                                     const std::optional<CpuSet>& online);

// ARM big.LITTLE and DynamIQ: the scheduler's cpu_capacity of each online processor (1024 for the
// fastest). Efficiency counts the processors of the lowest capacity, performance all the others,
// so the three clusters of a phone (little, big, prime) read as little against big and prime
// together. Nothing when the capacities are all equal or there are none.
std::optional<ProcessorLevels> levelsFromCapacities(const std::vector<std::uint64_t>& capacities);

// The levels of the machine under root: from the hybrid PMUs (root/sys/devices/cpu_core/cpus and
// cpu_atom/cpus) when both can be read, else from root/sys/devices/system/cpu/cpuN/cpu_capacity
// of every online processor, which all need to be readable. The PMUs come first: they name the
// kind of each core, where capacities only rank them (the low-power E cores of a Meteor Lake rank
// below its other E cores).
std::optional<ProcessorLevels> readProcessorLevels(const std::filesystem::path& root);

}  // namespace vantric
