#include "platform/linux/linux_host.hpp"

#include <string>
#include <thread>

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/system_sampler.hpp"
#include "platform/linux/meminfo.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::fixturePath;
using testing::readFixture;
using testing::TemporaryTree;
using testing::writeFile;

constexpr std::uint64_t kilobyte = 1024;

LinuxHost::Options withoutNvml() {
    return LinuxHost::Options{.nvmlLibrary = "", .deviceRescan = std::chrono::seconds(0)};
}

SystemSampler samplerFor(const std::filesystem::path& root) {
    return SystemSampler(std::make_unique<LinuxHost>(root, withoutNvml()));
}

// --- whole fixture machines --------------------------------------------------------------------

struct HostShape {
    const char* name;
    const char* host;
    std::size_t processors;
    MemoryPressure pressure;
    bool gpu;
    bool swap;

    friend void PrintTo(const HostShape& row, std::ostream* out) { *out << row.name; }
};

class LinuxHostShapes : public ::testing::TestWithParam<HostShape> {};

TEST_P(LinuxHostShapes, ReadsEveryRecordOfTheMachine) {
    SystemSampler sampler = samplerFor(fixturePath("hosts") / GetParam().host);
    EXPECT_EQ(sampler.sampleCPU().perCore.size(), GetParam().processors);
    const MemorySnapshot memory = sampler.sampleMemory();
    EXPECT_GT(memory.total, 0U);
    EXPECT_GT(memory.app, 0U);
    EXPECT_GT(memory.cached, 0U);
    EXPECT_EQ(memory.pressure, GetParam().pressure);
    EXPECT_EQ(memory.swapTotal > 0, GetParam().swap);
    EXPECT_EQ(sampler.sampleGPU().available, GetParam().gpu);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, LinuxHostShapes,
    ::testing::Values(
        HostShape{"thisMachine", "this-machine", 2, MemoryPressure::normal, false, false},
        HostShape{"laptopElevated", "laptop-zram", 7, MemoryPressure::warning, true, true},
        HostShape{"serverCritical", "server128", 128, MemoryPressure::critical, false, true},
        HostShape{"oldKernelWithoutPsiOrAvailable", "old-kernel", 4, MemoryPressure::normal, false,
                  false},
        HostShape{"noPsiFallsBackToAvailable", "no-psi-low-memory", 2, MemoryPressure::critical,
                  false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// --- files that change under the reader --------------------------------------------------------

TEST(LinuxHost, FilesThatVanishGiveZerosAndComeBackWithTheirFiles) {
    TemporaryTree tree("laptop-zram");
    writeFile(tree / "proc/stat", "cpu  0 0 0 0\ncpu0 100 0 100 0\nintr 0\n");
    SystemSampler sampler = samplerFor(tree.root());
    const MemorySnapshot before = sampler.sampleMemory();
    sampler.sampleCPU();

    const std::string meminfo = readFixture("hosts/laptop-zram/proc/meminfo");
    std::filesystem::remove(tree / "proc/stat");
    std::filesystem::remove(tree / "proc/meminfo");
    std::filesystem::remove_all(tree / "sys");

    EXPECT_EQ(sampler.sampleCPU(), CPUSnapshot{});
    // PSI still reads; every meminfo figure is gone.
    EXPECT_EQ(sampler.sampleMemory(), (MemorySnapshot{.pressure = MemoryPressure::warning}));
    EXPECT_EQ(sampler.sampleGPU(), GPUSnapshot{});

    writeFile(tree / "proc/stat", "cpu  0 0 0 0\ncpu0 200 0 100 0\nintr 0\n");
    writeFile(tree / "proc/meminfo", meminfo);
    writeFile(tree / "sys/block/zram0/mm_stat",
              readFixture("hosts/laptop-zram/sys/block/zram0/mm_stat"));
    // The baseline from before the files vanished still holds.
    EXPECT_EQ(sampler.sampleCPU().perCore, (std::vector<double>{1.0}));
    EXPECT_EQ(sampler.sampleMemory(), before);
}

struct Corruption {
    const char* name;
    std::string text;

    friend void PrintTo(const Corruption& row, std::ostream* out) { *out << row.name; }
};

class LinuxHostCorruptFiles : public ::testing::TestWithParam<Corruption> {};

TEST_P(LinuxHostCorruptFiles, GiveZerosAndFallbacksNeverACrash) {
    TemporaryTree tree("laptop-zram");
    SystemSampler sampler = samplerFor(tree.root());
    sampler.sampleCPU();
    for (const char* file :
         {"proc/stat", "proc/meminfo", "proc/pressure/memory", "sys/block/zram0/mm_stat",
          "sys/class/drm/card0/device/gpu_busy_percent",
          "sys/class/drm/card0/device/mem_info_vram_used"}) {
        writeFile(tree / file, GetParam().text);
    }
    EXPECT_EQ(sampler.sampleCPU(), CPUSnapshot{});
    const MemorySnapshot memory = sampler.sampleMemory();
    EXPECT_EQ(memory.app + memory.wired + memory.compressed + memory.cached, 0U);
    EXPECT_EQ(memory.pressure, MemoryPressure::normal);
    const GPUSnapshot gpu = sampler.sampleGPU();
    EXPECT_FALSE(gpu.available);
}

std::string cutInHalf(const char* fixture) {
    const std::string text = readFixture(fixture);
    return text.substr(0, text.size() / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LinuxHostCorruptFiles,
    ::testing::Values(Corruption{"empty", ""},
                      Corruption{"binaryGarbage", testing::bytes("\x7f"
                                                                 "ELF\x02\x01\x01\0\0\xff\n")},
                      Corruption{"wordsWhereNumbersBelong", "cpu0 a b c d\nMemTotal: many kB\n"},
                      Corruption{"cutMidLine", cutInHalf("hosts/laptop-zram/proc/stat")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinuxHost, ProcessorCountThatChangesBetweenReads) {
    TemporaryTree tree("this-machine");
    SystemSampler sampler = samplerFor(tree.root());
    EXPECT_EQ(sampler.sampleCPU().perCore.size(), 2U);
    writeFile(tree / "proc/stat",
              "cpu  0 0 0 0\ncpu0 99999 0 0 99999\ncpu1 99999 0 0 99999\ncpu2 0 0 0 0\n"
              "intr 0\n");
    EXPECT_EQ(sampler.sampleCPU().perCore.size(), 3U);
    writeFile(tree / "proc/stat", "cpu  0 0 0 0\ncpu2 10 0 0 0\nintr 0\n");
    EXPECT_EQ(sampler.sampleCPU().perCore, (std::vector<double>{1.0}));
}

// --- this machine ------------------------------------------------------------------------------

TEST(LiveMachine, ReadsEveryOnlineProcessor) {
    SystemSampler sampler(std::make_unique<LinuxHost>());
    sampler.sampleCPU();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const CPUSnapshot cpu = sampler.sampleCPU();
    EXPECT_EQ(cpu.perCore.size(), static_cast<std::size_t>(sysconf(_SC_NPROCESSORS_ONLN)));
    for (const double load : cpu.perCore) {
        EXPECT_GE(load, 0.0);
        EXPECT_LE(load, 1.0);
    }
    EXPECT_LE(cpu.total, 1.0);
}

TEST(LiveMachine, MemoryAgreesWithTheKernelsOwnAvailableFigure) {
    SystemSampler sampler(std::make_unique<LinuxHost>());
    const MemorySnapshot memory = sampler.sampleMemory();
    const Meminfo info = parseMeminfo(testing::readFile("/proc/meminfo"));
    ASSERT_TRUE(info.memTotal && info.memAvailable);
    EXPECT_EQ(memory.total, *info.memTotal * kilobyte);
    EXPECT_LE(memory.app + memory.wired + memory.compressed, memory.total);
    const double notAvailable = static_cast<double>(*info.memTotal - *info.memAvailable) /
                                static_cast<double>(*info.memTotal);
    EXPECT_NEAR(memoryInUseFraction(memory), notAvailable, 0.05);
}

}  // namespace
}  // namespace vantric
