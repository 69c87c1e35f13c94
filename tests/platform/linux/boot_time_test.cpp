#include "platform/linux/boot_time.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(BootTime, ReadsTheWholeBtimeLineOnly) {
    const std::pair<const char*, std::optional<std::int64_t>> rows[] = {
        {"cpu  1 2 3 4\nbtime 1700000000\nprocesses 5\n", 1700000000},
        {"btime 9223372036854775807\n", 9223372036854775807},
        {"btime 9223372036854775808\n", std::nullopt},  // does not fit a signed count
        {"btime -1\n", std::nullopt},
        {"btime 17 00\n", std::nullopt},
        {"btimes 1700000000\n", std::nullopt},
        {"cpu  1 2 3 4\nbtime 17000", std::nullopt},  // cut short
    };
    for (const auto& [text, booted] : rows) {
        EXPECT_EQ(parseBootTime(text), booted) << text;
    }
}

}  // namespace
}  // namespace vantric
