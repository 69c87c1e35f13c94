#include "platform/linux/meminfo.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;

TEST(Meminfo, ReadsTheLinesOfARealCapture) {
    const Meminfo info = parseMeminfo(readFixture("hosts/this-machine/proc/meminfo"));
    EXPECT_EQ(info.memTotal, 24683784U);
    EXPECT_TRUE(info.memFree && info.memAvailable && info.buffers && info.cached &&
                info.anonPages && info.shmem && info.kReclaimable && info.sReclaimable &&
                info.swapTotal && info.swapFree && info.zswap);
    EXPECT_EQ(info.swapTotal, 0U);
}

TEST(Meminfo, LinesAnOlderKernelLacksAreAbsent) {
    const Meminfo info = parseMeminfo(readFixture("hosts/old-kernel/proc/meminfo"));
    EXPECT_EQ(info.memTotal, 4046848U);
    EXPECT_FALSE(info.memAvailable);
    EXPECT_FALSE(info.kReclaimable);
    EXPECT_FALSE(info.zswap);
    EXPECT_EQ(info.sReclaimable, 120300U);
}

TEST(Meminfo, ALineThatIsNotAWholeKilobyteCountIsAbsent) {
    const Meminfo info = parseMeminfo(
        "MemTotal:       1000 kB\n"
        "MemFree:        12x4 kB\n"
        "Buffers:        -5 kB\n"
        "Cached:         100 MB\n"
        "AnonPages:      100\n"
        "Shmem:          7 kB trailing\n"
        "SwapTotal:\n"
        "SwapFree:       5 kB\n");
    EXPECT_EQ(info.memTotal, 1000U);
    EXPECT_FALSE(info.memFree);
    EXPECT_FALSE(info.buffers);
    EXPECT_FALSE(info.cached);
    EXPECT_FALSE(info.anonPages);
    EXPECT_FALSE(info.shmem);
    EXPECT_FALSE(info.swapTotal);
    EXPECT_EQ(info.swapFree, 5U);
}

TEST(Meminfo, ALastLineCutShortIsNotRead) {
    // "MemFree: 24578204 kB" cut to "MemFree: 245": a plausible but wrong number.
    const std::string whole = readFixture("hosts/this-machine/proc/meminfo");
    const std::size_t cut = whole.find("MemFree:") + 20;
    const Meminfo info = parseMeminfo(whole.substr(0, cut));
    EXPECT_EQ(info.memTotal, 24683784U);
    EXPECT_FALSE(info.memFree);
}

TEST(Meminfo, NamesMustMatchWhole) {
    const Meminfo info = parseMeminfo("MemTotalX: 5 kB\nXMemFree: 3 kB\nCached: 9 kB\n");
    EXPECT_FALSE(info.memTotal);
    EXPECT_FALSE(info.memFree);
    EXPECT_EQ(info.cached, 9U);
}

}  // namespace
}  // namespace vantric
