#include "app/window/overview_page.hpp"

#include <QTest>

#include <gtest/gtest.h>

#include "app/window/adaptive_grid_layout.hpp"
#include "app/window/metric_card.hpp"
#include "support/store_fixture.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

using testing::FakeMachine;
using testing::runPass;

SystemInfo machineInfo() {
    return SystemInfo{.chip = "Ryzen 7",
                      .cores = 8,
                      .memory = 16ULL << 30,
                      .gpuName = "Radeon",
                      .gpus = {{.device = "card0", .name = "Radeon"},
                               {.device = "card1", .name = "Arc A770", .cores = 512}},
                      .osVersion = "Debian 12"};
}

TEST(OverviewSummary, LeavesOutUnknownPartsWithoutDoubledSeparators) {
    const auto now = std::chrono::system_clock::now();
    SystemInfo info = machineInfo();
    EXPECT_EQ(overviewSummary(info, "card0", 412, now, {}),
              "Ryzen 7  \u00B7  8 cores  \u00B7  16 GB memory  \u00B7  Debian 12  \u00B7  412 "
              "processes");
    info.gpuCores = 10;
    info.bootTime = now - std::chrono::minutes(125);
    // The cores of the device the GPU figures are of, else of the first.
    const std::pair<const char*, const char*> rows[] = {{"", "10"}, {"card1", "512"}};
    for (const auto& [device, cores] : rows) {
        EXPECT_EQ(overviewSummary(info, device, 3, now, {}),
                  "Ryzen 7  \u00B7  8 cores  \u00B7  16 GB memory  \u00B7  " + std::string(cores) +
                      "-core GPU  \u00B7  Debian 12  \u00B7  Up 2h 5m  \u00B7  3 processes")
            << device;
    }
}

TEST(OverviewPage, ColoursTheCardsByLoadAndPressureAndAClickOpensTheCardsPage) {
    FakeMachine machine;
    machine.info = machineInfo();
    machine.queueProcessorLoad(0.6, 0.35);
    machine.setMemory(16ULL << 30, 8ULL << 30, MemoryPressure::warning);
    auto store = machine.makeStore();
    store->start();
    Page selected = Page::overview;
    OverviewPage page(*store, [&](Page target) { selected = target; });
    page.resize(900, 900);
    page.show();
    ASSERT_TRUE(runPass(*store));
    const MetricCard& cpu = page.card(Page::cpu);
    EXPECT_EQ(cpu.value(), QStringLiteral("95"));
    EXPECT_EQ(cpu.color(), Palette::critical());
    EXPECT_EQ(cpu.details().at(0).value, QStringLiteral("60%"));
    const MetricCard& memory = page.card(Page::memory);
    EXPECT_EQ(memory.value() + ' ' + memory.unit(), QStringLiteral("8.00 GB of 16 GB"));
    EXPECT_EQ(memory.color(), Palette::elevated());
    EXPECT_EQ(memory.details().at(0).value, QStringLiteral("Elevated"));
    const MetricCard& gpu = page.card(Page::gpu);
    EXPECT_EQ(gpu.value(), QStringLiteral("\u2013"));
    EXPECT_EQ(gpu.details().at(0).value, QStringLiteral("Radeon"));
    // The model follows the device the figures come from, reading by reading.
    machine.host->accelerators = {
        Accelerator{.device = "card1", .statistics = PerformanceStatistics{}}};
    machine.queueProcessorLoad(0.1, 0.1);
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(gpu.details().at(0).value, QStringLiteral("Arc A770"));
    EXPECT_TRUE(page.summaryText().contains(QStringLiteral("512-core GPU")));

    EXPECT_EQ(page.cardColumns(), 3);
    // An empty corner of the card, away from its texts and drawings.
    QTest::mouseClick(const_cast<MetricCard*>(&memory), Qt::LeftButton, {},
                      QPoint(memory.width() - 4, memory.height() - 4));
    EXPECT_EQ(selected, Page::memory);
}

// The overview page cannot get narrow enough to stack its cards (the apps list needs more), so a
// grid like its own is asked: n columns need n minimum widths and n - 1 spacings.
TEST(AdaptiveGridLayoutTest, AddsAColumnOnlyWhereItFitsAndNoMoreThanItHasItems) {
    QWidget parent;
    AdaptiveGridLayout grid({.minimumColumnWidth = 250, .columnSpacing = 16, .rowSpacing = 16});
    for (int i = 0; i < 3; ++i) {
        grid.addWidget(new QWidget(&parent));
    }
    EXPECT_EQ(grid.columnCount(515), 1);
    EXPECT_EQ(grid.columnCount(516), 2);
    EXPECT_EQ(grid.columnCount(2000), 3);
}

}  // namespace
}  // namespace vantric
