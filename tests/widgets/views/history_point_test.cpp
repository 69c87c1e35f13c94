#include "widgets/views/history_point.hpp"

#include <chrono>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;
using Kind = JsonError::Kind;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(AbsoluteTime, CountsFrom2001AndSaturatesForDatesTheClockCannotHold) {
    const auto minuteIn = std::chrono::sys_days{std::chrono::year{2001} / 1 / 1} + 1min;
    EXPECT_DOUBLE_EQ(AbsoluteTime::from(minuteIn).secondsSinceReferenceDate, 60);
    // The year 2287, only just past the 64-bit nanosecond range, would otherwise wrap to 1677.
    // The clock's maximum as a double is 2^63 ns, one past what it can hold.
    const double limit = std::chrono::duration<double>(Clock::duration::max()).count() -
                         AbsoluteTime::referenceDateUnixSeconds;
    for (const double seconds : {infinity, 1e10, limit}) {
        EXPECT_EQ(AbsoluteTime{seconds}.systemTime(), Clock::time_point::max()) << seconds;
    }
    for (const double seconds : {-infinity, -1.1e10}) {
        EXPECT_EQ(AbsoluteTime{seconds}.systemTime(), Clock::time_point::min()) << seconds;
    }
    EXPECT_EQ(AbsoluteTime{nan}.systemTime(), AbsoluteTime{}.systemTime());
    EXPECT_EQ(AbsoluteTime{60}.systemTime(), minuteIn);
}

TEST(HistoryJson, RoundTripsExactlyAndReadsIntegersAndFurtherKeys) {
    const std::vector<HistoryPoint> history{
        {.date = AbsoluteTime{756123456.789}, .cpu = 0.25, .memory = 0.6875, .gpu = 0.1},
        {.date = AbsoluteTime::now(), .cpu = 1.0 / 3, .memory = 0.1 + 0.2, .gpu = 0},
        {.date = AbsoluteTime{-12.0625}, .cpu = 0, .memory = 1, .gpu = 0.999999999}};
    EXPECT_EQ(decodeHistory(encodeHistory(history).value()).value(), history);
    EXPECT_EQ(encodeHistory({}).value(), "[]");
    EXPECT_TRUE(decodeHistory("[]").value().empty());
    // Stored by another version: the date counts from 2001.
    const auto stored = decodeHistory(
        R"([{"date": 60, "cpu": 1, "memory": 0, "gpu": 0.5, "note": "hot", "cpu2": null}])");
    EXPECT_EQ(
        stored.value(),
        (std::vector<HistoryPoint>{{.date = AbsoluteTime{60}, .cpu = 1, .memory = 0, .gpu = 0.5}}));
}

TEST(HistoryJson, RefusesNonFiniteNumbersInsteadOfWritingNull) {
    EXPECT_EQ(toJson(HistoryPoint{.cpu = nan}).error(), (JsonError{Kind::unencodable, "cpu"}));
    EXPECT_EQ(toJson(HistoryPoint{.date = AbsoluteTime{infinity}}).error(),
              (JsonError{Kind::unencodable, "date"}));
    EXPECT_EQ(encodeHistory({{}, HistoryPoint{.gpu = -infinity}}).error(),
              (JsonError{Kind::unencodable, "gpu"}));
}

// One faulty point fails the whole history, naming the key at fault.
TEST(HistoryJson, FailsAsAWholeOnDamagedText) {
    const std::string good = R"({"date": 1, "cpu": 0.1, "memory": 0.2, "gpu": 0.3})";
    const std::pair<std::string, JsonError> rows[] = {
        {R"({"date": 1, "cpu": 0, "memory": 0})", {Kind::missingKey, "gpu"}},
        {R"({"date": 2, "cpu": 0.1}, )" + good, {Kind::missingKey, "memory"}},
        {R"({"date": 1, "cpu": "0.5", "memory": 0, "gpu": 0})", {Kind::typeMismatch, "cpu"}},
        {R"({"date": 1, "cpu": 0, "memory": 0, "gpu": null})", {Kind::typeMismatch, "gpu"}},
        {R"({"date": "2001-01-01T00:01:00Z", "cpu": 0, "memory": 0, "gpu": 0})",
         {Kind::typeMismatch, "date"}},
        {"7", {Kind::typeMismatch, ""}}};
    for (const auto& [points, error] : rows) {
        EXPECT_EQ(decodeHistory("[" + good + ", " + points + "]").error(), error) << points;
    }
    EXPECT_EQ(decodeHistory(R"({"date": 1, "cpu": 0, "memory": 0, "gpu": 0})").error(),
              (JsonError{Kind::typeMismatch, ""}));
    EXPECT_EQ(decodeHistory("[" + good).error().kind, Kind::malformedText);
}

}  // namespace
}  // namespace vantric
