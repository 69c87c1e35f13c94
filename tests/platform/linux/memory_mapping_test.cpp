#include "platform/linux/memory_mapping.hpp"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "core/system_sampler.hpp"
#include "platform/linux/linux_host.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::fixturePath;
using testing::readFixture;

constexpr std::uint64_t kilobyte = 1024;

struct MemoryShape {
    const char* name;
    const char* host;

    friend void PrintTo(const MemoryShape& row, std::ostream* out) { *out << row.name; }
};

class MemoryMappingShapes : public ::testing::TestWithParam<MemoryShape> {
protected:
    MemorySnapshot sample() {
        SystemSampler sampler(std::make_unique<LinuxHost>(fixturePath("hosts") / GetParam().host,
                                                          LinuxHost::Options{.nvmlLibrary = ""}));
        return sampler.sampleMemory();
    }
    Meminfo meminfo() {
        return parseMeminfo(readFixture(std::string("hosts/") + GetParam().host + "/proc/meminfo"));
    }
};

TEST_P(MemoryMappingShapes, MemoryInUseNeverExceedsTotal) {
    const MemorySnapshot memory = sample();
    ASSERT_GT(memory.total, 0U);
    EXPECT_LE(memory.app + memory.wired + memory.compressed, memory.total);
}

TEST_P(MemoryMappingShapes, ClassesAddUpToWhatIsNotFree) {
    const MemorySnapshot memory = sample();
    const Meminfo info = meminfo();
    EXPECT_EQ(memory.app + memory.wired + memory.compressed + memory.cached,
              (*info.memTotal - *info.memFree) * kilobyte);
}

TEST_P(MemoryMappingShapes, InUseIsWithinFivePointsOfWhatIsNotAvailable) {
    const Meminfo info = meminfo();
    if (!info.memAvailable) {
        GTEST_SKIP() << "this kernel does not report MemAvailable";
    }
    const double notAvailable = static_cast<double>(*info.memTotal - *info.memAvailable) /
                                static_cast<double>(*info.memTotal);
    EXPECT_NEAR(memoryInUseFraction(sample()), notAvailable, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Machines, MemoryMappingShapes,
                         ::testing::Values(MemoryShape{"thisMachine", "this-machine"},
                                           MemoryShape{"laptopWithZram", "laptop-zram"},
                                           MemoryShape{"serverWithZswapAndHugePages", "server128"},
                                           MemoryShape{"oldKernel", "old-kernel"},
                                           MemoryShape{"lowMemory", "no-psi-low-memory"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MemoryMapping, LaptopWithZramSwapInUse) {
    // MemTotal 16234472, MemFree 2103420, Buffers 312004, Cached 5120332, AnonPages 6120800,
    // Shmem 1023400, KReclaimable 402112 kB; zram0 holds 627048448 bytes.
    const Meminfo info = parseMeminfo(readFixture("hosts/laptop-zram/proc/meminfo"));
    const auto pages = vmPageCountsFromMeminfo(info, 627048448, 4096);
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->internal * 4, 6120800U + 1023400U);
    EXPECT_EQ(pages->external * 4, 312004U + (5120332U - 1023400U) + 402112U);
    EXPECT_EQ(pages->compressor * 4096, 627048448U);
    EXPECT_EQ(pages->wired * 4, (16234472U - 2103420U) - 7144200U - 4811048U - 627048448U / 1024);
    EXPECT_EQ(pages->purgeable, 0U);
}

TEST(MemoryMapping, ZswapPoolCountsAsCompressed) {
    const Meminfo info = parseMeminfo(readFixture("hosts/server128/proc/meminfo"));
    const auto pages = vmPageCountsFromMeminfo(info, 0, 4096);
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->compressor * 4, *info.zswap);
}

TEST(MemoryMapping, FallsBackToSlabReclaimableOnKernelsWithoutKReclaimable) {
    const Meminfo info = parseMeminfo(readFixture("hosts/old-kernel/proc/meminfo"));
    const auto pages = vmPageCountsFromMeminfo(info, 0, 4096);
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->external * 4, 120400U + (1402300U - 60400U) + 120300U);
}

TEST(MemoryMapping, MissingLineGivesNoCounts) {
    Meminfo info = parseMeminfo(readFixture("hosts/this-machine/proc/meminfo"));
    ASSERT_TRUE(vmPageCountsFromMeminfo(info, 0, 4096));
    info.anonPages.reset();
    EXPECT_FALSE(vmPageCountsFromMeminfo(info, 0, 4096));
    EXPECT_FALSE(vmPageCountsFromMeminfo(Meminfo{}, 0, 4096));
}

TEST(MemoryMapping, DisagreeingLinesAreHeldToWhatIsAllocated) {
    // Lines read at different instants: anonymous memory above what is allocated.
    const Meminfo info{.memTotal = 1000,
                       .memFree = 600,
                       .buffers = 0,
                       .cached = 50,
                       .anonPages = 500,
                       .shmem = 10};
    const auto pages = vmPageCountsFromMeminfo(info, 300 * kilobyte, 1024);
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->internal, 400U);
    EXPECT_EQ(pages->compressor, 0U);
    EXPECT_EQ(pages->wired, 0U);
    EXPECT_LE(pages->internal + pages->compressor + pages->wired, 1000U);
}

TEST(MemoryMapping, SwapUsageInBytes) {
    const Meminfo laptop = parseMeminfo(readFixture("hosts/laptop-zram/proc/meminfo"));
    EXPECT_EQ(swapUsageFromMeminfo(laptop),
              (SwapUsage{.total = 8117236 * kilobyte, .used = (8117236 - 5912004) * kilobyte}));
    EXPECT_EQ(swapUsageFromMeminfo(Meminfo{.swapTotal = 0, .swapFree = 0}), SwapUsage{});
    EXPECT_EQ(swapUsageFromMeminfo(Meminfo{.swapTotal = 10, .swapFree = 20}),
              (SwapUsage{.total = 10 * kilobyte, .used = 0}));
    EXPECT_FALSE(swapUsageFromMeminfo(Meminfo{.swapTotal = 10}));
}

}  // namespace
}  // namespace vantric
