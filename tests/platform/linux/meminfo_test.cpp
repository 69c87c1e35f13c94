#include "platform/linux/meminfo.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(Meminfo, ReadsWholeKilobyteLinesAndNothingElse) {
    const Meminfo info = parseMeminfo(
        "MemTotal:       1000 kB\n"
        "MemTotalX:      5 kB\n"
        "Cached:         100 MB\n"
        "AnonPages:      100\n"
        "Shmem:          7 kB trailing\n"
        "SwapTotal:\n"
        "SwapFree:       5 kB\n"
        "Shmem:           1125899906842625 kB\n"  // 2^50 + 1: more than fits in bytes
        "Zswap:          3 k");                   // cut short
    EXPECT_EQ(info, (Meminfo{.memTotal = 1000, .swapFree = 5}));
}

}  // namespace
}  // namespace vantric
