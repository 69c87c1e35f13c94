#include "platform/linux/linux_host.hpp"

#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "core/system_sampler.hpp"
#include "platform/linux/meminfo.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;
using testing::TemporaryTree;
using testing::writeFile;

// The fixtures were captured on machines of 4 KiB pages.
SystemSampler samplerFor(const std::filesystem::path& root) {
    return SystemSampler(std::make_unique<LinuxHost>(
        root, LinuxHost::Options{
                  .nvmlLibrary = "", .deviceRescan = std::chrono::seconds(0), .pageSize = 4096}));
}

TEST(LinuxHost, ReadsEveryRecordOfEachMachine) {
    // Processors, pressure, compressed bytes, whether there is swap, whether a card is busy.
    const std::tuple<const char*, std::size_t, MemoryPressure, std::uint64_t, bool, bool> rows[] = {
        {"this-machine", 2, MemoryPressure::normal, 0, false, false},
        {"laptop-zram", 7, MemoryPressure::warning, 627048448, true, true},
        {"server128", 128, MemoryPressure::critical, 6291456 * 1024UL, true, false},
        {"old-kernel", 4, MemoryPressure::normal, 0, false, false},  // without PSI or available
        {"no-psi-low-memory", 2, MemoryPressure::critical, 0, true, false},  // by available
        {"page-churn-high", 0, MemoryPressure::normal, 0, false, false},     // full per-CPU lists
    };
    for (const auto& [host, processors, pressure, compressed, swap, gpu] : rows) {
        SCOPED_TRACE(host);
        SystemSampler sampler = samplerFor(testing::fixturePath("hosts") / host);
        EXPECT_EQ(sampler.sampleCPU().perCore.size(), processors);
        const MemorySnapshot memory = sampler.sampleMemory();
        EXPECT_GT(memory.app, 0U);
        EXPECT_EQ(std::tuple(memory.pressure, memory.compressed, memory.swapTotal > 0),
                  std::tuple(pressure, compressed, swap));
        EXPECT_EQ(sampler.sampleGPU().available, gpu);
    }
    // The laptop's classes in kB, as its meminfo and zram device give them (see MemoryMapping).
    EXPECT_EQ(samplerFor(testing::fixturePath("hosts/laptop-zram")).sampleMemory(),
              (MemorySnapshot{.total = 16234472 * 1024UL,
                              .app = (6120800 + 1023400) * 1024UL,
                              .wired = (16234472 - 2103420 - 7144200 - 612352 - 4811048) * 1024UL,
                              .compressed = 627048448,
                              .cached = (312004 + (5120332 - 1023400) + 402112) * 1024UL,
                              .swapUsed = (8117236 - 5912004) * 1024UL,
                              .swapTotal = 8117236 * 1024UL,
                              .pressure = MemoryPressure::warning}));
}

// Captured here while a process allocated 300 MiB, wrote it and freed it again and again: the
// per-CPU lists held 42 and 222 MiB of free pages. Counted as allocated, they moved wired from 95
// to 276 MiB; the kernel's own memory stayed near 54 MiB.
TEST(LinuxHost, WiredStaysPutWhileFreedPagesPassThroughThePerCpuLists) {
    const MemorySnapshot low =
        samplerFor(testing::fixturePath("hosts/page-churn-low")).sampleMemory();
    const MemorySnapshot high =
        samplerFor(testing::fixturePath("hosts/page-churn-high")).sampleMemory();
    constexpr std::uint64_t mebibyte = 1024ULL * 1024;
    EXPECT_LT(std::max(low.wired, high.wired) - std::min(low.wired, high.wired), 8 * mebibyte);
    EXPECT_LT(high.wired, 64 * mebibyte);
}

// Without swap, PSI reads calm until the kernel is out of memory; 4 % available is critical now.
TEST(LinuxHost, PressureIsTheWorseOfStallsAndAvailableMemory) {
    TemporaryTree tree("no-psi-low-memory");
    writeFile(tree / "proc/pressure/memory",
              "some avg10=0.00 avg60=0.00 avg300=0.00 total=0\n"
              "full avg10=0.00 avg60=0.00 avg300=0.00 total=0\n");
    EXPECT_EQ(samplerFor(tree.root()).sampleMemory().pressure, MemoryPressure::critical);
}

TEST(LinuxHost, ZramSwapSetUpWhileRunningCountsAtOnce) {
    TemporaryTree tree("laptop-zram");
    writeFile(tree / "sys/block/zram0/initstate", "0\n");
    LinuxHost host(tree.root(),
                   LinuxHost::Options{.nvmlLibrary = "", .deviceRescan = std::chrono::hours(1)});
    EXPECT_EQ(host.memoryCounters().pages->compressor, 0U);

    writeFile(tree / "sys/block/zram0/initstate", "1\n");
    std::string meminfo = readFixture("hosts/laptop-zram/proc/meminfo");
    meminfo.replace(meminfo.find("SwapTotal:       8117236"), 24, "SwapTotal:       8117240");
    writeFile(tree / "proc/meminfo", meminfo);
    EXPECT_EQ(host.memoryCounters().pages->compressor * 1024, 627048448U);
}

TEST(LiveMachine, ReadsEveryOnlineProcessorAndMemoryAsTheKernelDoes) {
    SystemSampler sampler(std::make_unique<LinuxHost>());
    sampler.sampleCPU();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(sampler.sampleCPU().perCore.size(),
              static_cast<std::size_t>(sysconf(_SC_NPROCESSORS_ONLN)));

    const MemorySnapshot memory = sampler.sampleMemory();
    const Meminfo info = parseMeminfo(testing::readFile("/proc/meminfo"));
    ASSERT_TRUE(info.memTotal && info.memAvailable);
    EXPECT_EQ(memory.total, *info.memTotal * 1024);
    const double notAvailable = static_cast<double>(*info.memTotal - *info.memAvailable) /
                                static_cast<double>(*info.memTotal);
    EXPECT_NEAR(memoryInUseFraction(memory), notAvailable, 0.05);
}

}  // namespace
}  // namespace vantric
