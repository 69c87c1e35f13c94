#include "core/memory_snapshot.hpp"

#include <limits>

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(MemoryInUse, IsAppWiredAndCompressedOverTotalCappedAndNeverNaN) {
    constexpr auto most = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(memoryInUseFraction(MemorySnapshot{.total = 0, .app = 5}), 0.0);
    EXPECT_DOUBLE_EQ(
        memoryInUseFraction(
            {.total = 100, .app = 10, .wired = 20, .compressed = 5, .cached = 60, .swapUsed = 50}),
        0.35);
    EXPECT_EQ(memoryInUseFraction(MemorySnapshot{.total = 10, .app = 8, .wired = 3}), 1.0);
    // Counts decoded from elsewhere saturate rather than wrap to a small fraction.
    const MemorySnapshot huge{.total = 1000, .app = most, .wired = most, .compressed = 2};
    EXPECT_EQ(memoryInUse(huge), most);
    EXPECT_EQ(memoryInUseFraction(huge), 1.0);
}

}  // namespace
}  // namespace vantric
