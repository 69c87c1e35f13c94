#pragma once

#include <cstdint>

#include "core/memory_pressure.hpp"

namespace vantric {

// Physical memory, swap and pressure, every count in bytes. The four memory classes are reported as
// the kernel counts them; nothing is clamped against total.
struct MemorySnapshot {
    std::uint64_t total = 0;       // installed physical memory
    std::uint64_t app = 0;         // anonymous memory that is not purgeable
    std::uint64_t wired = 0;       // memory the kernel cannot page out
    std::uint64_t compressed = 0;  // memory occupied by the compressor
    std::uint64_t cached = 0;      // file-backed pages plus purgeable pages
    std::uint64_t swapUsed = 0;
    std::uint64_t swapTotal = 0;
    MemoryPressure pressure = MemoryPressure::normal;

    bool operator==(const MemorySnapshot&) const = default;
};

// app + wired + compressed. Saturates instead of wrapping, so counts decoded from elsewhere cannot
// turn a full machine into an empty one.
std::uint64_t memoryInUse(const MemorySnapshot& memory);

// Memory in use over total, capped at 1; 0 when total is 0.
double memoryInUseFraction(const MemorySnapshot& memory);

}  // namespace vantric
