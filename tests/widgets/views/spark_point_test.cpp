#include "widgets/views/spark_point.hpp"

#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(EvenlySpaced, PutsTheNewestAtTheRightEdgeOfAFullWidth) {
    const std::vector<double> three{0.1, 0.5, 0.9};
    const auto points = SparkPoint::evenlySpaced(three, 120);
    ASSERT_EQ(points.size(), 3U);
    EXPECT_DOUBLE_EQ(points[0].x, 117.0 / 119);
    EXPECT_DOUBLE_EQ(points[1].x, 118.0 / 119);
    EXPECT_DOUBLE_EQ(points[2].x, 1);
    EXPECT_EQ(points[0].y, 0.1);
    EXPECT_EQ(points[1].y, 0.5);
    EXPECT_EQ(points[2].y, 0.9);

    const std::vector<double> full(120, 0.5);
    const auto spanning = SparkPoint::evenlySpaced(full, 120);
    ASSERT_EQ(spanning.size(), 120U);
    EXPECT_DOUBLE_EQ(spanning.front().x, 0);
    EXPECT_DOUBLE_EQ(spanning[60].x, 60.0 / 119);
    EXPECT_DOUBLE_EQ(spanning.back().x, 1);
}

TEST(EvenlySpaced, PlacesAnOverlongHistoryBeyondTheLeftEdge) {
    const std::vector<double> four{1, 2, 3, 4};
    const auto points = SparkPoint::evenlySpaced(four, 3);
    ASSERT_EQ(points.size(), 4U);
    EXPECT_DOUBLE_EQ(points[0].x, -0.5);
    EXPECT_DOUBLE_EQ(points[1].x, 0);
    EXPECT_DOUBLE_EQ(points[3].x, 1);
    EXPECT_EQ(points[0].y, 1);
}

TEST(EvenlySpaced, GivesNothingBelowACapacityOfTwoOrWithoutValues) {
    const std::vector<double> values{0.2, 0.4};
    EXPECT_TRUE(SparkPoint::evenlySpaced(values, 1).empty());
    EXPECT_TRUE(SparkPoint::evenlySpaced(values, 0).empty());
    EXPECT_TRUE(SparkPoint::evenlySpaced(values, -7).empty());
    EXPECT_TRUE(SparkPoint::evenlySpaced({}, 120).empty());
    EXPECT_EQ(SparkPoint::evenlySpaced(values, 2),
              (std::vector<SparkPoint>{{.x = 0, .y = 0.2}, {.x = 1, .y = 0.4}}));
}

TEST(Timed, PlacesSamplesByAgeAndDropsThoseOlderThanTheWindow) {
    const AbsoluteTime end{700000000};
    const std::vector<SparkPoint::TimedValue> samples{
        {.date = end + -3601, .value = 0.9}, {.date = end + -3600, .value = 0.1},
        {.date = end + -1800, .value = 0.2}, {.date = end, .value = 0.3},
        {.date = end + 5, .value = 0.4},
    };
    EXPECT_EQ(SparkPoint::timed(samples, 3600, end), (std::vector<SparkPoint>{
                                                         {.x = 0, .y = 0.1},
                                                         {.x = 0.5, .y = 0.2},
                                                         {.x = 1, .y = 0.3},
                                                         {.x = 1, .y = 0.4},
                                                     }));
    EXPECT_TRUE(SparkPoint::timed(std::span(samples).first(1), 3600, end).empty());
    EXPECT_TRUE(SparkPoint::timed({}, 3600, end).empty());
}

TEST(Timed, GivesNothingForAWindowThatCannotBeDividedBy) {
    const AbsoluteTime end{1000};
    const std::vector<SparkPoint::TimedValue> samples{{.date = end, .value = 0.5},
                                                      {.date = end + 10, .value = 0.6}};
    for (const double window : {0.0, -0.0, -60.0, nan, infinity, -infinity}) {
        EXPECT_TRUE(SparkPoint::timed(samples, window, end).empty()) << window;
    }
}

TEST(Timed, SkipsSamplesWithoutAFiniteDate) {
    const AbsoluteTime end{1000};
    const std::vector<SparkPoint::TimedValue> samples{
        {.date = AbsoluteTime{nan}, .value = 0.1},
        {.date = AbsoluteTime{-infinity}, .value = 0.2},
        {.date = end + -30, .value = 0.3},
        {.date = AbsoluteTime{infinity}, .value = 0.4},
    };
    EXPECT_EQ(SparkPoint::timed(samples, 60, end), (std::vector<SparkPoint>{{.x = 0.5, .y = 0.3}}));
}

}  // namespace
}  // namespace vantric
