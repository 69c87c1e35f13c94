#include "widgets/views/spark_point.hpp"

#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using Points = std::vector<SparkPoint>;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(EvenlySpaced, PutsTheNewestAtTheRightEdgeAndAnOverlongHistoryPastTheLeft) {
    const std::vector<double> two{0.2, 0.4};
    EXPECT_EQ(SparkPoint::evenlySpaced(two, 2), (Points{{0, 0.2}, {1, 0.4}}));
    EXPECT_EQ(SparkPoint::evenlySpaced(two, 5), (Points{{0.75, 0.2}, {1, 0.4}}));
    EXPECT_EQ(SparkPoint::evenlySpaced(std::vector{0.1, 0.2, 0.3, 0.4}, 3),
              (Points{{-0.5, 0.1}, {0, 0.2}, {0.5, 0.3}, {1, 0.4}}));
    // One slot has no width to divide.
    EXPECT_TRUE(SparkPoint::evenlySpaced(two, 1).empty());
    EXPECT_TRUE(SparkPoint::evenlySpaced(two, -7).empty());
}

// Samples from the future stay at the right edge; those without a finite date, and every sample
// of a window that cannot be divided by, are left out.
TEST(Timed, PlacesFiniteSamplesByAgeAndDropsThoseOlderThanTheWindow) {
    const AbsoluteTime end{700000000};
    const std::vector<SparkPoint::TimedValue> samples{
        {.date = end + -3601, .value = 0.9},
        {.date = end + -3600, .value = 0.1},
        {.date = AbsoluteTime{nan}, .value = 0.5},
        {.date = end + -1800, .value = 0.2},
        {.date = AbsoluteTime{-infinity}, .value = 0.6},
        {.date = end, .value = 0.3},
        {.date = AbsoluteTime{infinity}, .value = 0.7},
        {.date = end + 5, .value = 0.4}};
    EXPECT_EQ(SparkPoint::timed(samples, 3600, end),
              (Points{{0, 0.1}, {0.5, 0.2}, {1, 0.3}, {1, 0.4}}));
    for (const double window : {0.0, -0.0, -60.0, nan, infinity, -infinity}) {
        EXPECT_TRUE(SparkPoint::timed(samples, window, end).empty()) << window;
    }
}

}  // namespace
}  // namespace vantric
