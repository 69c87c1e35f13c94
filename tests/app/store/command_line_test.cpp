#include "app/store/command_line.hpp"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using Arguments = std::vector<std::string_view>;

TEST(CommandLine, AcceptsJsonWithAndWithoutACountOrInfoAloneAndRejectsTheRest) {
    EXPECT_FALSE(parseCommandLine(Arguments{})->json);
    EXPECT_FALSE(parseCommandLine(Arguments{})->info);
    EXPECT_TRUE(parseCommandLine(Arguments{"--info"})->info);
    EXPECT_FALSE(parseCommandLine(Arguments{"--json"})->count);
    EXPECT_EQ(parseCommandLine(Arguments{"--count", "3", "--json"})->count, 3U);
    for (const Arguments& rejected :
         {Arguments{"-json"}, Arguments{"--json", "--count"}, Arguments{"--json", "--count", "0"},
          Arguments{"--json", "--count", "-1"},
          Arguments{"--json", "--count", "99999999999999999999999"},
          Arguments{"--json", "--count", "1", "--count", "2"}, Arguments{"--count", "3"},
          Arguments{"--json", "extra"}, Arguments{"--info", "--json"}}) {
        EXPECT_FALSE(parseCommandLine(rejected)) << rejected.back();
    }
}

TEST(CommandLine, TakesScreenshotOptionsOnlyWithAScreenshotAndUrlsOnlyForTheWindow) {
    const auto shot = parseCommandLine(
        Arguments{"--readings", "0", "--screenshot", "/tmp/a.png", "--page", "memory"});
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->screenshot, "/tmp/a.png");
    EXPECT_EQ(shot->page, "memory");
    EXPECT_EQ(shot->readings, 0U);
    EXPECT_FALSE(parseCommandLine(Arguments{"--screenshot", "a.png"})->readings);

    const auto window = parseCommandLine(Arguments{"vantric://memory", "vantric://cpu"});
    ASSERT_TRUE(window);
    EXPECT_EQ(window->urls, (std::vector<std::string>{"vantric://memory", "vantric://cpu"}));

    for (const Arguments& rejected :
         {Arguments{"--screenshot"}, Arguments{"--screenshot", ""}, Arguments{"--readings", "2"},
          Arguments{"--screenshot", "a.png", "--json"},
          Arguments{"--screenshot", "a.png", "vantric://cpu"}}) {
        EXPECT_FALSE(parseCommandLine(rejected)) << rejected.back();
    }
}

TEST(CommandLine, NamesWhatItCouldNotUseAndTakesHelpFromAnywhere) {
    EXPECT_TRUE(parseCommandLine(Arguments{"--json", "--help", "--bogus"})->help);
    const std::pair<Arguments, const char*> rows[] = {
        {{"--json", "--count", "2x"}, "--count needs a positive whole number, not \"2x\""},
        {{"--screenshot", "a.png", "--readings"}, "--readings needs a whole number"},
        {{"--frobnicate"}, "unknown option \"--frobnicate\""},
        {{"--page", "cpu"}, "--page goes only with --screenshot"},
        {{"--info", "--info"}, "--info is given twice"},
        {{"--json", "vantric://cpu"}, "\"vantric://cpu\": only the window opens URLs"},
    };
    for (const auto& [arguments, problem] : rows) {
        EXPECT_EQ(parseCommandLine(arguments).problem, problem);
    }
}

}  // namespace
}  // namespace vantric
