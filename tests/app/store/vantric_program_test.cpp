// The vantric program as a user runs it.
#include <cstdio>
#include <string>
#include <vector>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "core/json_fields.hpp"
#include "core/record_json.hpp"

namespace vantric {
namespace {

struct ProgramRun {
    int status;
    std::vector<std::string> lines;
};

ProgramRun run(const std::string& arguments) {
    const std::string command = std::string(VANTRIC_PROGRAM) + " " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    ProgramRun result{.status = -1, .lines = {}};
    if (pipe == nullptr) {
        return result;
    }
    std::string line;
    for (int character = std::fgetc(pipe); character != EOF; character = std::fgetc(pipe)) {
        if (character == '\n') {
            result.lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(character));
        }
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(VantricProgram, PrintsTheCountedLinesOfThisMachinesReadingsAndExitsZero) {
    const ProgramRun result = run("--json --count 2");
    EXPECT_EQ(result.status, 0);
    ASSERT_EQ(result.lines.size(), 2U);
    double previousDate = 0;
    for (const std::string& line : result.lines) {
        const auto json = parseJson(line);
        ASSERT_TRUE(json) << line;
        EXPECT_TRUE(cpuSnapshotFromJson(json.value()["cpu"])) << line;
        EXPECT_TRUE(memorySnapshotFromJson(json.value()["memory"])) << line;
        EXPECT_TRUE(gpuSnapshotFromJson(json.value()["gpu"])) << line;
        const double date = json.value()["date"].get<double>();
        EXPECT_GT(date, previousDate);
        previousDate = date;
    }
}

TEST(VantricProgram, BadArgumentPrintsOneUsageLineAndExitsTwo) {
    for (const char* arguments : {"--frobnicate", "--json --count none", "--json --count 0"}) {
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        ASSERT_EQ(result.lines.size(), 1U) << arguments;
        EXPECT_TRUE(result.lines[0].starts_with("usage: vantric")) << arguments;
    }
}

}  // namespace
}  // namespace vantric
