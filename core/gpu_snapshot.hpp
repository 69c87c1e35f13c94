#pragma once

#include <cstdint>
#include <optional>

namespace vantric {

// Load and memory of the busiest graphics accelerator. The zero value (available false) is the
// reading when no accelerator publishes statistics.
struct GPUSnapshot {
    bool available = false;
    double utilization = 0;  // fraction, 0 to 1
    // Fractions, 0 to 1; absent where the driver publishes no such figure, which no Linux
    // driver does, so that a view need not show a missing figure as an idle one.
    std::optional<double> renderer{};  // 3D pipeline
    std::optional<double> tiler{};
    std::uint64_t memoryInUse = 0;      // bytes the driver has in use
    std::uint64_t memoryAllocated = 0;  // bytes the driver has allocated

    bool operator==(const GPUSnapshot&) const = default;
};

}  // namespace vantric
