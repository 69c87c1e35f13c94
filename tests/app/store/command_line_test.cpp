#include "app/store/command_line.hpp"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using Arguments = std::vector<std::string_view>;

// JSON with or without a count, the description alone, a screenshot with its options, URLs for
// the window.
TEST(CommandLine, TakesEachModeWithTheOptionsThatBelongToIt) {
    EXPECT_FALSE(parseCommandLine(Arguments{})->json);
    EXPECT_FALSE(parseCommandLine(Arguments{})->info);
    EXPECT_TRUE(parseCommandLine(Arguments{"--info"})->info);
    EXPECT_FALSE(parseCommandLine(Arguments{"--json"})->count);
    EXPECT_EQ(parseCommandLine(Arguments{"--count", "3", "--json"})->count, 3U);
    EXPECT_EQ(parseCommandLine(Arguments{"--serve", "0.0.0.0:9100"})->serve, "0.0.0.0:9100");

    const CommandLine shot = parseCommandLine(Arguments{"--readings", "0", "--screenshot",
                                                        "/tmp/a.png", "--page", "memory"})
                                 .request.value();
    EXPECT_EQ(shot.screenshot, "/tmp/a.png");
    EXPECT_EQ(shot.page, "memory");
    EXPECT_EQ(shot.readings, 0U);
    EXPECT_FALSE(parseCommandLine(Arguments{"--screenshot", "a.png"})->readings);
    EXPECT_EQ(parseCommandLine(Arguments{"vantric://memory", "vantric://cpu"}).request.value().urls,
              (std::vector<std::string>{"vantric://memory", "vantric://cpu"}));
}

TEST(CommandLine, RefusesWhatItCannotUseSayingWhyAndTakesHelpFromAnywhere) {
    for (const Arguments& rejected :
         {Arguments{"-json"}, Arguments{"--json", "--count"}, Arguments{"--json", "--count", "0"},
          Arguments{"--json", "--count", "-1"},
          Arguments{"--json", "--count", "99999999999999999999999"},
          Arguments{"--json", "--count", "1", "--count", "2"}, Arguments{"--count", "3"},
          Arguments{"--json", "extra"}, Arguments{"--info", "--json"}, Arguments{"--screenshot"},
          Arguments{"--screenshot", ""}, Arguments{"--readings", "2"},
          Arguments{"--screenshot", "a.png", "--json"},
          Arguments{"--screenshot", "a.png", "vantric://cpu"}, Arguments{"--serve"},
          Arguments{"--serve", "9100", "--count", "2"},
          Arguments{"--serve", "9100", "vantric://cpu"}}) {
        EXPECT_FALSE(parseCommandLine(rejected)) << rejected.back();
    }
    EXPECT_TRUE(parseCommandLine(Arguments{"--json", "--help", "--bogus"})->help);
    const auto version = parseCommandLine(Arguments{"--info", "--version", "--bogus"});
    EXPECT_TRUE(version->version && !version->help && !version->info);
    const std::pair<Arguments, const char*> rows[] = {
        {{"--json", "--count", "2x"}, "--count needs a positive whole number, not \"2x\""},
        {{"--screenshot", "a.png", "--readings"}, "--readings needs a whole number"},
        {{"--frobnicate"}, "unknown option \"--frobnicate\""},
        {{"--page", "cpu"}, "--page goes only with --screenshot"},
        {{"--info", "--info"}, "--info is given twice"},
        {{"--serve", "1", "--json"}, "--json, --info, --serve and --screenshot go one at a time"},
        {{"--json", "vantric://cpu"}, "\"vantric://cpu\": only the window opens URLs"},
    };
    for (const auto& [arguments, problem] : rows) {
        EXPECT_EQ(parseCommandLine(arguments).problem, problem);
    }
}

}  // namespace
}  // namespace vantric
