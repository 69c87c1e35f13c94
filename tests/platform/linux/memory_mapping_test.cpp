#include "platform/linux/memory_mapping.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;

constexpr std::uint64_t kilobyte = 1024;

TEST(MemoryMapping, EachClassComesFromItsLines) {
    // MemTotal 16234472, MemFree 2103420, Buffers 312004, Cached 5120332, AnonPages 6120800,
    // Shmem 1023400, KReclaimable 402112 kB; zram0 holds 627048448 bytes (612352 kB), and the
    // per-CPU lists 100000 free pages of 4 KiB (400000 kB).
    EXPECT_EQ(vmPageCountsFromMeminfo(parseMeminfo(readFixture("hosts/laptop-zram/proc/meminfo")),
                                      627048448, std::uint64_t{100000} * 4096),
              (VMPageCounts{.pageSize = kilobyte,
                            .wired = 14131052U - 400000U - 7144200U - 4811048U - 612352U,
                            .compressor = 612352U,
                            .external = 312004U + (5120332U - 1023400U) + 402112U,
                            .internal = 6120800U + 1023400U}));

    // Before KReclaimable, the reclaimable slab stands for it.
    const Meminfo old = parseMeminfo(readFixture("hosts/old-kernel/proc/meminfo"));
    EXPECT_EQ(vmPageCountsFromMeminfo(old, 0, 0).value().external,
              120400U + (1402300U - 60400U) + 120300U);
}

TEST(MemoryMapping, MissingOrDisagreeingLines) {
    Meminfo info = parseMeminfo(readFixture("hosts/this-machine/proc/meminfo"));
    info.anonPages.reset();
    EXPECT_FALSE(vmPageCountsFromMeminfo(info, 0, 0));

    // Lines read at different instants: anonymous memory above what is allocated.
    EXPECT_EQ(vmPageCountsFromMeminfo({.memTotal = 1000,
                                       .memFree = 600,
                                       .buffers = 0,
                                       .cached = 50,
                                       .anonPages = 500,
                                       .shmem = 10},
                                      300 * kilobyte, 0),
              (VMPageCounts{.pageSize = kilobyte, .external = 40, .internal = 400}));
}

TEST(MemoryMapping, SwapUsageInBytes) {
    EXPECT_EQ(swapUsageFromMeminfo(parseMeminfo(readFixture("hosts/laptop-zram/proc/meminfo"))),
              (SwapUsage{.total = 8117236 * kilobyte, .used = (8117236 - 5912004) * kilobyte}));
    EXPECT_EQ(swapUsageFromMeminfo({.swapTotal = 10, .swapFree = 20}),
              (SwapUsage{.total = 10 * kilobyte, .used = 0}));
    EXPECT_FALSE(swapUsageFromMeminfo({.swapTotal = 10}));
}

}  // namespace
}  // namespace vantric
