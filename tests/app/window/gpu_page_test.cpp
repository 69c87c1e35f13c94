#include "app/window/gpu_page.hpp"

#include <optional>
#include <tuple>
#include <vector>

#include <QApplication>

#include <gtest/gtest.h>

#include "app/window/big_stat.hpp"
#include "app/window/history_card.hpp"
#include "app/window/history_chart.hpp"
#include "app/window/section_card.hpp"
#include "app/window/stat_row.hpp"
#include "support/rendered.hpp"
#include "support/store_fixture.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

using testing::rendered;

struct GPUPageTest : ::testing::Test {
    void open(std::optional<std::int64_t> gpuCores) {
        machine.info =
            SystemInfo{.gpuName = "Radeon RX 7600",
                       .gpuCores = gpuCores,
                       .gpus = {{.device = "card0", .name = "Radeon RX 7600", .cores = gpuCores},
                                {.device = "card1", .name = "Arc A770"}}};
        machine.queueProcessorLoad(0.1, 0.1);
        store = machine.makeStore();
        store->start();
        page = std::make_unique<GPUPage>(*store);
        page->resize(900, 700);
        page->show();
    }

    void read(std::vector<Accelerator> accelerators) {
        machine.host->accelerators = std::move(accelerators);
        machine.queueProcessorLoad(0.1, 0.1);
        ASSERT_TRUE(testing::runPass(*store));
        QApplication::processEvents();
        page->resize(900, page->sizeHint().height());
    }

    // Either the figures and the chart, or the card that says they are not available.
    bool showsStatistics() const {
        const bool figures = page->figures().isVisibleTo(page.get());
        EXPECT_EQ(page->history().isVisibleTo(page.get()), figures);
        EXPECT_NE(page->unavailableCard().isVisibleTo(page.get()), figures);
        return figures;
    }

    testing::FakeMachine machine;
    std::unique_ptr<MetricsStore> store;
    std::unique_ptr<GPUPage> page;
};

TEST_F(GPUPageTest, ShowsItsFiguresCriticalFromNinetyPercentAndSwitchesLayoutWithAvailability) {
    open(5120);
    read({Accelerator{
        .statistics = PerformanceStatistics{{"Device Utilization %", 95.0},
                                            {"Renderer Utilization %", 93.0},
                                            {"Tiler Utilization %", 40.0},
                                            {"In use system memory", std::uint64_t{5ULL << 29}},
                                            {"Alloc system memory", std::uint64_t{4ULL << 30}}}}});
    ASSERT_TRUE(showsStatistics());
    const StatRow& figures = page->figures();
    EXPECT_EQ(figures.stat(0).value(), QStringLiteral("95"));
    EXPECT_EQ(figures.stat(0).color(), Palette::critical());
    EXPECT_EQ(figures.stat(1).value() + *figures.stat(1).unit(), QStringLiteral("93%"));
    EXPECT_EQ(figures.stat(2).value(), QStringLiteral("40"));
    EXPECT_EQ(figures.stat(3).value() + ' ' + *figures.stat(3).unit(), QStringLiteral("2.50 GB"));
    EXPECT_EQ(page->history().chart().values().size(), 1U);
    EXPECT_EQ(page->aboutRows().at(1),
              (std::pair{QStringLiteral("GPU cores"), QStringLiteral("5120")}));
    EXPECT_EQ(page->aboutRows().at(3).second, QStringLiteral("4.00 GB"));
    rendered(*page, QStringLiteral("gpu-page"));

    read({});
    EXPECT_FALSE(showsStatistics());
    EXPECT_EQ(page->aboutRows().at(2).second, QStringLiteral("0 KB"));
    rendered(*page, QStringLiteral("gpu-page-unavailable"));
}

TEST_F(GPUPageTest, ADriverWithoutPipelineFiguresShowsDashesNotAnIdleZero) {
    open(std::nullopt);
    read({Accelerator{.statistics = PerformanceStatistics{
                          {"Device Utilization %", std::uint64_t{42}},
                          {"In use system memory", std::uint64_t{1'100'000'000}}}}});
    ASSERT_TRUE(showsStatistics());
    const StatRow& figures = page->figures();
    EXPECT_EQ(figures.stat(0).value(), QStringLiteral("42"));
    EXPECT_EQ(figures.stat(0).color(), Palette::gpu());
    for (const int stat : {1, 2}) {
        EXPECT_EQ(figures.stat(stat).value(), QStringLiteral("\u2013")) << stat;
        EXPECT_EQ(figures.stat(stat).unit(), std::nullopt) << stat;
    }
    // Without a core count the about card leaves that row out.
    EXPECT_EQ(page->aboutRows().size(), 3U);
    EXPECT_EQ(page->aboutRows().front().second, QStringLiteral("Radeon RX 7600"));
    rendered(*page, QStringLiteral("gpu-page-one-accelerator"));
}

// The About card describes the device the figures are of, names the memory they count, and says
// when other users' work is left out of the load.
TEST_F(GPUPageTest, DescribesTheDeviceReadItsMemoryAndWhoseWorkCounts) {
    using Labels = std::vector<QString>;
    const QString note =
        QStringLiteral("Counts your own apps only; other users' GPU work isn't visible.");
    const std::tuple<const char*, Accelerator, Labels, std::optional<QString>> rows[] = {
        {"videoOfTheSecondDevice",
         {.device = "card1",
          .statistics = PerformanceStatistics{{"In use video memory", std::uint64_t{1}},
                                              {"Alloc video memory", std::uint64_t{2}}}},
         {"Arc A770", "Video memory in use", "Video memory allocated"},
         std::nullopt},
        {"bothOfAnUnknownDevice",
         {.device = "renderD130",
          .statistics = PerformanceStatistics{{"In use video memory", std::uint64_t{1}},
                                              {"In use system memory", std::uint64_t{1}}}},
         {"Radeon RX 7600", "GPU cores", "Memory in use by the GPU", "Memory allocated to the GPU"},
         std::nullopt},
        {"noMemoryFigure",
         {.device = "card1", .statistics = PerformanceStatistics{}},
         {"Arc A770", "Memory in use by the GPU", "Memory allocated to the GPU"},
         std::nullopt},
        {"systemOfTheFirstForOneUser",
         {.device = "card0",
          .ownProcessesOnly = true,
          .statistics = PerformanceStatistics{{"In use system memory", std::uint64_t{1}}}},
         {"Radeon RX 7600", "GPU cores", "System memory in use by the GPU",
          "System memory allocated to the GPU"},
         note},
    };
    open(2048);
    for (const auto& [name, accelerator, labels, shownNote] : rows) {
        read({accelerator});
        ASSERT_TRUE(showsStatistics()) << name;
        Labels shown;
        for (const auto& [label, value] : page->aboutRows()) {
            shown.push_back(label == QStringLiteral("Model") ? value : label);
        }
        EXPECT_EQ(shown, labels) << name;
        EXPECT_EQ(page->note(), shownNote) << name;
    }
    rendered(*page, QStringLiteral("gpu-page-own-processes"));
}

}  // namespace
}  // namespace vantric
