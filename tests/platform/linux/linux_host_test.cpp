#include "platform/linux/linux_host.hpp"

#include <unistd.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "core/system_sampler.hpp"
#include "platform/linux/meminfo.hpp"
#include "platform/linux/zoneinfo.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;
using testing::TemporaryTree;
using testing::writeFile;

// The fixtures were captured on machines of 4 KiB pages.
constexpr std::uint64_t fixturePageSize = 4096;

SystemSampler samplerFor(const std::filesystem::path& root) {
    return SystemSampler(std::make_unique<LinuxHost>(
        root, LinuxHost::Options{.nvmlLibrary = "",
                                 .deviceRescan = std::chrono::seconds(0),
                                 .pageSize = fixturePageSize}));
}

// The free pages of the per-CPU lists of a fixture host, in kB; 0 where it has no zoneinfo.
std::uint64_t perCpuFreeKilobytes(const std::string& host) {
    const auto zoneinfo = testing::fixturePath("hosts") / host / "proc/zoneinfo";
    if (!std::filesystem::exists(zoneinfo)) {
        return 0;
    }
    return parsePerCpuFreePages(testing::readFile(zoneinfo)).value() * fixturePageSize / 1024;
}

struct HostShape {
    const char* name;
    const char* host;
    std::size_t processors;
    MemoryPressure pressure;
    bool swap;
    bool gpu;
    std::uint64_t compressed;
    friend void PrintTo(const HostShape& row, std::ostream* out) { *out << row.name; }
};

class LinuxHostShapes : public ::testing::TestWithParam<HostShape> {};

// Memory in use never exceeds total, the four classes add up to what is not free (on the free
// lists or the per-CPU ones), and in use stays within 5 points of what the kernel calls not
// available.
void expectMemoryAgreesWithTheKernel(const MemorySnapshot& memory, const std::string& host) {
    const Meminfo info = parseMeminfo(readFixture("hosts/" + host + "/proc/meminfo"));
    EXPECT_GT(memory.app, 0U);
    EXPECT_LE(memory.app + memory.wired + memory.compressed, memory.total);
    EXPECT_EQ(memory.app + memory.wired + memory.compressed + memory.cached,
              (*info.memTotal - *info.memFree - perCpuFreeKilobytes(host)) * 1024);
    if (info.memAvailable) {
        const double notAvailable = static_cast<double>(*info.memTotal - *info.memAvailable) /
                                    static_cast<double>(*info.memTotal);
        EXPECT_NEAR(memoryInUseFraction(memory), notAvailable, 0.05);
    }
}

TEST_P(LinuxHostShapes, ReadsEveryRecordOfTheMachine) {
    SystemSampler sampler = samplerFor(testing::fixturePath("hosts") / GetParam().host);
    EXPECT_EQ(sampler.sampleCPU().perCore.size(), GetParam().processors);
    const MemorySnapshot memory = sampler.sampleMemory();
    expectMemoryAgreesWithTheKernel(memory, GetParam().host);
    EXPECT_EQ(memory.pressure, GetParam().pressure);
    EXPECT_EQ(memory.compressed, GetParam().compressed);
    EXPECT_EQ(memory.swapTotal > 0, GetParam().swap);
    EXPECT_EQ(sampler.sampleGPU().available, GetParam().gpu);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, LinuxHostShapes,
    ::testing::Values(HostShape{"thisMachine", "this-machine", 2, MemoryPressure::normal, false,
                                false, 0},
                      HostShape{"laptopElevated", "laptop-zram", 7, MemoryPressure::warning, true,
                                true, 627048448},
                      HostShape{"serverCritical", "server128", 128, MemoryPressure::critical, true,
                                false, 6291456 * 1024UL},
                      HostShape{"oldKernelWithoutPsiOrAvailable", "old-kernel", 4,
                                MemoryPressure::normal, false, false, 0},
                      HostShape{"noPsiFallsBackToAvailable", "no-psi-low-memory", 2,
                                MemoryPressure::critical, true, false, 0},
                      HostShape{"perCpuFreeListsFull", "page-churn-high", 0, MemoryPressure::normal,
                                false, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

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

TEST(LinuxHost, FilesThatVanishGiveZerosAndReturnWithTheBaselineKept) {
    TemporaryTree tree("laptop-zram");
    writeFile(tree / "proc/stat", "cpu  0 0 0 0\ncpu0 100 0 100 0\nintr 0\n");
    SystemSampler sampler = samplerFor(tree.root());
    const MemorySnapshot before = sampler.sampleMemory();
    sampler.sampleCPU();

    std::filesystem::remove(tree / "proc/stat");
    std::filesystem::remove(tree / "proc/meminfo");
    std::filesystem::remove_all(tree / "sys/class");
    EXPECT_EQ(sampler.sampleCPU(), CPUSnapshot{});
    EXPECT_EQ(sampler.sampleMemory(),
              (MemorySnapshot{.compressed = 0, .pressure = MemoryPressure::warning}));
    EXPECT_EQ(sampler.sampleGPU(), GPUSnapshot{});

    writeFile(tree / "proc/stat", "cpu  0 0 0 0\ncpu0 200 0 100 0\nintr 0\n");
    writeFile(tree / "proc/meminfo", readFixture("hosts/laptop-zram/proc/meminfo"));
    EXPECT_EQ(sampler.sampleCPU().perCore, (std::vector<double>{1.0}));
    EXPECT_EQ(sampler.sampleMemory(), before);
}

TEST(LinuxHost, CorruptFilesGiveZerosAndFallbacks) {
    const std::string stat = readFixture("hosts/laptop-zram/proc/stat");
    for (const std::string& corrupt :
         {std::string(),
          testing::bytes("\x7f"
                         "ELF\x02\x01\x01\0\0\xff\n"),
          std::string("cpu0 a b c d\nMemTotal: many kB\nsome avg10=lots\n"),
          stat.substr(0, stat.size() / 2)}) {
        TemporaryTree tree("laptop-zram");
        SystemSampler sampler = samplerFor(tree.root());
        sampler.sampleCPU();
        for (const char* file :
             {"proc/stat", "proc/meminfo", "proc/pressure/memory", "sys/block/zram0/mm_stat",
              "sys/class/drm/card0/device/gpu_busy_percent"}) {
            writeFile(tree / file, corrupt);
        }
        EXPECT_EQ(sampler.sampleCPU(), CPUSnapshot{});
        EXPECT_EQ(sampler.sampleMemory(), MemorySnapshot{});
        EXPECT_EQ(sampler.sampleGPU(), GPUSnapshot{});
    }
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
