#include "core/format.hpp"

#include <chrono>
#include <climits>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using namespace std::chrono_literals;
using TimePoint = std::chrono::system_clock::time_point;

constexpr std::uint64_t miB = 1ULL << 20;
constexpr std::uint64_t giB = 1ULL << 30;
constexpr std::uint64_t tiB = 1ULL << 40;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

const NumberSymbols enUS{};
const NumberSymbols deDE{.decimalSeparator = ",", .groupSeparator = "."};
const NumberSymbols frFR{.decimalSeparator = ",", .groupSeparator = "\u202f"};
const NumberSymbols esES{
    .decimalSeparator = ",", .groupSeparator = ".", .minimumGroupingDigits = 2};

TEST(FormatPercentNumber, IsWholePercentRoundedHalfUpAndClampedToZeroAndHundred) {
    const std::pair<double, const char*> rows[] = {
        {-0.2, "0"},  {0.004, "0"}, {0.426, "43"}, {0.125, "13"},
        {1.7, "100"}, {nan, "0"},   {inf, "0"},
    };
    for (const auto& [fraction, text] : rows) {
        EXPECT_EQ(Format::percentNumber(fraction), text) << fraction;
    }
}

struct BytesRow {
    std::uint64_t count;
    int fractionDigits;
    NumberSymbols symbols;
    ByteText text;
};

TEST(FormatBytes, PicksTheUnitOnTheExactCountThenRoundsTiesToEven) {
    const BytesRow rows[] = {
        {giB, 1, enUS, {"1.0", "GB"}},
        {1610612736, 2, deDE, {"1,50", "GB"}},
        {giB + giB / 8, 2, enUS, {"1.12", "GB"}},
        {128 * giB, 1, enUS, {"128", "GB"}},
        // No unit above GB, grouped with a separator of several bytes.
        {2 * tiB, 1, frFR, {"2\u202f048", "GB"}},
        {tiB, 0, esES, {"1024", "GB"}},
        {10 * tiB, 0, esES, {"10.240", "GB"}},
        {giB - 1, 2, enUS, {"1,024", "MB"}},
        {150 * miB, 2, enUS, {"150", "MB"}},
        // Megabytes always have one fraction digit, whatever the caller asks for.
        {miB, 2, enUS, {"1.0", "MB"}},
        // Ties go to the even digit.
        {1536, 1, enUS, {"2", "KB"}},
        {2560, 1, enUS, {"2", "KB"}},
        {0, 1, enUS, {"0", "KB"}},
        {2 * giB + giB / 2, -1, enUS, {"2", "GB"}},
        {1610612736, INT_MAX, enUS, {"1.50000000000000000000", "GB"}},
    };
    for (const BytesRow& row : rows) {
        EXPECT_EQ(Format::bytes(row.count, row.fractionDigits, row.symbols), row.text)
            << row.count << " bytes, " << row.fractionDigits << " digits";
    }
}

TEST(FormatCorePercent, HasOneFractionDigitInTheLocaleAndASignOnlyOffZero) {
    const NumberSymbols enIN{.secondaryGroupSize = 2};
    const NumberSymbols arEG{
        .decimalSeparator = "\u066b", .groupSeparator = "\u066c", .zeroDigit = U'\u0660'};
    // Digits that would run into the surrogates, or past the top of char32_t where zero + 9 wraps
    // round to a small number, are written as ASCII.
    const NumberSymbols surrogate{.zeroDigit = U'\uD7FA'};
    const NumberSymbols wrapping{.zeroDigit = static_cast<char32_t>(0xFFFFFFF8)};
    const std::tuple<double, NumberSymbols, const char*> rows[] = {
        {12.34, enUS, "12.3%"},
        {12.34, deDE, "12,3%"},
        {1234567, enIN, "12,34,567.0%"},
        {1234.5, arEG, "\u0661\u066c\u0662\u0663\u0664\u066b\u0665%"},
        {1.5, surrogate, "1.5%"},
        {1.5, wrapping, "1.5%"},
        {-5.25, enUS, "-5.2%"},
        {-0.0, enUS, "0.0%"},
        {-0.04, enUS, "0.0%"},
        {nan, deDE, "0,0%"},
        {inf, enUS, "0.0%"},
    };
    for (const auto& [percent, symbols, text] : rows) {
        EXPECT_EQ(Format::corePercent(percent, symbols), text) << percent;
    }
}

TEST(FormatCorePercent, WritesEveryDigitOfTheLargestDouble) {
    const std::string text =
        Format::corePercent(std::numeric_limits<double>::max(), {.groupSeparator = ""});
    EXPECT_EQ(text.size(), 309 + std::string(".0%").size());
    EXPECT_EQ(text.substr(0, 17), "17976931348623157");
}

TEST(FormatUptime, CountsWholeMinutesSaturatesAndNeverGoesNegative) {
    constexpr TimePoint boot{1700000000s};
    constexpr TimePoint earliest = TimePoint::min();
    constexpr TimePoint latest = TimePoint::max();
    const std::tuple<TimePoint, TimePoint, const char*> rows[] = {
        {boot, boot + 59min + 59s, "59m"},
        {boot, boot + 60min, "1h 0m"},
        {boot, boot + 24h - 1s, "23h 59m"},
        {boot, boot + 25h + 30min, "1d 1h"},
        {boot + 900ms, boot + 60s + 100ms, "0m"},  // the span is truncated, not each end
        {boot, boot - 1h, "0m"},
        {earliest, earliest + 61min, "1h 1m"},
        {latest - 72h, latest, "3d 0h"},
        {earliest, latest, "106751d 23h"},
        {latest, earliest, "0m"},
    };
    for (const auto& [since, now, text] : rows) {
        EXPECT_EQ(Format::uptime(since, now), text) << since.time_since_epoch().count();
    }
}

}  // namespace
}  // namespace vantric
