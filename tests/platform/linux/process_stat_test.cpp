#include "platform/linux/process_stat.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;

TEST(ProcessStat, CountsFieldsFromTheLastParenthesisSoNamesCannotShiftThem) {
    const std::string text = readFixture("processes/captured/web-content.stat");
    const ProcessStat web = parseProcessStat(text).value();
    EXPECT_EQ(std::tuple(web.name, web.kernelThread(), web.startTicks),
              std::tuple("Web (Content) x", false, 473139U));

    const std::string bashText = readFixture("processes/captured/bash.stat");
    const ProcessStat bash = parseProcessStat(bashText).value();
    // Its own faults, minor and major, without its children's (989643 and 270).
    EXPECT_EQ(std::tuple(bash.userTicks, bash.systemTicks, bash.startTicks, bash.faults),
              std::tuple(3UL, 8UL, 421714UL, 10394UL));
    EXPECT_TRUE(
        parseProcessStat(readFixture("processes/captured/kthreadd.stat")).value().kernelThread());

    // A line cut short, even right before its last field.
    EXPECT_FALSE(parseProcessStat(bashText.substr(0, bashText.size() - 1)));
    EXPECT_FALSE(parseProcessStat(bashText.substr(0, bashText.find(" 421714")) + "\n"));
}

TEST(ProcessStatm, IsResidentLessSharedPages) {
    EXPECT_EQ(parseStatmPrivatePages(readFixture("processes/captured/sleep.statm")), 28U);
    EXPECT_EQ(parseStatmPrivatePages("10 5 9 1 0 1 0\n"), 0U);  // never wraps below 0
    EXPECT_FALSE(parseStatmPrivatePages("10 5 9 1 0 1 0 4\n"));
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
    // Cut short before VmSwap: VmRSS must not stand in for an RssAnon it lost.
    EXPECT_FALSE(memory("VmRSS:\t 900 kB\nRssAnon:\t 3"));
}

TEST(Loadavg, LastIdentifierIsTheFifthFieldOfAWholeLine) {
    const std::string captured = readFixture("processes/captured/loadavg");
    EXPECT_EQ(parseLastIdentifier(captured), std::stoull(captured.substr(captured.rfind(' ') + 1)));
    EXPECT_EQ(parseLastIdentifier("0.00 0.01 0.05 1/123 4194303\n"), 4194303U);
    for (const char* broken : {"0.00 0.01 0.05 1/123 4567", "0.00 0.01 0.05 1/123\n",
                               "0.00 0.01 1/123 4567\n", "0.00 0.01 0.05 123 4567\n",
                               "0.00 0.01 0.05 1/123 4567 8\n", "0.00 0.01 0.05 1/123 -4\n"}) {
        EXPECT_FALSE(parseLastIdentifier(broken)) << broken;
    }
}

}  // namespace
}  // namespace vantric
