#include "app/window/memory_page.hpp"

#include <cstdint>
#include <numeric>
#include <tuple>
#include <vector>

#include <QApplication>

#include <gtest/gtest.h>

#include "app/window/big_stat.hpp"
#include "app/window/history_card.hpp"
#include "app/window/history_chart.hpp"
#include "app/window/memory_breakdown.hpp"
#include "app/window/stat_row.hpp"
#include "support/rendered.hpp"
#include "support/store_fixture.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

constexpr std::uint64_t gib = 1ULL << 30;

double sum(const std::vector<double>& widths) {
    return std::accumulate(widths.begin(), widths.end(), 0.0);
}

TEST(MemorySegments, FreeIsWhatTheOthersLeaveAndThePiecesFillTheBarWithoutOverflowing) {
    const MemorySnapshot typical{
        .total = 16 * gib, .app = 6 * gib, .wired = 2 * gib, .compressed = 0, .cached = 4 * gib};
    const std::vector<MemorySegment> segments = memorySegments(typical, Qt::black);
    std::vector<std::uint64_t> bytes;
    for (const MemorySegment& segment : segments) {
        bytes.push_back(segment.bytes);
    }
    EXPECT_EQ(bytes, (std::vector<std::uint64_t>{6 * gib, 2 * gib, 0, 4 * gib, 4 * gib}));
    // Four pieces (compressed has none), three gaps; the pieces are shares of the total.
    const std::vector<double> widths = memoryPieceWidths(segments, typical.total, 606);
    ASSERT_EQ(widths.size(), 4U);
    EXPECT_DOUBLE_EQ(sum(widths), 600);
    EXPECT_DOUBLE_EQ(widths[0], 225);

    // Parts that exceed the whole (lines read at different instants): no free memory, and the
    // bar scales by the parts' sum instead of running past its end.
    const MemorySnapshot over{
        .total = 8 * gib, .app = 6 * gib, .wired = 2 * gib, .compressed = gib, .cached = gib};
    const std::vector<MemorySegment> crowded = memorySegments(over, Qt::black);
    EXPECT_EQ(crowded[4].bytes, 0U);
    const std::vector<double> scaled = memoryPieceWidths(crowded, over.total, 206);
    ASSERT_EQ(scaled.size(), 4U);
    EXPECT_DOUBLE_EQ(sum(scaled), 200);
    EXPECT_DOUBLE_EQ(scaled[0], 120);

    const MemorySnapshot full{.total = UINT64_MAX, .app = UINT64_MAX, .cached = UINT64_MAX};
    const std::vector<MemorySegment> saturated = memorySegments(full, Qt::black);
    EXPECT_EQ(saturated[4].bytes, 0U);
    EXPECT_LE(sum(memoryPieceWidths(saturated, full.total, 100)), 100);

    // Before the first reading nothing has a share: an empty bar.
    EXPECT_EQ(memoryPieceWidths(memorySegments({.app = gib}, Qt::black), 0, 300),
              (std::vector<double>{0}));
}

struct MemoryPageTest : ::testing::Test {
    void SetUp() override {
        machine.queueProcessorLoad(0.1, 0.1);
        machine.info.memory = 16 * gib;
        store = machine.makeStore();
        store->start();
        page = std::make_unique<MemoryPage>(*store);
        page->resize(900, 1300);
        page->show();
    }

    // What Linux manages of the 16 GiB installed: every share is of this.
    void read(const VMPageCounts& pages, MemoryPressure pressure) {
        machine.host->memory = MemoryCounters{.physicalMemory = 16 * gib - (768ULL << 20),
                                              .pages = pages,
                                              .swap = SwapUsage{.total = 2 * gib, .used = 0},
                                              .pressureLevel = rawValue(pressure)};
        machine.queueProcessorLoad(0.1, 0.1);
        ASSERT_TRUE(testing::runPass(*store));
        QApplication::processEvents();
    }

    testing::FakeMachine machine;
    std::unique_ptr<MetricsStore> store;
    std::unique_ptr<MemoryPage> page;
};

TEST_F(MemoryPageTest, TheCompositionAddsUpToTheFiguresShown) {
    // 1 KiB pages: 6 GiB app, 1.5 GiB wired, 0.5 GiB compressed, 5 GiB cached.
    read(VMPageCounts{.pageSize = 1024,
                      .wired = 1536ULL << 20 >> 10,
                      .compressor = 512ULL << 20 >> 10,
                      .external = 5 * gib >> 10,
                      .internal = 6 * gib >> 10},
         MemoryPressure::normal);
    const StatRow& figures = page->figures();
    EXPECT_EQ(figures.stat(0).value() + ' ' + *figures.stat(0).unit(), QStringLiteral("8.00 GB"));
    EXPECT_EQ(figures.stat(1).value() + ' ' + *figures.stat(1).unit(), QStringLiteral("16 GB"));

    // Free is what the others leave of what Linux manages.
    const MemoryBreakdown& breakdown = page->breakdown();
    const auto legend = breakdown.legend();
    ASSERT_EQ(legend.size(), 5U);
    EXPECT_EQ(legend[2], (std::pair{QStringLiteral("Compressed"), QStringLiteral("512 MB")}));
    EXPECT_EQ(legend[4], (std::pair{QStringLiteral("Free"), QStringLiteral("2.25 GB")}));
    // Five pieces that end where the bar ends.
    const std::vector<QRectF> pieces = breakdown.pieces();
    ASSERT_EQ(pieces.size(), 5U);
    EXPECT_NEAR(pieces.back().right(), breakdown.width(), 0.5);
    testing::rendered(*page, QStringLiteral("memory-page"));
}

TEST_F(MemoryPageTest, PressureColoursUsedPressureAndTheChart) {
    const StatRow& figures = page->figures();
    const std::tuple<MemoryPressure, QString, QColor> levels[] = {
        {MemoryPressure::warning, QStringLiteral("Elevated"), Palette::elevated()},
        {MemoryPressure::critical, QStringLiteral("Critical"), Palette::critical()},
        {MemoryPressure::normal, QStringLiteral("Normal"), Palette::memory()}};
    for (const auto& [pressure, label, color] : levels) {
        read(VMPageCounts{.pageSize = 4096, .internal = gib / 4096}, pressure);
        EXPECT_EQ(figures.stat(2).value(), label);
        EXPECT_EQ(figures.stat(0).color(), color) << label.toStdString();
        EXPECT_EQ(figures.stat(2).color(), color) << label.toStdString();
        EXPECT_EQ(page->history().chart().color(), color) << label.toStdString();
    }
}

}  // namespace
}  // namespace vantric
