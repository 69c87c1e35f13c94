#include "widgets/views/vitals_entry.hpp"

#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

const AbsoluteTime now{790000000.5};

TEST(VitalsEntryPlaceholder, HasAnHourOfWavyHistoryEndingNow) {
    const VitalsEntry entry = VitalsEntry::placeholder(now);
    EXPECT_EQ(entry.date, now);
    EXPECT_EQ(entry.historyWindow, 3600);
    ASSERT_EQ(entry.history.size(), 24U);
    for (std::size_t i = 0; i < entry.history.size(); ++i) {
        EXPECT_DOUBLE_EQ(entry.date - entry.history[i].date, 150.0 * (23 - i)) << i;
    }
}

TEST(VitalsEntrySpark, PlacesTheChosenFigureByAgeOverTheWindow) {
    VitalsEntry entry{.date = now, .historyWindow = 3600};
    entry.history = {
        {.date = now + -3600.5, .cpu = 0.9, .memory = 0.9, .gpu = 0.9},
        {.date = now + -3600, .cpu = 0.1, .memory = 0.4, .gpu = 0.7},
        {.date = now + -900, .cpu = 0.2, .memory = 0.5, .gpu = 0.8},
        {.date = now, .cpu = 0.3, .memory = 0.6, .gpu = 0.0},
    };
    EXPECT_EQ(
        entry.spark(HistoryField::cpu),
        (std::vector<SparkPoint>{{.x = 0, .y = 0.1}, {.x = 0.75, .y = 0.2}, {.x = 1, .y = 0.3}}));
    EXPECT_EQ(
        entry.spark(HistoryField::memory),
        (std::vector<SparkPoint>{{.x = 0, .y = 0.4}, {.x = 0.75, .y = 0.5}, {.x = 1, .y = 0.6}}));
    EXPECT_EQ(
        entry.spark(HistoryField::gpu),
        (std::vector<SparkPoint>{{.x = 0, .y = 0.7}, {.x = 0.75, .y = 0.8}, {.x = 1, .y = 0.0}}));

    // A shorter window is honoured rather than the usual hour.
    entry.historyWindow = 1800;
    EXPECT_EQ(entry.spark(HistoryField::cpu),
              (std::vector<SparkPoint>{{.x = 0.5, .y = 0.2}, {.x = 1, .y = 0.3}}));
}

TEST(VitalsEntrySpark, IsEmptyForAnOldOrEmptyHistory) {
    VitalsEntry entry{.date = now};
    EXPECT_TRUE(entry.spark(HistoryField::cpu).empty());
    entry.history = {{.date = now + -7200, .cpu = 0.5}, {.date = now + -3601, .cpu = 0.6}};
    EXPECT_TRUE(entry.spark(HistoryField::cpu).empty());
    EXPECT_TRUE(entry.spark(HistoryField::gpu).empty());
}

TEST(VitalsEntrySpark, PlaceholderGraphEndsAtTheRightEdge) {
    const auto points = VitalsEntry::placeholder(now).spark(HistoryField::gpu);
    ASSERT_EQ(points.size(), 24U);
    EXPECT_DOUBLE_EQ(points.front().x, 1 - 3450.0 / 3600);
    EXPECT_DOUBLE_EQ(points.front().y, 0.38);
    EXPECT_DOUBLE_EQ(points.back().x, 1);
}

}  // namespace
}  // namespace vantric
