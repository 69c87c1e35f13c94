#include "core/memory_snapshot.hpp"

#include <algorithm>
#include <limits>

namespace vantric {

namespace {

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t room = std::numeric_limits<std::uint64_t>::max() - a;
    return b > room ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

}  // namespace

std::uint64_t memoryInUse(const MemorySnapshot& memory) {
    return saturatingAdd(saturatingAdd(memory.app, memory.wired), memory.compressed);
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
