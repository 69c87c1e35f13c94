#include "platform/linux/utf8_text.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::bytes;

constexpr const char* fffd = "\xEF\xBF\xBD";

TEST(Utf8Text, ReplacesEachMaximalIllFormedSubpartOnce) {
    const std::pair<std::string, std::string> rows[] = {
        {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\xE2\x82"
         "A",
         std::string(fffd) + "A"},                          // cut short: one replacement, A kept
        {"\xC0\xAF", std::string(fffd) + fffd},             // overlong '/'
        {"\xE0\x80\xAF", std::string(fffd) + fffd + fffd},  // overlong, three bytes
        {"\xED\xA0\x80", std::string(fffd) + fffd + fffd},  // a surrogate
        {"\xF4\x90\x80\x80", std::string(fffd) + fffd + fffd + fffd},  // beyond U+10FFFF
        {"\x80x", std::string(fffd) + "x"},                            // a lone continuation byte
    };
    for (const auto& [input, expected] : rows) {
        EXPECT_EQ(validUtf8(input), expected) << ::testing::PrintToString(input);
    }
}

TEST(Utf8Text, TrimsBlanksAndControlsAtBothEndsOnly) {
    const std::pair<std::string, std::string> rows[] = {
        {bytes(" \t\r\n Pine64 RockPro64 v2.1\n\0\0"), "Pine64 RockPro64 v2.1"},
        {"\xC2\xA0\xE2\x80\x8B"
         "Board\xEF\xBB\xBF\xC2\x85",
         "Board"},                                                           // NBSP, ZWSP; BOM, NEL
        {bytes("\xFFModel\xE2\x82\0"), std::string(fffd) + "Model" + fffd},  // replacements stay
    };
    for (const auto& [input, expected] : rows) {
        EXPECT_EQ(trimmedText(input), expected) << ::testing::PrintToString(input);
    }
}

}  // namespace
}  // namespace vantric
