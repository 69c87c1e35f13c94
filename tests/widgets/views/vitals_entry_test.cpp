#include "widgets/views/vitals_entry.hpp"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using Points = std::vector<SparkPoint>;

const AbsoluteTime now{790000000.5};

TEST(VitalsEntrySpark, PlacesTheChosenFigureByAgeOverTheEntrysWindow) {
    VitalsEntry entry{.date = now, .historyWindow = 3600};
    entry.history = {
        {.date = now + -3600.5, .cpu = 0.9, .memory = 0.9, .gpu = 0.9},
        {.date = now + -3600, .cpu = 0.1, .memory = 0.4, .gpu = 0.7},
        {.date = now + -900, .cpu = 0.2, .memory = 0.5, .gpu = 0.8},
        {.date = now, .cpu = 0.3, .memory = 0.6, .gpu = 0.0},
    };
    EXPECT_EQ(entry.spark(HistoryField::cpu), (Points{{0, 0.1}, {0.75, 0.2}, {1, 0.3}}));
    EXPECT_EQ(entry.spark(HistoryField::memory), (Points{{0, 0.4}, {0.75, 0.5}, {1, 0.6}}));
    EXPECT_EQ(entry.spark(HistoryField::gpu), (Points{{0, 0.7}, {0.75, 0.8}, {1, 0.0}}));
    entry.historyWindow = 1800;
    EXPECT_EQ(entry.spark(HistoryField::cpu), (Points{{0.5, 0.2}, {1, 0.3}}));

    // The placeholder graphs all its history, oldest first, ending now.
    const VitalsEntry placeholder = VitalsEntry::placeholder(now);
    EXPECT_EQ(placeholder.date, now);
    const Points points = placeholder.spark(HistoryField::gpu);
    ASSERT_GT(points.size(), 1U);
    EXPECT_EQ(points.size(), placeholder.history.size());
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                               [](const SparkPoint& a, const SparkPoint& b) { return a.x < b.x; }));
    EXPECT_EQ(points.back().x, 1);
}

}  // namespace
}  // namespace vantric
