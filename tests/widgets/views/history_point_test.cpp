#include "widgets/views/history_point.hpp"

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using namespace std::chrono_literals;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

const HistoryPoint samplePoint{
    .date = AbsoluteTime{756123456.789}, .cpu = 0.25, .memory = 0.6875, .gpu = 0.1};

TEST(AbsoluteTime, CountsFrom2001NotFrom1970) {
    const auto referenceDate = std::chrono::sys_days{std::chrono::year{2001} / 1 / 1};
    EXPECT_DOUBLE_EQ(AbsoluteTime::from(referenceDate).secondsSinceReferenceDate, 0);
    EXPECT_DOUBLE_EQ(AbsoluteTime::from(referenceDate + 1min).secondsSinceReferenceDate, 60);
    EXPECT_DOUBLE_EQ(
        AbsoluteTime::from(std::chrono::system_clock::time_point{}).secondsSinceReferenceDate,
        -978307200);
    EXPECT_EQ(AbsoluteTime{60}.systemTime(), referenceDate + 1min);
    EXPECT_EQ(AbsoluteTime{-0.5}.systemTime(), referenceDate - 500ms);
}

TEST(AbsoluteTime, SystemTimeSaturatesForDatesTheClockCannotHold) {
    using Clock = std::chrono::system_clock;
    EXPECT_EQ(AbsoluteTime{1e300}.systemTime(), Clock::time_point::max());
    EXPECT_EQ(AbsoluteTime{infinity}.systemTime(), Clock::time_point::max());
    EXPECT_EQ(AbsoluteTime{-1e300}.systemTime(), Clock::time_point::min());
    EXPECT_EQ(AbsoluteTime{-infinity}.systemTime(), Clock::time_point::min());
    EXPECT_EQ(AbsoluteTime{nan}.systemTime(), AbsoluteTime{}.systemTime());
    // The year 2287, only just past the 64-bit nanosecond range, would otherwise wrap to 1677.
    EXPECT_EQ(AbsoluteTime{1e10}.systemTime(), Clock::time_point::max());
    EXPECT_EQ(AbsoluteTime{-1.1e10}.systemTime(), Clock::time_point::min());

    // The clock's maximum as a double is 2^63 ns, one past what it can hold.
    const double limit = std::chrono::duration<double>(Clock::duration::max()).count();
    const AbsoluteTime atLimit{limit - AbsoluteTime::referenceDateUnixSeconds};
    ASSERT_EQ(atLimit.secondsSinceReferenceDate + AbsoluteTime::referenceDateUnixSeconds, limit);
    EXPECT_EQ(atLimit.systemTime(), Clock::time_point::max());
}

TEST(HistoryPointJson, WritesTheFourKeysAndReadsBackAnEqualPoint) {
    const auto json = toJson(samplePoint);
    ASSERT_TRUE(json.ok());
    ASSERT_EQ(json.value().size(), 4U);
    for (const char* key : {"date", "cpu", "memory", "gpu"}) {
        EXPECT_TRUE(json.value().contains(key)) << key;
    }
    EXPECT_DOUBLE_EQ(json.value()["date"].get<double>(), 756123456.789);
    EXPECT_DOUBLE_EQ(json.value()["memory"].get<double>(), 0.6875);

    const auto decoded = historyPointFromJson(json.value());
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value(), samplePoint);
}

TEST(HistoryPointJson, EncodesDateAsSecondsSince2001) {
    const auto minuteIn = std::chrono::sys_days{std::chrono::year{2001} / 1 / 1} + 1min;
    const auto json = toJson(HistoryPoint{.date = AbsoluteTime::from(minuteIn)});
    ASSERT_TRUE(json.ok());
    ASSERT_TRUE(json.value()["date"].is_number());
    EXPECT_DOUBLE_EQ(json.value()["date"].get<double>(), 60);
}

TEST(HistoryPointJson, RefusesNonFiniteNumbersInsteadOfWritingNull) {
    const auto badCpu = toJson(HistoryPoint{.cpu = nan});
    ASSERT_FALSE(badCpu.ok());
    EXPECT_EQ(badCpu.error(), (JsonError{.kind = JsonError::Kind::unencodable, .key = "cpu"}));

    const auto badDate = toJson(HistoryPoint{.date = AbsoluteTime{infinity}});
    ASSERT_FALSE(badDate.ok());
    EXPECT_EQ(badDate.error(), (JsonError{.kind = JsonError::Kind::unencodable, .key = "date"}));

    const auto history = encodeHistory({samplePoint, HistoryPoint{.gpu = -infinity}});
    ASSERT_FALSE(history.ok());
    EXPECT_EQ(history.error(), (JsonError{.kind = JsonError::Kind::unencodable, .key = "gpu"}));
}

