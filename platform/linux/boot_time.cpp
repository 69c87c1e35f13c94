#include "platform/linux/boot_time.hpp"

#include <limits>

#include "platform/linux/text_fields.hpp"

namespace vantric {

std::optional<std::int64_t> parseBootTime(std::string_view procStat) {
    std::optional<std::int64_t> booted;
    forEachCompleteLine(procStat, [&](std::string_view line) {
        if (nextToken(line) != "btime") {
            return true;
        }
        const auto seconds = parseUnsigned(nextToken(line));
        if (seconds && nextToken(line).empty() &&
            *seconds <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            booted = static_cast<std::int64_t>(*seconds);
        }
        return false;
    });
    return booted;
}

}  // namespace vantric
