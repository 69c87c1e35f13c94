#include "platform/linux/proc_stat.hpp"

#include <string>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;

struct StatShape {
    const char* name;
    const char* fixture;
    std::size_t processors;
    std::uint32_t lastProcessor;

    friend void PrintTo(const StatShape& row, std::ostream* out) { *out << row.name; }
};

class ProcStatShapes : public ::testing::TestWithParam<StatShape> {};

TEST_P(ProcStatShapes, ReadsEveryOnlineProcessorByItsNumber) {
    const auto processors = parseProcStat(readFixture(GetParam().fixture));
    ASSERT_EQ(processors.size(), GetParam().processors);
    EXPECT_EQ(processors.back().processor, GetParam().lastProcessor);
    for (const ProcessorTicks& ticks : processors) {
        EXPECT_GT(ticks.user + ticks.system + ticks.idle + ticks.nice, 0U) << ticks.processor;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Machines, ProcStatShapes,
    ::testing::Values(StatShape{"thisMachine", "hosts/this-machine/proc/stat", 2, 1},
                      StatShape{"offlineCpu3", "hosts/laptop-zram/proc/stat", 7, 7},
                      StatShape{"server128", "hosts/server128/proc/stat", 128, 127},
                      StatShape{"sevenCounters", "hosts/old-kernel/proc/stat", 4, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProcStat, OfflineProcessorIsAbsentAndItsNeighboursKeepTheirNumbers) {
    const auto processors = parseProcStat(readFixture("hosts/laptop-zram/proc/stat"));
    std::vector<std::uint32_t> numbers;
    numbers.reserve(processors.size());
    for (const auto& ticks : processors) {
        numbers.push_back(ticks.processor);
    }
    EXPECT_EQ(numbers, (std::vector<std::uint32_t>{0, 1, 2, 4, 5, 6, 7}));
}

TEST(ProcStat, FoldsTenCountersIntoFourWithoutAddingGuestTwice) {
    // user nice system idle iowait irq softirq steal guest guest_nice
    const auto processors = parseProcStat(
        "cpu  1 2 3 4 5 6 7 8 9 10\n"
        "cpu0 100 20 30 400 50 6 7 8 90 10\n"
        "intr 0\n");
    ASSERT_EQ(processors.size(), 1U);
    EXPECT_EQ(
        processors[0],
        (ProcessorTicks{
            .processor = 0, .user = 100, .system = 30 + 6 + 7 + 8, .idle = 400 + 50, .nice = 20}));
}

TEST(ProcStat, ReadsTheFourCountersOfTheOldestKernels) {
    const auto processors = parseProcStat("cpu  1 2 3 4\ncpu0 1 2 3 4\nintr 0\n");
    ASSERT_EQ(processors.size(), 1U);
    EXPECT_EQ(processors[0],
              (ProcessorTicks{.processor = 0, .user = 1, .system = 3, .idle = 4, .nice = 2}));
}

TEST(ProcStat, IgnoresCountersALaterKernelMayAdd) {
    const auto processors = parseProcStat("cpu0 1 2 3 4 5 6 7 8 9 10 11 12\nintr 0\n");
    ASSERT_EQ(processors.size(), 1U);
    EXPECT_EQ(processors[0].user, 1U);
}

struct BadStat {
    const char* name;
    std::string text;

    friend void PrintTo(const BadStat& row, std::ostream* out) { *out << row.name; }
};

class ProcStatBadInput : public ::testing::TestWithParam<BadStat> {};

TEST_P(ProcStatBadInput, YieldsNoReadingRatherThanAPartialOne) {
    EXPECT_TRUE(parseProcStat(GetParam().text).empty());
}

std::string realStatCutAt(std::size_t length) {
    return readFixture("hosts/this-machine/proc/stat").substr(0, length);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ProcStatBadInput,
    ::testing::Values(BadStat{"empty", ""}, BadStat{"noProcessorLines", "intr 0\nctxt 1\n"},
                      BadStat{"onlyTheSumLine", "cpu  1 2 3 4\nintr 0\n"},
                      BadStat{"garbageNumber", "cpu0 1 2 x3 4\nintr 0\n"},
                      BadStat{"negativeNumber", "cpu0 1 2 -3 4\nintr 0\n"},
                      BadStat{"overflowingNumber", "cpu0 1 2 99999999999999999999999 4\nintr 0\n"},
                      BadStat{"threeCounters", "cpu0 1 2 3\nintr 0\n"},
                      BadStat{"numbersOutOfOrder", "cpu1 1 2 3 4\ncpu0 1 2 3 4\nintr 0\n"},
                      BadStat{"repeatedProcessor", "cpu0 1 2 3 4\ncpu0 1 2 3 4\nintr 0\n"},
                      BadStat{"processorNumberNotANumber", "cpuX 1 2 3 4\nintr 0\n"},
                      BadStat{"cutMidLine", realStatCutAt(60)},
                      BadStat{"cutAfterAProcessorLine", "cpu  1 2 3 4\ncpu0 1 2 3 4\n"},
                      BadStat{"binaryGarbage",
                              testing::bytes("cpu0 \x01\x02\xff\x00 3 4\nintr 0\n")}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantric
