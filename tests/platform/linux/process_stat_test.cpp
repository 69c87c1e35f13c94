#include "platform/linux/process_stat.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;

TEST(ProcessStat, CountsFieldsFromTheLastParenthesisSoNamesCannotShiftThem) {
    const std::string text = readFixture("processes/captured/web-content.stat");
    const auto web = parseProcessStat(text);
    ASSERT_TRUE(web);
    EXPECT_EQ(web->name, "Web (Content) x");
    EXPECT_FALSE(web->kernelThread());
    EXPECT_EQ(web->startTicks, 473139U);

    const std::string bashText = readFixture("processes/captured/bash.stat");
    const auto bash = parseProcessStat(bashText);
    ASSERT_TRUE(bash);
    EXPECT_EQ(bash->userTicks, 3U);
    EXPECT_EQ(bash->systemTicks, 8U);
    EXPECT_EQ(bash->startTicks, 421714U);

    const auto odd =
        parseProcessStat("7 (a) S (b) S 1 0 0 0 -1 64 0 0 0 0 5 6 0 0 20 0 1 0 99 0 0\n");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->name, "a) S (b");
    EXPECT_EQ(odd->userTicks, 5U);
    EXPECT_EQ(odd->startTicks, 99U);
}

TEST(ProcessStat, RecognisesKernelThreads) {
    const std::string text = readFixture("processes/captured/kthreadd.stat");
    const auto kthreadd = parseProcessStat(text);
    ASSERT_TRUE(kthreadd);
    EXPECT_EQ(kthreadd->name, "kthreadd");
    EXPECT_TRUE(kthreadd->kernelThread());
}

TEST(ProcessStat, RejectsLinesCutShortOrWithBadFields) {
    const std::string whole = readFixture("processes/captured/bash.stat");
    for (const std::string& bad : {
             whole.substr(0, whole.size() - 1),              // no newline
             whole.substr(0, whole.find(" 421714")) + "\n",  // ends before starttime
             std::string("18853 bash S 1 2 3 0 -1 0 0 0 0 0 1 1 0 0 20 0 1 0 5 0 0\n"),
             std::string("1 (x) S 1 2 3 0 -1 0 0 0 0 0 -1 1 0 0 20 0 1 0 5 0 0\n"),
             std::string(
                 "1 (x) S 1 2 3 0 -1 0 0 0 0 0 18446744073709551615 1 0 0 20 0 1 0 5 0 0\n"),
             std::string("1 (x) S 1 2 3 0 -1 99999999999 0 0 0 0 1 1 0 0 20 0 1 0 5 0 0\n"),
         }) {
        EXPECT_FALSE(parseProcessStat(bad)) << bad;
    }
}

TEST(ProcessStatm, IsResidentLessSharedPages) {
    EXPECT_EQ(parseStatmPrivatePages(readFixture("processes/captured/sleep.statm")), 28U);
    EXPECT_EQ(parseStatmPrivatePages("0 0 0 0 0 0 0\n"), 0U);   // a zombie
    EXPECT_EQ(parseStatmPrivatePages("10 5 9 1 0 1 0\n"), 0U);  // never wraps below 0
    EXPECT_FALSE(parseStatmPrivatePages("10 5 9 1 0 1\n"));
    EXPECT_FALSE(parseStatmPrivatePages("10 5 9 1 0 1 0 4\n"));
    EXPECT_FALSE(parseStatmPrivatePages("10 5 x 1 0 1 0\n"));
    EXPECT_FALSE(parseStatmPrivatePages("10 5 9 1 0 1 0"));
}

TEST(ProcessStatus, ReadsAnonymousMemoryInRamAndInSwap) {
    const auto memory =
        [](std::string_view text) -> std::optional<std::pair<std::uint64_t, std::uint64_t>> {
        const auto found = parseStatusMemory(text);
        return found ? std::optional(std::pair{found->resident, found->swapped}) : std::nullopt;
    };
    // The captured sleep: RssAnon 112 kB, nothing swapped.
    EXPECT_EQ(memory(readFixture("processes/captured/sleep.status")), std::pair(112UL, 0UL));
    EXPECT_EQ(memory("VmRSS:\t 900 kB\nRssAnon:\t 300 kB\nRssFile:\t 600 kB\nVmSwap:\t 2048 kB\n"),
              std::pair(300UL, 2048UL));
    // Kernels without RssAnon: VmRSS stands in.
    EXPECT_EQ(memory("VmRSS:\t 900 kB\nVmSwap:\t 0 kB\n"), std::pair(900UL, 0UL));
    // A zombie has no memory lines.
    EXPECT_EQ(memory("Name:\tdefunct\nState:\tZ (zombie)\nThreads:\t1\n"), std::pair(0UL, 0UL));
    // Unreadable, or cut short before VmSwap: VmRSS must not stand in for an RssAnon it lost.
    EXPECT_FALSE(memory("RssAnon:\t 99999999999999999999 kB\nVmSwap:\t 4 kB\n"));
    EXPECT_FALSE(memory("VmRSS:\t 900 kB\nRssAnon:\t 3"));
}

}  // namespace
}  // namespace vantric
