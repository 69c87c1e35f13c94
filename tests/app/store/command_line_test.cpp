#include "app/store/command_line.hpp"

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
         {Arguments{"--bogus"}, Arguments{"json"}, Arguments{"--json", "--json"},
          Arguments{"--json", "--count"}, Arguments{"--json", "--count", "0"},
          Arguments{"--json", "--count", "-1"}, Arguments{"--json", "--count", "2x"},
          Arguments{"--json", "--count", "99999999999999999999999"},
          Arguments{"--json", "--count", "1", "--count", "2"}, Arguments{"--count", "3"},
          Arguments{"--json", "extra"}, Arguments{"--info", "--json"},
          Arguments{"--info", "--info"}, Arguments{"--info", "--count", "1"}}) {
        EXPECT_FALSE(parseCommandLine(rejected)) << rejected.back();
    }
}

}  // namespace
}  // namespace vantric
