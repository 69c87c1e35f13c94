#include "core/system_sampler.hpp"

#include <cmath>
#include <limits>
#include <ostream>
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

// A sequence of kernel readings (an empty one is a failed read) and the sampler's last answer.
struct TickSequence {
    const char* name;
    std::vector<Ticks> readings;
    CPUSnapshot last;
    friend void PrintTo(const TickSequence& row, std::ostream* out) { *out << row.name; }
};

class CPUSampling : public ::testing::TestWithParam<TickSequence> {};

TEST_P(CPUSampling, ReportsTheLastInterval) {
    auto host = std::make_shared<FakeHost::State>();
    host->tickReadings.assign(GetParam().readings.begin(), GetParam().readings.end());
    SystemSampler sampler = samplerWith(host);
    CPUSnapshot reading;
    for (std::size_t call = 0; call < GetParam().readings.size(); ++call) {
        reading = sampler.sampleCPU();
    }
    const CPUSnapshot& expected = GetParam().last;
    EXPECT_NEAR(reading.total, expected.total, 1e-12);
    EXPECT_NEAR(reading.user, expected.user, 1e-12);
    EXPECT_NEAR(reading.system, expected.system, 1e-12);
    ASSERT_EQ(reading.perCore.size(), expected.perCore.size());
    for (std::size_t index = 0; index < expected.perCore.size(); ++index) {
        EXPECT_NEAR(reading.perCore[index], expected.perCore[index], 1e-12) << index;
    }
}

constexpr std::uint64_t above32 = (std::uint64_t{1} << 32) * 3 + 7;
const Ticks threeProcessors{cpu(0, 0, 0, 0), cpu(1, 0, 0, 1000), cpu(2, 500, 0, 500)};
const Ticks processorOneOffline{cpu(0, 0, 0, 100), cpu(2, 600, 0, 500)};
const Ticks processorOneBack{cpu(0, 0, 0, 200), cpu(1, 0, 0, 1100), cpu(2, 700, 0, 500)};

