#include "platform/linux/boot_time.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(BootTime, ReadsTheWholeBtimeLineOnly) {
    EXPECT_EQ(parseBootTime("cpu  1 2 3 4\nbtime 1700000000\nprocesses 5\n"), 1700000000);
    EXPECT_EQ(parseBootTime("btime 9223372036854775807\n"), 9223372036854775807);
    // One more does not fit a signed count; then a second token, another key, a line cut short.
    for (const char* text : {"btime 9223372036854775808\n", "btime 17 00\n", "btimes 1700000000\n",
                             "cpu  1 2 3 4\nbtime 17000"}) {
        EXPECT_FALSE(parseBootTime(text)) << text;
    }
}

}  // namespace
}  // namespace vantric
