#include "platform/linux/cpu_list.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(CpuList, ReadsTheKernelsRangesAndRefusesAnythingElse) {
    EXPECT_EQ(parseCpuList("0-3,5,8-11\n"), (CpuSet{0, 1, 2, 3, 5, 8, 9, 10, 11}));
    EXPECT_EQ(parseCpuList("65535"), CpuSet{65535});
    EXPECT_EQ(parseCpuList("\n"), CpuSet{});  // no processor of the kind
    // Ranges must ascend and stay apart, with one line end at most and numbers the kernel allows.
    for (const char* text :
         {"0-", "3-1", "0,", "0,,2", "1,0", "0-3,3", "0x1", "0-3\n\n", "65536"}) {
        EXPECT_FALSE(parseCpuList(text)) << text;
    }
}

}  // namespace
}  // namespace vantric