INSTANTIATE_TEST_SUITE_P(
    Intervals, CPUSampling,
    ::testing::Values(TickSequence{"firstCallIsZeroPerProcessor",
                                   {uniform(8, 100, 50, 800)},
                                   {.perCore = std::vector<double>(8, 0.0)}},
                      TickSequence{"nicedTimeIsUserTime",
                                   {{cpu(0, 100, 50, 800, 10)}, {cpu(0, 160, 70, 900, 20)}},
                                   {90.0 / 190, 70.0 / 190, 20.0 / 190, {90.0 / 190}}},
                      TickSequence{"totalsWeighedByTicksNotMeanOfProcessors",
                                   {uniform(2, 0, 0, 0), {cpu(0, 100, 0, 0), cpu(1, 0, 0, 300)}},
                                   {0.25, 0.25, 0, {1, 0}}},
                      TickSequence{"thirtyTwoBitWrapIsItsTrueIncrease",
                                   {{cpu(0, 4294967290U, 0, 0)}, {cpu(0, 4, 0, 10)}},
                                   {0.5, 0.5, 0, {0.5}}},
                      TickSequence{"sixtyFourBitCounters",
                                   {{cpu(0, above32, above32, above32)},
                                    {cpu(0, above32 + 30, above32 + 10, above32 + 60)}},
                                   {0.4, 0.3, 0.1, {0.4}}},
                      TickSequence{"counterSteppingBackIsNoTimeNotIdle",
                                   {{cpu(0, 1000, 1000, 5000)}, {cpu(0, 1080, 1020, 4995)}},
                                   {1, 0.8, 0.2, {1}}},
                      TickSequence{"largestForwardStepCounts",
                                   {{cpu(0, 0, 0, 0)}, {cpu(0, 2147483647U, 0, 0)}},
                                   {1, 1, 0, {1}}},
                      TickSequence{"stepOfTwoToThe31IsBackwards",
                                   {{cpu(0, 0, 0, 0)}, {cpu(0, 2147483648U, 0, 10)}},
                                   {.perCore = {0}}},
                      TickSequence{"noTickElapsedIsZeroNotNaN",
                                   {uniform(2, 10, 10, 10), uniform(2, 10, 10, 10)},
                                   {.perCore = {0, 0}}},
                      TickSequence{
                          "newProcessorsThenTheirLoad",
                          {uniform(4, 0, 0, 0), uniform(6, 50, 0, 50), uniform(6, 100, 0, 100)},
                          {0.5, 0.5, 0, std::vector<double>(6, 0.5)}},
                      TickSequence{"offlineProcessorKeepsNeighboursBaselines",
                                   {threeProcessors, processorOneOffline},
                                   {0.5, 0.5, 0, {0, 1}}},
                      TickSequence{"processorBackOnlineStartsAFreshBaseline",
                                   {threeProcessors, processorOneOffline, processorOneBack},
                                   {0.5, 0.5, 0, {0, 0, 1}}},
                      TickSequence{"failedReadIsTheZeroRecord", {uniform(2, 0, 0, 0), {}}, {}},
                      TickSequence{"failedReadKeepsTheBaseline",
                                   {uniform(2, 0, 0, 0), {}, uniform(2, 30, 10, 60)},
                                   {0.4, 0.3, 0.1, {0.4, 0.4}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MemorySampling, TurnsPageCountsIntoBytes) {
    auto host = std::make_shared<FakeHost::State>();
    host->memory = {.physicalMemory = 17179869184,
                    .pages = VMPageCounts{.pageSize = 16384,
                                          .wired = 100000,
                                          .purgeable = 20000,
                                          .compressor = 50000,
                                          .external = 200000,
                                          .internal = 500000},
                    .swap = SwapUsage{.total = 2147483648, .used = 1073741824},
                    .pressureLevel = 2};
    EXPECT_EQ(samplerWith(host).sampleMemory(),
              (MemorySnapshot{.total = 17179869184,
                              .app = 7864320000,
                              .wired = 1638400000,
                              .compressed = 819200000,
                              .cached = 3604480000,
                              .swapUsed = 1073741824,
                              .swapTotal = 2147483648,
                              .pressure = MemoryPressure::warning}));

    // Purgeable pages at or above the anonymous ones: no app memory, still cached.
    host->memory.pages = VMPageCounts{.pageSize = 4096, .purgeable = 600, .internal = 500};
    const MemorySnapshot purged = samplerWith(host).sampleMemory();
    EXPECT_EQ(purged.app, 0U);
    EXPECT_EQ(purged.cached, 600U * 4096);
}

TEST(MemorySampling, EachSourceFailsOnItsOwnAndOddLevelsAreNormal) {
    auto host = std::make_shared<FakeHost::State>();
    host->memory = {
        .physicalMemory = 8192, .swap = SwapUsage{.total = 10, .used = 4}, .pressureLevel = 4};
    EXPECT_EQ(
        samplerWith(host).sampleMemory(),
        (MemorySnapshot{
            .total = 8192, .swapUsed = 4, .swapTotal = 10, .pressure = MemoryPressure::critical}));

    host->memory = {.physicalMemory = 8192, .pages = VMPageCounts{.pageSize = 4096, .wired = 1}};
    EXPECT_EQ(samplerWith(host).sampleMemory(), (MemorySnapshot{.total = 8192, .wired = 4096}));

    for (const std::int32_t level : {0, 1, 3, 8, -1}) {
        host->memory.pressureLevel = level;
        EXPECT_EQ(samplerWith(host).sampleMemory().pressure, MemoryPressure::normal) << level;
    }
}

Accelerator with(PerformanceStatistics statistics) {
    return {.statistics = std::move(statistics)};
}

Accelerator typical(double utilization, std::uint64_t memory) {
    return with({{"Device Utilization %", utilization},
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
    EXPECT_EQ(samplerWith(host).sampleGPU(), GetParam().expected);
}

constexpr auto most = std::numeric_limits<std::uint64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Accelerators, GPUSampling,
    ::testing::Values(
        GPUCase{"busierSecondWins",
                {typical(30, 100), typical(50, 200)},
                {true, 0.5, 0.25, 0.05, 200, 400}},
        GPUCase{"tieKeepsTheFirst",
                {typical(40, 100), typical(40, 200)},
                {true, 0.4, 0.2, 0.05, 100, 200}},
        GPUCase{"withoutStatisticsIsSkipped",
                {Accelerator{}, typical(10, 1)},
                {true, 0.1, 0.05, 0.05, 1, 2}},
        GPUCase{"overOneHundredIsOne",
                {with({{"Device Utilization %", std::uint64_t{142}}})},
                {.available = true, .utilization = 1}},
        GPUCase{"negativeTextAndNaNAreZero",
                {with({{"Device Utilization %", std::int64_t{-5}},
                       {"Tiler Utilization %", std::string("busy")},
                       {"Renderer Utilization %", std::nan("")},
                       {"In use system memory", std::string("1 GB")}})},
                {.available = true, .renderer = 0, .tiler = 0}},
        GPUCase{"emptyDictionaryHasNoPipelineFigures", {with({})}, {.available = true}},
        GPUCase{"noAcceleratorIsUnavailable", {}, {}},
        GPUCase{"noStatisticsIsUnavailable", {Accelerator{}, Accelerator{}}, {}},
        GPUCase{"missingAllocIsZero",
                {with({{"Device Utilization %", std::uint64_t{20}},
                       {"In use system memory", std::uint64_t{1100000000}}})},
                {.available = true, .utilization = 0.2, .memoryInUse = 1100000000}},
        GPUCase{"memoryOfOtherSignsAndFractions",
                {with({{"In use system memory", std::int64_t{-1}}, {"Alloc system memory", 1e30}})},
                {.available = true, .memoryAllocated = most}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantric
