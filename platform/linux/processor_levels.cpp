#include "platform/linux/processor_levels.hpp"

#include <algorithm>
#include <string>

#include "platform/linux/file_text.hpp"
#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

std::optional<CpuSet> readCpuList(const std::filesystem::path& path) {
    const auto text = readFileText(path);
    return text ? parseCpuList(*text) : std::nullopt;
}

}  // namespace

std::optional<ProcessorLevels> levelsFromHybridLists(const CpuSet& performance,
                                                     const CpuSet& efficiency,
                                                     const std::optional<CpuSet>& online) {
    const auto count = [&](const CpuSet& kind) {
        return static_cast<std::int64_t>(online ? countCommon(kind, *online) : kind.size());
    };
    const ProcessorLevels levels{.performance = count(performance),
                                 .efficiency = count(efficiency)};
    if (levels.performance == 0 || levels.efficiency == 0) {
        return std::nullopt;
    }
    return levels;
}

std::optional<ProcessorLevels> levelsFromCapacities(const std::vector<std::uint64_t>& capacities) {
    if (capacities.empty()) {
        return std::nullopt;
    }
    const std::uint64_t lowest = *std::min_element(capacities.begin(), capacities.end());
    const auto efficiency =
        static_cast<std::int64_t>(std::count(capacities.begin(), capacities.end(), lowest));
    const auto performance = static_cast<std::int64_t>(capacities.size()) - efficiency;
    if (performance == 0) {
        return std::nullopt;
    }
    return ProcessorLevels{.performance = performance, .efficiency = efficiency};
}

std::optional<ProcessorLevels> readProcessorLevels(const std::filesystem::path& root) {
    const auto online = readCpuList(root / "sys/devices/system/cpu/online");
    const auto core = readCpuList(root / "sys/devices/cpu_core/cpus");
    const auto atom = readCpuList(root / "sys/devices/cpu_atom/cpus");
    if (core && atom) {
        return levelsFromHybridLists(*core, *atom, online);
    }
    if (!online) {
        return std::nullopt;
    }
    std::vector<std::uint64_t> capacities;
    for (const std::uint32_t processor : *online) {
        const auto text = readFileText(root / "sys/devices/system/cpu" /
                                       ("cpu" + std::to_string(processor)) / "cpu_capacity");
        const auto capacity = text ? parseAttributeNumber(*text) : std::nullopt;
        if (!capacity) {
            return std::nullopt;
        }
        capacities.push_back(*capacity);
    }
    return levelsFromCapacities(capacities);
}

}  // namespace vantric
