#include "core/system_sampler.hpp"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "support/fake_host.hpp"

namespace vantric {
namespace {

using testing::FakeHost;
using Ticks = std::vector<ProcessorTicks>;

ProcessorTicks cpu(std::uint32_t processor, std::uint64_t user, std::uint64_t system,
                   std::uint64_t idle, std::uint64_t nice = 0) {
    return {.processor = processor, .user = user, .system = system, .idle = idle, .nice = nice};
}

Ticks uniform(std::uint32_t count, std::uint64_t user, std::uint64_t system, std::uint64_t idle) {
    Ticks reading;
    for (std::uint32_t processor = 0; processor < count; ++processor) {
        reading.push_back(cpu(processor, user, system, idle));
    }
    return reading;
}

SystemSampler samplerWith(const std::shared_ptr<FakeHost::State>& host) {
    return SystemSampler(std::make_unique<FakeHost>(host));
}

// A sequence of kernel readings (an empty one is a failed read), the sampler's last answer and
// its processor time counters after it, at 100 ticks a second. Tick counts are chosen so that
// every fraction is exact in binary.
struct TickSequence {
    const char* name;
    std::vector<Ticks> readings;
    CPUSnapshot last;
    CPUTimes times;
};

TEST(CPUSampling, ReportsTheLastInterval) {
    const Ticks threeProcessors{cpu(0, 0, 0, 0), cpu(1, 0, 0, 1000), cpu(2, 500, 0, 500)};
    const Ticks processorOneOffline{cpu(0, 0, 0, 100), cpu(2, 600, 0, 500)};
    const Ticks processorOneBack{cpu(0, 0, 0, 200), cpu(1, 0, 0, 1100), cpu(2, 700, 0, 500)};
    const TickSequence sequences[] = {
        {"firstCallIsZeroPerProcessor",
         {uniform(2, 100, 50, 800)},
         {.perCore = {0, 0}},
         {2, 1, 16}},
        {"nicedTimeIsUserTime",
         {{cpu(0, 100, 50, 800, 10)}, {cpu(0, 160, 66, 960, 30)}},
         {0.375, 0.3125, 0.0625, {0.375}},
         {1.9, 0.66, 9.6}},
        {"totalsWeighedByTicksNotMeanOfProcessors",
         {uniform(2, 0, 0, 0), {cpu(0, 100, 0, 0), cpu(1, 0, 0, 300)}},
         {0.25, 0.25, 0, {1, 0}},
         {1, 0, 3}},
        {"thirtyTwoBitWrapIsItsTrueIncrease",
         {{cpu(0, 4294967290U, 0, 0)}, {cpu(0, 4, 0, 10)}},
         {0.5, 0.5, 0, {0.5}},
         {42949673, 0, 0.1}},
        {"largestForwardStepCounts",
         {{cpu(0, 0, 0, 0)}, {cpu(0, 2147483647U, 0, 0)}},
         {1, 1, 0, {1}},
         {21474836.47, 0, 0}},
        {"stepOfTwoToThe31IsACounterSteppingBack",
         {{cpu(0, 0, 0, 0)}, {cpu(0, 2147483648U, 0, 10)}},
         {.perCore = {0}},
         {0, 0, 0.1}},
        {"noTickElapsedIsZeroNotNaN",
         {uniform(2, 10, 10, 10), uniform(2, 10, 10, 10)},
         {.perCore = {0, 0}},
         {0.2, 0.2, 0.2}},
        {"offlineProcessorKeepsNeighboursBaselines",
         {threeProcessors, processorOneOffline},
         {0.5, 0.5, 0, {0, 1}},
         {6, 0, 16}},
        {"processorBackOnlineStartsAFreshBaseline",
         {threeProcessors, processorOneOffline, processorOneBack},
         {0.5, 0.5, 0, {0, 0, 1}},
         {7, 0, 17}},
        {"failedReadKeepsTheBaseline",
         {uniform(2, 0, 0, 0), {}, uniform(2, 32, 16, 80)},
         {0.375, 0.25, 0.125, {0.375, 0.375}},
         {0.64, 0.32, 1.6}},
    };
    for (const TickSequence& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        auto host = std::make_shared<FakeHost::State>();
        host->tickReadings.assign(sequence.readings.begin(), sequence.readings.end());
        SystemSampler sampler = samplerWith(host);
        CPUSnapshot reading;
        for (std::size_t call = 0; call < sequence.readings.size(); ++call) {
            reading = sampler.sampleCPU();
        }
        const CPUSnapshot& last = sequence.last;
        EXPECT_EQ(std::tie(reading.total, reading.user, reading.system, reading.perCore),
                  std::tie(last.total, last.user, last.system, last.perCore));
        // Counters start from the kernel's counts and never fall, whatever the load did.
        EXPECT_EQ(sampler.cpuTimes(), sequence.times);
    }
}

// Purgeable pages are cache, not app memory, even at or above the anonymous ones; pages and swap
// fail on their own; levels other than 1, 2 and 4 are normal.
TEST(MemorySampling, TurnsPageCountsIntoBytes) {
    constexpr std::uint64_t page = 16384;
    auto host = std::make_shared<FakeHost::State>();
    const auto sampled = [&](MemoryCounters counters) {
        host->memory = std::move(counters);
        return samplerWith(host).sampleMemory();
    };
    // Pages wired 1, purgeable 2, compressor 3, external 4, internal 10.
    EXPECT_EQ(sampled({1 << 30, VMPageCounts{page, 1, 2, 3, 4, 10}, SwapUsage{5000, 3000}, 2}),
              (MemorySnapshot{1 << 30, 8 * page, page, 3 * page, 6 * page, 3000, 5000,
                              MemoryPressure::warning}));
    EXPECT_EQ(sampled({.pages = VMPageCounts{.pageSize = page, .purgeable = 600, .internal = 500}}),
              (MemorySnapshot{.cached = 600 * page}));
    EXPECT_EQ(
        sampled({.physicalMemory = 8192,
                 .swap = SwapUsage{.total = 10, .used = 4},
                 .pressureLevel = 4}),
        (MemorySnapshot{
            .total = 8192, .swapUsed = 4, .swapTotal = 10, .pressure = MemoryPressure::critical}));
    for (const std::int32_t level : {0, 3, 8, -1}) {
        EXPECT_EQ(sampled({.pressureLevel = level}).pressure, MemoryPressure::normal) << level;
    }
}

Accelerator with(PerformanceStatistics statistics) {
    return {.statistics = std::move(statistics)};
}

Accelerator typical(const char* device, double utilization, std::uint64_t memory) {
    return {.device = device,
            .ownProcessesOnly = true,
            .statistics = PerformanceStatistics{{"Device Utilization %", utilization},
                                                {"Renderer Utilization %", utilization / 2},
                                                {"Tiler Utilization %", std::int64_t{5}},
                                                {"In use system memory", memory},
                                                {"Alloc system memory", memory * 2}}};
}

GPUSnapshot typicalReading(const char* device, double utilization, std::uint64_t memory) {
    return {.available = true,
            .utilization = utilization / 100,
            .renderer = utilization / 200,
            .tiler = 0.05,
            .memoryInUse = memory,
            .memoryAllocated = memory * 2,
            .memoryKind = GpuMemoryKind::system,
            .device = device,
            .ownProcessesOnly = true};
}

TEST(GPUSampling, PicksTheBusiestAcceleratorWithAllItsValues) {
    constexpr auto most = std::numeric_limits<std::uint64_t>::max();
    const std::tuple<const char*, std::vector<Accelerator>, GPUSnapshot> cases[] = {
        {"busierSecondWins",
         {typical("0000:03:00.0", 30, 100), typical("0000:0a:00.0", 50, 200)},
         typicalReading("0000:0a:00.0", 50, 200)},
        {"tieKeepsTheFirst",
         {typical("card0", 40, 100), typical("card1", 40, 200)},
         typicalReading("card0", 40, 100)},
        {"withoutStatisticsIsSkipped",
         {Accelerator{.device = "card0"}, typical("card1", 10, 1)},
         typicalReading("card1", 10, 1)},
        {"noStatisticsIsUnavailable", {Accelerator{}, Accelerator{}}, {}},
        {"overOneHundredIsOne",
         {with({{"Device Utilization %", std::uint64_t{142}}})},
         {.available = true, .utilization = 1}},
        {"negativeTextAndNaNAreZero",
         {with({{"Device Utilization %", std::int64_t{-5}},
                {"Tiler Utilization %", std::string("busy")},
                {"Renderer Utilization %", std::nan("")},
                {"In use system memory", std::string("1 GB")}})},
         {.available = true, .renderer = 0, .tiler = 0, .memoryKind = GpuMemoryKind::system}},
        {"missingKeysAreZeroAndNoPipelineFigures", {with({})}, {.available = true}},
        {"memoryOfOtherSignsAndFractions",
         {with({{"In use system memory", std::int64_t{-1}}, {"Alloc system memory", 1e30}})},
         {.available = true, .memoryAllocated = most, .memoryKind = GpuMemoryKind::system}},
        {"videoMemoryAlone",
         {with({{"In use video memory", std::uint64_t{300}}, {"Alloc video memory", 400.0}})},
         {.available = true,
          .memoryInUse = 300,
          .memoryAllocated = 400,
          .memoryKind = GpuMemoryKind::video}},
        {"oneKeyOfAPairNamesItsMemory",
         {with({{"Alloc video memory", std::uint64_t{7}}})},
         {.available = true, .memoryAllocated = 7, .memoryKind = GpuMemoryKind::video}},
        {"videoAndSystemMemorySum",
         {with({{"In use video memory", std::uint64_t{300}},
                {"Alloc video memory", std::uint64_t{500}},
                {"In use system memory", std::uint64_t{20}},
                {"Alloc system memory", std::uint64_t{40}}})},
         {.available = true,
          .memoryInUse = 320,
          .memoryAllocated = 540,
          .memoryKind = GpuMemoryKind::both}},
        {"sumsSaturate",
         {with({{"In use video memory", most}, {"In use system memory", std::uint64_t{2}}})},
         {.available = true, .memoryInUse = most, .memoryKind = GpuMemoryKind::both}},
    };
    for (const auto& [name, accelerators, expected] : cases) {
        auto host = std::make_shared<FakeHost::State>();
        host->accelerators = accelerators;
        EXPECT_EQ(samplerWith(host).sampleGPU(), expected) << name;
    }
    // Each device on its own, for readers that show every one.
    auto host = std::make_shared<FakeHost::State>();
    host->accelerators = {Accelerator{.device = "card0"}, typical("card1", 10, 1),
                          typical("card2", 30, 2)};
    EXPECT_EQ(samplerWith(host).sampleGPUs(),
              (std::vector{typicalReading("card1", 10, 1), typicalReading("card2", 30, 2)}));
}

}  // namespace
}  // namespace vantric
