#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantric {

// Text of /proc/stat -> its btime line: when the machine booted, in whole seconds since
// 1970-01-01 00:00:00 UTC. Nothing when the line is missing, is not one number, or the number
// does not fit a signed 64-bit count.
std::optional<std::int64_t> parseBootTime(std::string_view procStat);

}  // namespace vantric
