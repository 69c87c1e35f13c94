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
    EXPECT_EQ(entry.history.back().date, now);
    EXPECT_DOUBLE_EQ(entry.history.front().cpu, 0.28);
    EXPECT_DOUBLE_EQ(entry.history.front().memory, 0.68);
    EXPECT_DOUBLE_EQ(entry.history.front().gpu, 0.38);
    // i = 5: sin(5 / 2.3), sin(1) and cos(5 / 1.7), in radians.
    EXPECT_NEAR(entry.history[5].cpu, 0.4282, 1e-4);
    EXPECT_NEAR(entry.history[5].memory, 0.7137, 1e-4);
    EXPECT_NEAR(entry.history[5].gpu, 0.0632, 1e-4);
}

TEST(VitalsEntryPlaceholder, CarriesTheSampleReadings) {
    const VitalsEntry entry = VitalsEntry::placeholder(now);
    EXPECT_EQ(entry.cpu, (CPUSnapshot{.total = 0.32, .user = 0.21, .system = 0.11, .perCore = {}}));
    EXPECT_EQ(entry.memory, (MemorySnapshot{.total = 17179869184,
                                            .app = 7000000000,
                                            .wired = 2300000000,
                                            .compressed = 1900000000,
                                            .cached = 3100000000,
                                            .swapUsed = 0,
                                            .swapTotal = 0,
                                            .pressure = MemoryPressure::normal}));
    EXPECT_EQ(entry.gpu, (GPUSnapshot{.available = true,
                                      .utilization = 0.27,
                                      .renderer = 0.26,
                                      .tiler = 0.25,
                                      .memoryInUse = 1100000000,
                                      .memoryAllocated = 0}));
    EXPECT_EQ(VitalsEntry::placeholder(now), entry);
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
