#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantric {

// The kernel's memory-pressure level. The raw values are the kernel's own numbering; there is no
// level 0 or 3.
enum class MemoryPressure : std::int32_t {
    normal = 1,
    warning = 2,
    critical = 4,
};

constexpr std::int32_t rawValue(MemoryPressure pressure) {
    return static_cast<std::int32_t>(pressure);
}

// Succeeds only for 1, 2 and 4.
constexpr std::optional<MemoryPressure> memoryPressureFromRaw(std::int64_t raw) {
    switch (raw) {
    case 1: return MemoryPressure::normal;
    case 2: return MemoryPressure::warning;
    case 4: return MemoryPressure::critical;
    default: return std::nullopt;
    }
}

// "Normal", "Elevated" or "Critical": how every view names the level.
std::string_view displayLabel(MemoryPressure pressure);

}  // namespace vantric
