#include "app/store/command_line.hpp"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

std::optional<CommandLine> parse(std::vector<std::string_view> arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, AcceptsJsonWithAndWithoutACount) {
    const auto plain = parse({});
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->json);

    const auto json = parse({"--json"});
    ASSERT_TRUE(json);
    EXPECT_TRUE(json->json);
    EXPECT_FALSE(json->count);

    for (const auto& arguments : {std::vector<std::string_view>{"--json", "--count", "3"},
                                  std::vector<std::string_view>{"--count", "3", "--json"}}) {
        const auto counted = parse(arguments);
        ASSERT_TRUE(counted);
        EXPECT_TRUE(counted->json);
        EXPECT_EQ(counted->count, 3U);
    }
}

TEST(CommandLine, RejectsWhatItDoesNotKnow) {
    const std::vector<std::vector<std::string_view>> rejected{
        {"--bogus"},
        {"json"},
        {"--json", "--json"},
        {"--json", "--count"},
        {"--json", "--count", "0"},
        {"--json", "--count", "-1"},
        {"--json", "--count", "2x"},
        {"--json", "--count", ""},
        {"--json", "--count", "99999999999999999999999"},
        {"--json", "--count", "1", "--count", "2"},
        {"--count", "3"},
        {"--json", "extra"},
    };
    for (const auto& arguments : rejected) {
        std::string shown;
        for (const auto argument : arguments) {
            shown += std::string(argument) + " ";
        }
        EXPECT_FALSE(parse(arguments)) << shown;
    }
}

}  // namespace
}  // namespace vantric
