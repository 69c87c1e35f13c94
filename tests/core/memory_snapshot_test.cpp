#include "core/memory_snapshot.hpp"

#include <limits>

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(MemoryInUse, FractionIsZeroWhenTotalIsZero) {
    EXPECT_EQ(memoryInUseFraction(MemorySnapshot{}), 0.0);
    EXPECT_EQ(memoryInUseFraction(MemorySnapshot{.total = 0, .app = 5}), 0.0);
}

TEST(MemoryInUse, CountsAppWiredAndCompressedButNotCache) {
    const MemorySnapshot memory{
        .total = 100, .app = 10, .wired = 20, .compressed = 5, .cached = 60, .swapUsed = 50};
    EXPECT_EQ(memoryInUse(memory), 35U);
    EXPECT_DOUBLE_EQ(memoryInUseFraction(memory), 0.35);
}

TEST(MemoryInUse, FractionIsExactlyOneWhenInUseExceedsTotal) {
    EXPECT_EQ(memoryInUseFraction(MemorySnapshot{.total = 10, .app = 8, .wired = 3}), 1.0);
}

TEST(MemoryInUse, SaturatesInsteadOfWrappingToASmallFraction) {
    constexpr auto most = std::numeric_limits<std::uint64_t>::max();
    const MemorySnapshot memory{.total = 1000, .app = most, .wired = most, .compressed = 2};
    EXPECT_EQ(memoryInUse(memory), most);
    EXPECT_EQ(memoryInUseFraction(memory), 1.0);
}

TEST(MemoryPressureLabel, NamesWarningElevated) {
    EXPECT_EQ(displayLabel(MemoryPressure::normal), "Normal");
    EXPECT_EQ(displayLabel(MemoryPressure::warning), "Elevated");
    EXPECT_EQ(displayLabel(MemoryPressure::critical), "Critical");
}

}  // namespace
}  // namespace vantric
