#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantric {

// Which memory a device's memory figures count: its own (video memory), RAM the driver holds for
// it (system memory), or both summed; none where it publishes no memory figure.
enum class GpuMemoryKind { none, video, system, both };

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
    GpuMemoryKind memoryKind = GpuMemoryKind::none;
    std::string device{};           // Accelerator::device of the device read
    bool ownProcessesOnly = false;  // the load counts only this user's processes

    bool operator==(const GPUSnapshot&) const = default;
};

}  // namespace vantric
