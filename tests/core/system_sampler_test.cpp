#include "core/system_sampler.hpp"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "support/fake_host.hpp"

namespace vantric {
namespace {

using testing::FakeHost;

ProcessorTicks ticks(std::uint32_t processor, std::uint64_t user, std::uint64_t system,
                     std::uint64_t idle, std::uint64_t nice) {
    return ProcessorTicks{
        .processor = processor, .user = user, .system = system, .idle = idle, .nice = nice};
}

// n processors numbered from 0, all with the same counters.
std::vector<ProcessorTicks> uniform(std::uint32_t count, std::uint64_t user, std::uint64_t system,
                                    std::uint64_t idle, std::uint64_t nice) {
    std::vector<ProcessorTicks> reading;
    for (std::uint32_t processor = 0; processor < count; ++processor) {
        reading.push_back(ticks(processor, user, system, idle, nice));
    }
    return reading;
}

class SamplerTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeHost::State> host = std::make_shared<FakeHost::State>();
    SystemSampler sampler{std::make_unique<FakeHost>(host)};

    void queue(std::vector<ProcessorTicks> reading) {
        host->tickReadings.push_back(std::move(reading));
    }
};

// --- processors -------------------------------------------------------------------------------

using CPUSampling = SamplerTest;

TEST_F(CPUSampling, FirstCallReadsZeroWithOneEntryPerProcessor) {
    queue(uniform(8, 100, 50, 800, 10));
    const CPUSnapshot first = sampler.sampleCPU();
    EXPECT_EQ(
        first,
        (CPUSnapshot{.total = 0, .user = 0, .system = 0, .perCore = std::vector<double>(8, 0.0)}));
}

TEST_F(CPUSampling, CountsNicedTimeAsUserAndWeighsTheInterval) {
    queue({ticks(0, 100, 50, 800, 10)});
    queue({ticks(0, 160, 70, 900, 20)});
    sampler.sampleCPU();
    const CPUSnapshot reading = sampler.sampleCPU();
    ASSERT_EQ(reading.perCore.size(), 1U);
    EXPECT_DOUBLE_EQ(reading.perCore[0], 90.0 / 190.0);
    EXPECT_DOUBLE_EQ(reading.user, 70.0 / 190.0);
    EXPECT_DOUBLE_EQ(reading.system, 20.0 / 190.0);
    EXPECT_DOUBLE_EQ(reading.total, 90.0 / 190.0);
}

TEST_F(CPUSampling, TotalsAreWeightedByTicksNotTheMeanOfProcessors) {
    // Processor 0 is fully busy over 100 ticks, processor 1 idle over 300.
    queue({ticks(0, 0, 0, 0, 0), ticks(1, 0, 0, 0, 0)});
    queue({ticks(0, 100, 0, 0, 0), ticks(1, 0, 0, 300, 0)});
    sampler.sampleCPU();
    const CPUSnapshot reading = sampler.sampleCPU();
    EXPECT_EQ(reading.perCore, (std::vector<double>{1.0, 0.0}));
    EXPECT_DOUBLE_EQ(reading.total, 0.25);
}

TEST_F(CPUSampling, ThirtyTwoBitCounterWrapYieldsItsTrueIncrease) {
    queue({ticks(0, 4294967290U, 0, 0, 0)});
    queue({ticks(0, 4, 0, 10, 0)});
    sampler.sampleCPU();
    const CPUSnapshot reading = sampler.sampleCPU();
    // user delta 10, idle delta 10.
    EXPECT_DOUBLE_EQ(reading.user, 0.5);
}

TEST_F(CPUSampling, SixtyFourBitCountersAboveTwoToThe32Work) {
    constexpr std::uint64_t base = (std::uint64_t{1} << 32) * 3 + 7;
    queue({ticks(0, base, base, base, base)});
    queue({ticks(0, base + 30, base + 10, base + 60, base)});
    sampler.sampleCPU();
    const CPUSnapshot reading = sampler.sampleCPU();
    EXPECT_DOUBLE_EQ(reading.user, 0.3);
    EXPECT_DOUBLE_EQ(reading.system, 0.1);
}

TEST_F(CPUSampling, CounterSteppingBackwardsCountsAsNoTimeNotAsIdle) {
    // iowait folded into idle steps back by 5 ticks while the processor was busy for 100.
    queue({ticks(0, 1000, 1000, 5000, 0)});
    queue({ticks(0, 1080, 1020, 4995, 0)});
    sampler.sampleCPU();
    const CPUSnapshot reading = sampler.sampleCPU();
    EXPECT_DOUBLE_EQ(reading.perCore[0], 1.0);
    EXPECT_DOUBLE_EQ(reading.user, 0.8);
    EXPECT_DOUBLE_EQ(reading.system, 0.2);
}

TEST_F(CPUSampling, NoTicksElapsedReadsZeroNotNaN) {
    queue(uniform(2, 10, 10, 10, 10));
    queue(uniform(2, 10, 10, 10, 10));
    sampler.sampleCPU();
    const CPUSnapshot reading = sampler.sampleCPU();
    EXPECT_EQ(reading, (CPUSnapshot{.total = 0, .user = 0, .system = 0, .perCore = {0, 0}}));
}

TEST_F(CPUSampling, ProcessorsThatAppearReadZeroOnceThenTheirLoad) {
    queue(uniform(4, 0, 0, 0, 0));
    queue(uniform(6, 50, 0, 50, 0));
    queue(uniform(6, 100, 0, 100, 0));
    sampler.sampleCPU();
    EXPECT_EQ(sampler.sampleCPU().perCore, (std::vector<double>{0.5, 0.5, 0.5, 0.5, 0, 0}));
    EXPECT_EQ(sampler.sampleCPU().perCore, std::vector<double>(6, 0.5));
}

TEST_F(CPUSampling, OfflineProcessorDoesNotShiftItsNeighboursBaselines) {
    // Processor 1 goes offline; processor 2 must still be measured against its own baseline.
    queue({ticks(0, 0, 0, 0, 0), ticks(1, 0, 0, 1000, 0), ticks(2, 500, 0, 500, 0)});
    queue({ticks(0, 0, 0, 100, 0), ticks(2, 600, 0, 500, 0)});
    queue({ticks(0, 0, 0, 200, 0), ticks(1, 0, 0, 1100, 0), ticks(2, 700, 0, 500, 0)});
    queue({ticks(0, 0, 0, 300, 0), ticks(1, 100, 0, 1100, 0), ticks(2, 800, 0, 500, 0)});
    sampler.sampleCPU();
    EXPECT_EQ(sampler.sampleCPU().perCore, (std::vector<double>{0, 1}));
    // Back online: a fresh baseline, so 0 once.
    EXPECT_EQ(sampler.sampleCPU().perCore, (std::vector<double>{0, 0, 1}));
    EXPECT_EQ(sampler.sampleCPU().perCore, (std::vector<double>{0, 1, 1}));
}

TEST_F(CPUSampling, FailedReadReturnsZeroAndKeepsTheBaseline) {
    queue(uniform(2, 0, 0, 0, 0));
    queue({});  // the kernel could not be read
    queue(uniform(2, 30, 10, 60, 0));
    sampler.sampleCPU();
    EXPECT_EQ(sampler.sampleCPU(), CPUSnapshot{});
    const CPUSnapshot reading = sampler.sampleCPU();
    EXPECT_DOUBLE_EQ(reading.user, 0.3);
    EXPECT_DOUBLE_EQ(reading.total, 0.4);
    EXPECT_EQ(host->processorCalls, 3);
}

// --- memory -----------------------------------------------------------------------------------

using MemorySampling = SamplerTest;

TEST_F(MemorySampling, TurnsPageCountsIntoBytes) {
    host->memory = MemoryCounters{
        .physicalMemory = 17179869184,
        .pages = VMPageCounts{.pageSize = 16384,
                              .wired = 100000,
                              .purgeable = 20000,
                              .compressor = 50000,
                              .external = 200000,
                              .internal = 500000},
        .swap = SwapUsage{.total = 2147483648, .used = 1073741824},
        .pressureLevel = 1,
    };
    EXPECT_EQ(sampler.sampleMemory(), (MemorySnapshot{.total = 17179869184,
                                                      .app = 7864320000,
                                                      .wired = 1638400000,
                                                      .compressed = 819200000,
                                                      .cached = 3604480000,
                                                      .swapUsed = 1073741824,
                                                      .swapTotal = 2147483648,
                                                      .pressure = MemoryPressure::normal}));
}

TEST_F(MemorySampling, PurgeableAtOrAboveInternalLeavesNoAppMemoryButStaysCached) {
    for (const std::uint64_t purgeable : {500U, 600U}) {
        host->memory.pages = VMPageCounts{
            .pageSize = 4096, .purgeable = purgeable, .external = 100, .internal = 500};
        const MemorySnapshot reading = sampler.sampleMemory();
        EXPECT_EQ(reading.app, 0U) << purgeable;
        EXPECT_EQ(reading.cached, (100 + purgeable) * 4096) << purgeable;
    }
}

TEST_F(MemorySampling, EachSourceFailsOnItsOwn) {
    host->memory = MemoryCounters{.physicalMemory = 8192,
                                  .pages = std::nullopt,
                                  .swap = SwapUsage{.total = 10, .used = 4},
                                  .pressureLevel = 4};
    EXPECT_EQ(
        sampler.sampleMemory(),
        (MemorySnapshot{
            .total = 8192, .swapUsed = 4, .swapTotal = 10, .pressure = MemoryPressure::critical}));

    host->memory = MemoryCounters{.physicalMemory = 8192,
                                  .pages = VMPageCounts{.pageSize = 4096, .wired = 1},
                                  .swap = std::nullopt,
                                  .pressureLevel = std::nullopt};
    EXPECT_EQ(sampler.sampleMemory(),
              (MemorySnapshot{.total = 8192, .wired = 4096, .pressure = MemoryPressure::normal}));
}

TEST_F(MemorySampling, PressureLevelsOtherThanTwoAndFourAreNormal) {
    const std::vector<std::pair<std::int32_t, MemoryPressure>> levels{
        {1, MemoryPressure::normal}, {2, MemoryPressure::warning}, {4, MemoryPressure::critical},
        {0, MemoryPressure::normal}, {3, MemoryPressure::normal},  {8, MemoryPressure::normal},
        {-1, MemoryPressure::normal}};
    for (const auto& [raw, expected] : levels) {
        host->memory.pressureLevel = raw;
        EXPECT_EQ(sampler.sampleMemory().pressure, expected) << raw;
    }
}

// --- accelerators -----------------------------------------------------------------------------

Accelerator withStatistics(PerformanceStatistics statistics) {
    return Accelerator{.statistics = std::move(statistics)};
}

Accelerator typical(double utilization, std::uint64_t memory) {
    return withStatistics({{"Device Utilization %", utilization},
                           {"Renderer Utilization %", utilization / 2},
                           {"Tiler Utilization %", std::int64_t{5}},
                           {"In use system memory", memory},
                           {"Alloc system memory", memory * 2}});
}

struct GPUCase {
    const char* name;
    std::vector<Accelerator> accelerators;
    GPUSnapshot expected;

