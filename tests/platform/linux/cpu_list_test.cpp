#include "platform/linux/cpu_list.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(CpuList, ReadsTheKernelsRangesIntoProcessors) {
    const std::pair<const char*, CpuSet> rows[] = {
        {"0-3,5,8-11\n", {0, 1, 2, 3, 5, 8, 9, 10, 11}},
        {"0\n", {0}},
        {"12-15", {12, 13, 14, 15}},
        {"\n", {}},
        {"", {}},
        {"65535\n", {65535}},
    };
    for (const auto& [text, processors] : rows) {
        EXPECT_EQ(parseCpuList(text), processors) << text;
    }
}

TEST(CpuList, RefusesAnythingTheKernelDoesNotWrite) {
    for (const char* text : {"0-", "-3", "3-1", "0,,2", "0,", ",0", "1,0", "0-3,2", "0-3,3", "a",
                             "0 -3", "0-3\n\n", " 0", "0x1", "0-7:2", "65536", "0-65536"}) {
        EXPECT_FALSE(parseCpuList(text)) << text;
    }
}

}  // namespace
}  // namespace vantric
