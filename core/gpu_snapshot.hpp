#pragma once

#include <cstdint>

namespace vantric {

// Load and memory of the busiest graphics accelerator. The zero value (available false) is the
// reading when no accelerator publishes statistics.
struct GPUSnapshot {
    bool available = false;
    double utilization = 0;             // fraction, 0 to 1
    double renderer = 0;                // 3D pipeline, fraction, 0 to 1
    double tiler = 0;                   // fraction, 0 to 1
    std::uint64_t memoryInUse = 0;      // bytes the driver has in use
    std::uint64_t memoryAllocated = 0;  // bytes the driver has allocated

    bool operator==(const GPUSnapshot&) const = default;
};

}  // namespace vantric
