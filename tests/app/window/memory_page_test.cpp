#include "app/window/memory_page.hpp"

#include <cstdint>
#include <numeric>
#include <vector>

#include <QApplication>

#include <gtest/gtest.h>

#include "app/window/big_stat.hpp"
#include "app/window/history_card.hpp"
#include "app/window/history_chart.hpp"
#include "app/window/memory_breakdown.hpp"
#include "app/window/section_card.hpp"
#include "app/window/stat_row.hpp"
#include "app/window/top_apps_view.hpp"
#include "support/rendered.hpp"
#include "support/store_fixture.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

using testing::FakeMachine;
using testing::rendered;
using testing::runPass;

constexpr std::uint64_t gib = 1ULL << 30;
// What Linux manages of the 16 GiB installed: every share is of this.
constexpr std::uint64_t managed = 16 * gib - (768ULL << 20);

std::vector<std::uint64_t> bytesOf(const std::vector<MemorySegment>& segments) {
    std::vector<std::uint64_t> bytes;
    bytes.reserve(segments.size());
    for (const MemorySegment& segment : segments) {
        bytes.push_back(segment.bytes);
    }
    return bytes;
}

double sum(const std::vector<double>& widths) {
    return std::accumulate(widths.begin(), widths.end(), 0.0);
}

TEST(MemorySegments, FreeIsWhatTheOthersLeaveAndThePiecesFillTheBarWithoutOverflowing) {
    const MemorySnapshot typical{
        .total = 16 * gib, .app = 6 * gib, .wired = 2 * gib, .compressed = 0, .cached = 4 * gib};
    const std::vector<MemorySegment> segments = memorySegments(typical, Qt::black);
    ASSERT_EQ(segments.size(), 5U);
    EXPECT_EQ(segments[0].id, QStringLiteral("App memory"));
    EXPECT_EQ(segments[4].id, QStringLiteral("Free"));
    EXPECT_EQ(bytesOf(segments),
              (std::vector<std::uint64_t>{6 * gib, 2 * gib, 0, 4 * gib, 4 * gib}));
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
    EXPECT_LE(sum(memoryPieceWidths(memorySegments(full, Qt::black), full.total, 100)), 100);

    // Before the first reading nothing has a share: an empty bar.
    const MemorySnapshot unread{.app = gib};
    EXPECT_EQ(memoryPieceWidths(memorySegments(unread, Qt::black), 0, 300),
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

    void read(const VMPageCounts& pages, MemoryPressure pressure) {
        machine.host->memory = MemoryCounters{.physicalMemory = managed,
                                              .pages = pages,
                                              .swap = SwapUsage{.total = 2 * gib, .used = 0},
                                              .pressureLevel = rawValue(pressure)};
        machine.queueProcessorLoad(0.1, 0.1);
        ASSERT_TRUE(runPass(*store));
        QApplication::processEvents();
    }

    FakeMachine machine;
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
    EXPECT_EQ(figures.stat(0).value(), QStringLiteral("8.00"));
    EXPECT_EQ(figures.stat(0).unit(), QStringLiteral("GB"));
    EXPECT_EQ(figures.stat(1).value() + ' ' + *figures.stat(1).unit(), QStringLiteral("16 GB"));
    EXPECT_EQ(figures.stat(3).value(), QStringLiteral("0"));
    EXPECT_EQ(figures.stat(3).unit(), QStringLiteral("KB"));

    const MemoryBreakdown& breakdown = page->breakdown();
    const std::vector<std::uint64_t> bytes = bytesOf(breakdown.segments());
    EXPECT_EQ(bytes[0] + bytes[1] + bytes[2], memoryInUse(store->memory()));
    EXPECT_EQ(std::accumulate(bytes.begin(), bytes.end(), std::uint64_t{0}), managed);
    const auto legend = breakdown.legend();
    ASSERT_EQ(legend.size(), 5U);
    EXPECT_EQ(legend[2], (std::pair{QStringLiteral("Compressed"), QStringLiteral("512 MB")}));
    EXPECT_EQ(legend[4], (std::pair{QStringLiteral("Free"), QStringLiteral("2.25 GB")}));

    // Five pieces that end where the bar ends.
    const std::vector<QRectF> pieces = breakdown.pieces();
    ASSERT_EQ(pieces.size(), 5U);
    EXPECT_NEAR(pieces.back().right(), breakdown.width(), 0.5);
    EXPECT_NEAR(pieces[1].left(), pieces[0].right() + MemoryBreakdown::pieceSpacing, 1e-9);
    EXPECT_FALSE(page->note().isEmpty());
    rendered(*page, QStringLiteral("memory-page"));
}

TEST_F(MemoryPageTest, PressureColoursUsedPressureAndTheChartAndAFullMachineHasNoFreePiece) {
    read(VMPageCounts{.pageSize = 4096, .external = 2 * gib / 4096, .internal = 15 * gib / 4096},
         MemoryPressure::warning);
    const StatRow& figures = page->figures();
    EXPECT_EQ(figures.stat(2).value(), QStringLiteral("Elevated"));
    EXPECT_EQ(figures.stat(2).unit(), std::nullopt);
    for (const int stat : {0, 2}) {
        EXPECT_EQ(figures.stat(stat).color(), Palette::elevated()) << stat;
    }
    EXPECT_EQ(figures.stat(1).color(), std::nullopt);
    EXPECT_EQ(page->history().chart().color(), Palette::elevated());

    const MemoryBreakdown& breakdown = page->breakdown();
    EXPECT_EQ(breakdown.legend()[4].second, QStringLiteral("0 KB"));
    EXPECT_EQ(breakdown.pieces().size(), 2U);
    EXPECT_LE(breakdown.pieces().back().right(), breakdown.width() + 0.5);

    read(VMPageCounts{.pageSize = 4096, .internal = gib / 4096}, MemoryPressure::critical);
    EXPECT_EQ(figures.stat(2).value(), QStringLiteral("Critical"));
    EXPECT_EQ(figures.stat(0).color(), Palette::critical());
    EXPECT_EQ(page->history().chart().color(), Palette::critical());
    read(VMPageCounts{.pageSize = 4096, .internal = gib / 4096}, MemoryPressure::normal);
    EXPECT_EQ(figures.stat(2).value(), QStringLiteral("Normal"));
    EXPECT_EQ(figures.stat(2).color(), Palette::memory());
}

}  // namespace
}  // namespace vantric