TEST(HistoryPointJson, AcceptsIntegersAndIgnoresFurtherKeys) {
    const Json json = Json::parse(R"({"date": 60, "cpu": 1, "memory": 0, "gpu": 0.5,
                                      "temperature": "hot", "cpu2": null})");
    const auto decoded = historyPointFromJson(json);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value(),
              (HistoryPoint{.date = AbsoluteTime{60}, .cpu = 1, .memory = 0, .gpu = 0.5}));
}

struct BadPointCase {
    const char* name = "";
    const char* text = "";
    JsonError error{};
};

class HistoryPointRejects : public ::testing::TestWithParam<BadPointCase> {};

TEST_P(HistoryPointRejects, NamesTheFaultyKey) {
    const auto decoded = historyPointFromJson(Json::parse(GetParam().text));
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error(), GetParam().error);
}

constexpr auto missing = JsonError::Kind::missingKey;
constexpr auto mismatch = JsonError::Kind::typeMismatch;

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryPointRejects,
    ::testing::Values(
        BadPointCase{"MissingGpu", R"({"date": 1, "cpu": 0, "memory": 0})", {missing, "gpu"}},
        BadPointCase{"MissingDate", R"({"cpu": 0, "memory": 0, "gpu": 0})", {missing, "date"}},
        BadPointCase{"MissingMemory", R"({"date": 1, "cpu": 0, "gpu": 0})", {missing, "memory"}},
        BadPointCase{"NumberAsText",
                     R"({"date": 1, "cpu": "0.5", "memory": 0, "gpu": 0})",
                     {mismatch, "cpu"}},
        BadPointCase{
            "NullGpu", R"({"date": 1, "cpu": 0, "memory": 0, "gpu": null})", {mismatch, "gpu"}},
        BadPointCase{"DateAsText",
                     R"({"date": "2001-01-01T00:01:00Z", "cpu": 0, "memory": 0, "gpu": 0})",
                     {mismatch, "date"}},
        BadPointCase{"NotAnObject", R"([1, 0, 0, 0])", {mismatch, ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryJson, RoundTripsAHistoryExactly) {
    const std::vector<HistoryPoint> history{
        samplePoint,
        {.date = AbsoluteTime::now(), .cpu = 1.0 / 3, .memory = 0.1 + 0.2, .gpu = 0},
        {.date = AbsoluteTime{-12.0625}, .cpu = 0, .memory = 1, .gpu = 0.999999999},
    };
    const auto text = encodeHistory(history);
    ASSERT_TRUE(text.ok());
    const auto decoded = decodeHistory(text.value());
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value(), history);

    const auto empty = decodeHistory("[]");
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty.value().empty());
    ASSERT_TRUE(encodeHistory({}).ok());
    EXPECT_EQ(encodeHistory({}).value(), "[]");
}

TEST(HistoryJson, FailsAsAWholeOnDamagedText) {
    const std::string good = R"({"date": 1, "cpu": 0.1, "memory": 0.2, "gpu": 0.3})";

    const auto badElement =
        decodeHistory("[" + good + R"(, {"date": 2, "cpu": 0.1}, )" + good + "]");
    ASSERT_FALSE(badElement.ok());
    EXPECT_EQ(badElement.error(), (JsonError{.kind = missing, .key = "memory"}));

    const auto nonObject = decodeHistory("[" + good + ", 7]");
    ASSERT_FALSE(nonObject.ok());
    EXPECT_EQ(nonObject.error().kind, mismatch);

    const auto object = decodeHistory(good);
    ASSERT_FALSE(object.ok());
    EXPECT_EQ(object.error(), (JsonError{.kind = mismatch, .key = ""}));

    for (const std::string& text :
         std::vector<std::string>{"", "[", "[" + good, "[] []", "[NaN]", "nul"}) {
        const auto malformed = decodeHistory(text);
        ASSERT_FALSE(malformed.ok()) << text;
        EXPECT_EQ(malformed.error().kind, JsonError::Kind::malformedText) << text;
    }
}

}  // namespace
}  // namespace vantric
