#include "core/format.hpp"

#include <chrono>
#include <climits>
#include <cmath>
#include <limits>
#include <ostream>
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
const NumberSymbols enIN{.secondaryGroupSize = 2};
const NumberSymbols esES{
    .decimalSeparator = ",", .groupSeparator = ".", .minimumGroupingDigits = 2};
const NumberSymbols arEG{
    .decimalSeparator = "\u066b", .groupSeparator = "\u066c", .zeroDigit = U'\u0660'};
// Digits that run past the top of char32_t, where zero + 9 wraps round to a small number.
const NumberSymbols wrapping{.zeroDigit = static_cast<char32_t>(0xFFFFFFF8)};

const auto rowName = [](const auto& info) { return std::string(info.param.name); };

struct PercentRow {
    const char* name;
    double fraction;
    const char* text;
    friend void PrintTo(const PercentRow& row, std::ostream* out) { *out << row.name; }
};

class FormatPercentNumber : public ::testing::TestWithParam<PercentRow> {};

TEST_P(FormatPercentNumber, IsWholePercentClampedToZeroAndHundred) {
    EXPECT_EQ(Format::percentNumber(GetParam().fraction), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Fractions, FormatPercentNumber,
    ::testing::Values(PercentRow{"negative", -0.2, "0"}, PercentRow{"zero", 0, "0"},
                      PercentRow{"belowHalfPercent", 0.004, "0"}, PercentRow{"rounds", 0.426, "43"},
                      PercentRow{"halfGoesUp", 0.125, "13"}, PercentRow{"nearlyAll", 0.996, "100"},
                      PercentRow{"aboveOne", 1.7, "100"}, PercentRow{"nan", nan, "0"},
                      PercentRow{"infinity", inf, "0"}),
    rowName);

struct BytesRow {
    const char* name;
    std::uint64_t count;
    int fractionDigits;
    NumberSymbols symbols;
    ByteText text;
    friend void PrintTo(const BytesRow& row, std::ostream* out) { *out << row.name; }
};

class FormatBytes : public ::testing::TestWithParam<BytesRow> {};

TEST_P(FormatBytes, PicksTheUnitOnTheExactCountThenRounds) {
    const BytesRow& row = GetParam();
    EXPECT_EQ(Format::bytes(row.count, row.fractionDigits, row.symbols), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, FormatBytes,
    ::testing::Values(
        BytesRow{"sixteenGiBPadsZero", 16 * giB, 1, enUS, {"16.0", "GB"}},
        BytesRow{"oneAndHalfGiB", 1610612736, 2, enUS, {"1.50", "GB"}},
        BytesRow{"oneAndHalfGiBGerman", 1610612736, 2, deDE, {"1,50", "GB"}},
        BytesRow{"oneAndHalfGiBFrench", 1610612736, 2, frFR, {"1,50", "GB"}},
        BytesRow{"hundredsOfGiBDropDigits", 128 * giB, 1, enUS, {"128", "GB"}},
        BytesRow{"twoTiBStaysInGB", 2 * tiB, 1, enUS, {"2,048", "GB"}},
        BytesRow{"twoTiBGerman", 2 * tiB, 1, deDE, {"2.048", "GB"}},
        BytesRow{"twoTiBFrench", 2 * tiB, 1, frFR, {"2\u202f048", "GB"}},
        BytesRow{"indianGrouping", 1234567 * giB, 0, enIN, {"12,34,567", "GB"}},
        BytesRow{"spanishLeavesFourDigits", tiB, 0, esES, {"1024", "GB"}},
        BytesRow{"spanishGroupsFiveDigits", 10 * tiB, 0, esES, {"10.240", "GB"}},
        BytesRow{"largestCount", UINT64_MAX, 3, enUS, {"17,179,869,184", "GB"}},
        BytesRow{"oneByteShortOfGiB", giB - 1, 2, enUS, {"1,024", "MB"}},
        BytesRow{"hundredsOfMiB", 150 * miB, 2, enUS, {"150", "MB"}},
        BytesRow{"mibIgnoreCallerDigits", 5 * miB, 2, enUS, {"5.0", "MB"}},
        BytesRow{"kibRoundTieToEven", 1536, 1, enUS, {"2", "KB"}},
        BytesRow{"kibTieDown", 2560, 1, enUS, {"2", "KB"}},
        BytesRow{"zero", 0, 1, enUS, {"0", "KB"}},
        BytesRow{"gibTieDown", giB + giB / 8, 2, enUS, {"1.12", "GB"}},
        BytesRow{"gibTieUp", giB + 3 * giB / 8, 2, enUS, {"1.38", "GB"}},
        BytesRow{"negativeDigitsAreNone", 2 * giB + giB / 2, -1, enUS, {"2", "GB"}},
        BytesRow{
            "hugeDigitsAreCapped", 1610612736, INT_MAX, enUS, {"1.50000000000000000000", "GB"}}),
    rowName);

struct CorePercentRow {
    const char* name;
    double percent;
    NumberSymbols symbols;
    const char* text;
    friend void PrintTo(const CorePercentRow& row, std::ostream* out) { *out << row.name; }
};

class FormatCorePercent : public ::testing::TestWithParam<CorePercentRow> {};

TEST_P(FormatCorePercent, HasOneFractionDigitInTheLocaleAndASign) {
    EXPECT_EQ(Format::corePercent(GetParam().percent, GetParam().symbols), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Shares, FormatCorePercent,
    ::testing::Values(CorePercentRow{"rounds", 12.34, enUS, "12.3%"},
                      CorePercentRow{"zero", 0, enUS, "0.0%"},
                      CorePercentRow{"severalProcessors", 1234.5, enUS, "1,234.5%"},
                      CorePercentRow{"german", 12.34, deDE, "12,3%"},
                      CorePercentRow{"tieToEven", 0.25, enUS, "0.2%"},
                      CorePercentRow{"indian", 1234567, enIN, "12,34,567.0%"},
                      CorePercentRow{"spanish", 1234, esES, "1234,0%"},
                      CorePercentRow{"arabicIndicDigits", 1234.5, arEG,
                                     "\u0661\u066c\u0662\u0663\u0664\u066b\u0665%"},
                      CorePercentRow{"unusableZeroDigit", 1.5, {.zeroDigit = U'\uD7FA'}, "1.5%"},
                      CorePercentRow{"wrappingZeroDigit", 1.5, wrapping, "1.5%"},
                      CorePercentRow{"negative", -5.25, enUS, "-5.2%"},
                      CorePercentRow{"negativeZero", -0.0, enUS, "0.0%"},
                      CorePercentRow{"negativeRoundsToZero", -0.04, enUS, "0.0%"},
                      CorePercentRow{"nan", nan, deDE, "0,0%"},
                      CorePercentRow{"infinity", inf, enUS, "0.0%"}),
    rowName);

TEST(FormatCorePercentLimit, WritesEveryDigitOfTheLargestDouble) {
    const std::string text =
        Format::corePercent(std::numeric_limits<double>::max(), {.groupSeparator = ""});
    EXPECT_EQ(text.size(), 309 + std::string(".0%").size());
    EXPECT_EQ(text.substr(0, 17), "17976931348623157");
}

struct UptimeRow {
    const char* name;
    TimePoint since;
    TimePoint now;
    const char* text;
    friend void PrintTo(const UptimeRow& row, std::ostream* out) { *out << row.name; }
};

class FormatUptime : public ::testing::TestWithParam<UptimeRow> {};

TEST_P(FormatUptime, CountsWholeMinutesAndNeverGoesNegative) {
    EXPECT_EQ(Format::uptime(GetParam().since, GetParam().now), GetParam().text);
}

constexpr TimePoint boot{1700000000s};
constexpr TimePoint earliest = TimePoint::min();
constexpr TimePoint latest = TimePoint::max();

INSTANTIATE_TEST_SUITE_P(
    Spans, FormatUptime,
    ::testing::Values(UptimeRow{"underAnHour", boot, boot + 59min + 59s, "59m"},
                      UptimeRow{"hoursAndMinutes", boot, boot + 61min, "1h 1m"},
                      UptimeRow{"underADay", boot, boot + 24h - 1s, "23h 59m"},
                      UptimeRow{"daysAndHours", boot, boot + 25h + 30min, "1d 1h"},
                      UptimeRow{"exactlyThreeDays", boot, boot + 72h, "3d 0h"},
                      UptimeRow{"truncatesTheSpanNotEachEnd", boot + 900ms, boot + 60s + 100ms,
                                "0m"},
                      UptimeRow{"nowBeforeSince", boot, boot - 1h, "0m"},
                      UptimeRow{"nearTheEarliest", earliest, earliest + 61min, "1h 1m"},
                      UptimeRow{"nearTheLatest", latest - 72h, latest, "3d 0h"},
                      UptimeRow{"overflowSaturates", earliest, latest, "106751d 23h"},
                      UptimeRow{"overflowBackwards", latest, earliest, "0m"}),
    rowName);

}  // namespace
}  // namespace vantric