    friend void PrintTo(const GPUCase& row, std::ostream* out) { *out << row.name; }
};

class GPUSampling : public ::testing::TestWithParam<GPUCase> {};

TEST_P(GPUSampling, PicksTheBusiestAcceleratorWithAllItsValues) {
    auto host = std::make_shared<FakeHost::State>();
    host->accelerators = GetParam().accelerators;
    SystemSampler sampler(std::make_unique<FakeHost>(host));
    EXPECT_EQ(sampler.sampleGPU(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Accelerators, GPUSampling,
    ::testing::Values(
        GPUCase{"busierSecondWins",
                {typical(30, 100), typical(50, 200)},
                {.available = true,
                 .utilization = 0.5,
                 .renderer = 0.25,
                 .tiler = 0.05,
                 .memoryInUse = 200,
                 .memoryAllocated = 400}},
        GPUCase{"tieKeepsTheFirst",
                {typical(40, 100), typical(40, 200)},
                {.available = true,
                 .utilization = 0.4,
                 .renderer = 0.2,
                 .tiler = 0.05,
                 .memoryInUse = 100,
                 .memoryAllocated = 200}},
        GPUCase{"overOneHundredIsOne",
                {withStatistics({{"Device Utilization %", std::uint64_t{142}}})},
                {.available = true, .utilization = 1}},
        GPUCase{"negativeIsZero",
                {withStatistics({{"Device Utilization %", std::int64_t{-5}}})},
                {.available = true, .utilization = 0}},
        GPUCase{"textIsZero",
                {withStatistics({{"Device Utilization %", std::string("busy")},
                                 {"In use system memory", std::string("1 GB")}})},
                {.available = true}},
        GPUCase{"notANumberIsZero",
                {withStatistics({{"Device Utilization %", std::nan("")}})},
                {.available = true}},
        GPUCase{
            "infinityIsOne",
            {withStatistics({{"Renderer Utilization %", std::numeric_limits<double>::infinity()}})},
            {.available = true, .renderer = 1}},
        GPUCase{"emptyDictionaryIsAvailableWithZeros", {withStatistics({})}, {.available = true}},
        GPUCase{"noAcceleratorIsUnavailable", {}, {}},
        GPUCase{"noStatisticsIsUnavailable", {Accelerator{}, Accelerator{}}, {}},
        GPUCase{"withoutStatisticsIsSkipped",
                {Accelerator{}, typical(10, 1)},
                {.available = true,
                 .utilization = 0.1,
                 .renderer = 0.05,
                 .tiler = 0.05,
                 .memoryInUse = 1,
                 .memoryAllocated = 2}},
        GPUCase{"missingAllocIsZero",
                {withStatistics({{"Device Utilization %", std::uint64_t{20}},
                                 {"In use system memory", std::uint64_t{1100000000}}})},
                {.available = true, .utilization = 0.2, .memoryInUse = 1100000000}},
        GPUCase{"memoryOfOtherSignsAndFractions",
                {withStatistics({{"In use system memory", std::int64_t{-1}},
                                 {"Alloc system memory", 2.5e3}})},
                {.available = true, .memoryAllocated = 2500}},
        GPUCase{"hugeFractionalMemorySaturates",
                {withStatistics({{"In use system memory", 1e30}})},
                {.available = true, .memoryInUse = std::numeric_limits<std::uint64_t>::max()}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantric
