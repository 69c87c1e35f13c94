#include "platform/linux/pressure.hpp"

#include <cmath>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

constexpr double stallThreshold = 10.0;
constexpr double criticalAvailableShare = 0.05;
constexpr double warningAvailableShare = 0.15;

// "avg10=1.23" in a line of key=value tokens.
std::optional<double> averageOverTenSeconds(std::string_view rest) {
    for (std::string_view token = nextToken(rest); !token.empty(); token = nextToken(rest)) {
        if (token.starts_with("avg10=")) {
            const auto value = parseDecimal(token.substr(6));
            // A share of time: more than 100 % is not a reading.
            if (!value || !std::isfinite(*value) || *value < 0 || *value > 100) {
                return std::nullopt;
            }
            return value;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<PressureStall> parsePressure(std::string_view text) {
    std::optional<double> some;
    std::optional<double> full;
    bool fullSeen = false;
    const bool whole = forEachCompleteLine(text, [&](std::string_view line) {
        std::string_view rest = line;
        const std::string_view kind = nextToken(rest);
        if (kind == "some") {
            some = averageOverTenSeconds(rest);
        } else if (kind == "full") {
            fullSeen = true;
            full = averageOverTenSeconds(rest);
        }
        return true;
    });
    // A "full" line that is there but unreadable must not pass for no stall: a thrashing
    // machine would read as merely elevated. A text that ends inside a line may have lost it.
    if (!whole || !some || (fullSeen && !full)) {
        return std::nullopt;
    }
    return PressureStall{.someAvg10 = *some, .fullAvg10 = full.value_or(0)};
}

std::int32_t pressureLevelFromStall(const PressureStall& stall) {
    if (stall.fullAvg10 >= stallThreshold) {
        return pressureCritical;
    }
    if (stall.someAvg10 >= stallThreshold) {
        return pressureWarning;
    }
    return pressureNormal;
}

std::optional<std::int32_t> pressureLevelFromAvailable(const Meminfo& info) {
    if (!info.memAvailable || !info.memTotal || *info.memTotal == 0) {
        return std::nullopt;
    }
    const double share =
        static_cast<double>(*info.memAvailable) / static_cast<double>(*info.memTotal);
    if (share < criticalAvailableShare) {
        return pressureCritical;
    }
    if (share < warningAvailableShare) {
        return pressureWarning;
    }
    return pressureNormal;
}

}  // namespace vantric
