// The vantric program as a user runs it: the lines themselves are checked in json_lines_test.
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace vantric {
namespace {

int exitStatus(const std::string& arguments) {
    const std::string command = std::string(VANTRIC_PROGRAM) + " " + arguments;
    const int status = std::system(command.c_str());  // NOLINT(concurrency-mt-unsafe)
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(VantricProgram, ExitsZeroAfterWhatWasAskedTwoWithAUsageLineOnABadArgumentAndOneUnwritten) {
    EXPECT_EQ(exitStatus("--json --count 1 | grep -c '^{\"date\":' | grep -qx 1"), 0);
    EXPECT_EQ(exitStatus("--frobnicate 2>&1 >/dev/null | grep -q '^usage: vantric'"), 0);
    EXPECT_EQ(exitStatus("--frobnicate 2>/dev/null"), 2);
    EXPECT_EQ(exitStatus("--json --count none 2>/dev/null"), 2);

    // The machine's description or help, and a word when they cannot be written.
    EXPECT_EQ(
        exitStatus("--info | grep -c '^{\"chip\":.*\"coreSummary\":\"[0-9]* cores' | grep -qx 1"),
        0);
    EXPECT_EQ(exitStatus("--help | grep -q '^usage: vantric'"), 0);
    EXPECT_EQ(exitStatus("--help | grep -q '^  --json$'"), 0);
    EXPECT_EQ(exitStatus("--version | grep -qx 'vantric " VANTRIC_VERSION "'"), 0);
    EXPECT_EQ(exitStatus("--info >/dev/full 2>/dev/null"), 1);
    EXPECT_EQ(exitStatus("--info 2>&1 >/dev/full | grep -q 'cannot write'"), 0);
}

}  // namespace
}  // namespace vantric
