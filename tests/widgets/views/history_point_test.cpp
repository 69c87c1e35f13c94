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

const HistoryPoint samplePoint{
    .date = AbsoluteTime{756123456.789}, .cpu = 0.25, .memory = 0.6875, .gpu = 0.1};

TEST(AbsoluteTime, CountsFrom2001NotFrom1970) {
    const auto minuteIn = std::chrono::sys_days{std::chrono::year{2001} / 1 / 1} + 1min;
    EXPECT_DOUBLE_EQ(AbsoluteTime::from(minuteIn).secondsSinceReferenceDate, 60);
    EXPECT_EQ(AbsoluteTime{60}.systemTime(), minuteIn);
}

TEST(AbsoluteTime, SystemTimeSaturatesForDatesTheClockCannotHold) {
    EXPECT_EQ(AbsoluteTime{infinity}.systemTime(), Clock::time_point::max());
    EXPECT_EQ(AbsoluteTime{-infinity}.systemTime(), Clock::time_point::min());
    EXPECT_EQ(AbsoluteTime{nan}.systemTime(), AbsoluteTime{}.systemTime());
    // The year 2287, only just past the 64-bit nanosecond range, would otherwise wrap to 1677.
    EXPECT_EQ(AbsoluteTime{1e10}.systemTime(), Clock::time_point::max());
    EXPECT_EQ(AbsoluteTime{-1.1e10}.systemTime(), Clock::time_point::min());
    // The clock's maximum as a double is 2^63 ns, one past what it can hold.
    const double limit = std::chrono::duration<double>(Clock::duration::max()).count();
    EXPECT_EQ(AbsoluteTime{limit - AbsoluteTime::referenceDateUnixSeconds}.systemTime(),
              Clock::time_point::max());
}

TEST(HistoryPointJson, ReadsBackAnEqualPointAndAcceptsIntegersAndFurtherKeys) {
    EXPECT_EQ(historyPointFromJson(toJson(samplePoint).value()).value(), samplePoint);
    // Stored by another version: the date counts from 2001.
    const Json json = Json::parse(R"({"date": 60, "cpu": 1, "memory": 0, "gpu": 0.5,
                                      "temperature": "hot", "cpu2": null})");
    EXPECT_EQ(historyPointFromJson(json).value(),
              (HistoryPoint{.date = AbsoluteTime{60}, .cpu = 1, .memory = 0, .gpu = 0.5}));
}

TEST(HistoryPointJson, RefusesNonFiniteNumbersInsteadOfWritingNull) {
    EXPECT_EQ(toJson(HistoryPoint{.cpu = nan}).error(), (JsonError{Kind::unencodable, "cpu"}));
    EXPECT_EQ(toJson(HistoryPoint{.date = AbsoluteTime{infinity}}).error(),
              (JsonError{Kind::unencodable, "date"}));
    EXPECT_EQ(encodeHistory({samplePoint, HistoryPoint{.gpu = -infinity}}).error(),
              (JsonError{Kind::unencodable, "gpu"}));
}

TEST(HistoryPointJson, RejectsAPointNamingTheFaultyKey) {
    const std::pair<const char*, JsonError> rows[] = {
        {R"({"date": 1, "cpu": 0, "memory": 0})", {Kind::missingKey, "gpu"}},
        {R"({"date": 1, "cpu": "0.5", "memory": 0, "gpu": 0})", {Kind::typeMismatch, "cpu"}},
        {R"({"date": 1, "cpu": 0, "memory": 0, "gpu": null})", {Kind::typeMismatch, "gpu"}},
        {R"({"date": "2001-01-01T00:01:00Z", "cpu": 0, "memory": 0, "gpu": 0})",
         {Kind::typeMismatch, "date"}},
    };
    for (const auto& [text, error] : rows) {
        EXPECT_EQ(historyPointFromJson(Json::parse(text)).error(), error) << text;
    }
}

TEST(HistoryJson, RoundTripsAHistoryExactly) {
    const std::vector<HistoryPoint> history{
        samplePoint,
        {.date = AbsoluteTime::now(), .cpu = 1.0 / 3, .memory = 0.1 + 0.2, .gpu = 0},
        {.date = AbsoluteTime{-12.0625}, .cpu = 0, .memory = 1, .gpu = 0.999999999},
    };
    EXPECT_EQ(decodeHistory(encodeHistory(history).value()).value(), history);
    EXPECT_EQ(encodeHistory({}).value(), "[]");
    EXPECT_TRUE(decodeHistory("[]").value().empty());
}

TEST(HistoryJson, FailsAsAWholeOnDamagedText) {
    const std::string good = R"({"date": 1, "cpu": 0.1, "memory": 0.2, "gpu": 0.3})";
    EXPECT_EQ(decodeHistory("[" + good + R"(, {"date": 2, "cpu": 0.1}, )" + good + "]").error(),
              (JsonError{Kind::missingKey, "memory"}));
    EXPECT_EQ(decodeHistory("[" + good + ", 7]").error(), (JsonError{Kind::typeMismatch, ""}));
    EXPECT_EQ(decodeHistory(good).error(), (JsonError{Kind::typeMismatch, ""}));
    EXPECT_EQ(decodeHistory("[" + good).error().kind, Kind::malformedText);
}

}  // namespace
}  // namespace vantric
