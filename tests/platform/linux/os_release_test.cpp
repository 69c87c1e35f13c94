#include "platform/linux/os_release.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(OsRelease, UndoesQuotesAndEscapesAsTheShellWould) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"PRETTY_NAME='It''s \\ plain'", "Its \\ plain"},
        {R"(PRETTY_NAME="Say \"hi\" \\ \$HOME \`x\` \n")", R"(Say "hi" \ $HOME `x` \n)"},
        {"PRETTY_NAME=Two\\ words", "Two words"},
        {"  PRETTY_NAME=\"Indented\"  \r", "Indented"},
        {"PRETTY_NAME=", ""},
        {"# PRETTY_NAME=\"Comment\"\nNAME=\"Other\"\nPRETTY_NAMES=\"Near\"", std::nullopt},
        {"PRETTY_NAME=\"Unclosed", std::nullopt},
        {"PRETTY_NAME='Unclosed", std::nullopt},
        {"PRETTY_NAME=Two words", std::nullopt},
        {"PRETTY_NAME=Ends\\", std::nullopt},
        {"PRETTY_NAME=\"Good\"\nPRETTY_NAME=\"Bad",
         std::nullopt},  // the last counts, even malformed
    };
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(osReleaseValue(text, "PRETTY_NAME"), value) << text;
    }
}

}  // namespace
}  // namespace vantric
