#include "core/memory_snapshot.hpp"

#include <algorithm>

#include "core/saturating_sum.hpp"

namespace vantric {

std::uint64_t memoryInUse(const MemorySnapshot& memory) {
    return saturatingSum(saturatingSum(memory.app, memory.wired), memory.compressed);
}

double memoryInUseFraction(const MemorySnapshot& memory) {
    if (memory.total == 0) {
        return 0;
    }
    const double fraction =
        static_cast<double>(memoryInUse(memory)) / static_cast<double>(memory.total);
    return std::min(fraction, 1.0);
}

}  // namespace vantric
