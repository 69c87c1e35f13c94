#include "platform/linux/proc_stat.hpp"

#include <string>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

TEST(ProcStat, OfflineProcessorIsAbsentAndTheOthersKeepTheirNumbers) {
    std::vector<std::uint32_t> numbers;
    for (const ProcessorTicks& ticks :
         parseProcStat(testing::readFixture("hosts/laptop-zram/proc/stat"))) {
        numbers.push_back(ticks.processor);
    }
    EXPECT_EQ(numbers, (std::vector<std::uint32_t>{0, 1, 2, 4, 5, 6, 7}));
}

TEST(ProcStat, FoldsCountersIntoFourWithoutAddingGuestTwice) {
    // user nice system idle iowait irq softirq steal guest guest_nice (and one a later kernel
    // may add)
    EXPECT_EQ(parseProcStat("cpu  1 2 3 4\ncpu0 100 20 30 400 50 6 7 8 90 10 11\nintr 0\n"),
              (std::vector<ProcessorTicks>{
                  {.processor = 0, .user = 100, .system = 51, .idle = 450, .nice = 20}}));
    // The four counters every kernel has.
    EXPECT_EQ(parseProcStat("cpu3 1 2 3 4\nintr 0\n"),
              (std::vector<ProcessorTicks>{
                  {.processor = 3, .user = 1, .system = 3, .idle = 4, .nice = 2}}));
}

// A line cut inside a processor line is among the reader fault tests.
TEST(ProcStat, AnIncompleteBlockYieldsNoReadingRatherThanAPartialOne) {
    for (const char* text : {
             "cpu0 1 2 3\nintr 0\n",                  // fewer than the four counters
             "cpu0 1 2 3 4\ncpu0 1 2 3 4\nintr 0\n",  // a processor listed twice
             "cpu  1 2 3 4\ncpu0 1 2 3 4\n",          // cut right after one
         }) {
        EXPECT_TRUE(parseProcStat(text).empty()) << text;
    }
}

}  // namespace
}  // namespace vantric
