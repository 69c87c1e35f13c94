#include "app/window/cpu_page.hpp"

#include <cmath>
#include <vector>

#include <QApplication>

#include <gtest/gtest.h>

#include "app/window/big_stat.hpp"
#include "app/window/core_bars.hpp"
#include "app/window/history_card.hpp"
#include "app/window/history_chart.hpp"
#include "app/window/section_card.hpp"
#include "app/window/stat_row.hpp"
#include "app/window/text_styles.hpp"
#include "support/rendered.hpp"
#include "support/store_fixture.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

using testing::pixelsNear;
using testing::rendered;
using testing::runPass;

TEST(CoreBarsTest, FillsCriticalFromNinetyPercentOnlyAndKeepsASliverWhenIdle) {
    CoreBars bars;
    bars.setCores({0, 0.89, 0.9, 1, std::nan(""), 1.5}, Palette::cpu());
    bars.resize(600, bars.heightForWidth(600));
    const std::vector<CoreBars::Column> columns = bars.columns();
    ASSERT_EQ(columns.size(), 6U);
    const QColor cpu = Palette::cpu();
    const QColor critical = Palette::critical();
    const QColor expected[] = {cpu, cpu, critical, critical, cpu, critical};
    for (std::size_t core = 0; core < columns.size(); ++core) {
        EXPECT_EQ(columns[core].fillColor, expected[core]) << core;
        EXPECT_EQ(columns[core].fill.bottom(), columns[core].track.bottom()) << core;
    }
    EXPECT_EQ(columns[0].fill.height(), CoreBars::minimumFill);
    EXPECT_EQ(columns[4].fill.height(), CoreBars::minimumFill);
    EXPECT_NEAR(columns[1].fill.height(), 0.89 * columns[1].track.height(), 1e-9);
    EXPECT_EQ(columns[5].fill, columns[5].track);

    // The pixels agree: one bar's worth of critical red for each core at 0.9 and over.
    const QImage image = rendered(bars, QStringLiteral("core-bars-thresholds"));
    EXPECT_GT(pixelsNear(image.copy(columns[3].track.toRect()), critical, 10), 100);
    EXPECT_EQ(pixelsNear(image.copy(columns[1].track.toRect()), critical, 10), 0);
}

struct CPUPageTest : ::testing::Test {
    void load(const std::vector<double>& busy) {
        page.reset();
        machine = testing::FakeMachine{};
        machine.info =
            SystemInfo{.chip = "EPYC 9654", .cores = static_cast<std::int64_t>(busy.size())};
        machine.queueCoreLoads(busy);
        store = machine.makeStore();
        store->start();
        page = std::make_unique<CPUPage>(*store);
        page->resize(900, 900);
        page->show();
        ASSERT_TRUE(runPass(*store));
        QApplication::processEvents();
        // As tall as its width asks for, the way the window's scroll area sizes it.
        page->resize(900, page->heightForWidth(900));
        QApplication::processEvents();
    }

    testing::FakeMachine machine;
    std::unique_ptr<MetricsStore> store;
    std::unique_ptr<CPUPage> page;
};

TEST_F(CPUPageTest, ShowsTotalAndIdleWithTheCriticalColourFromNinetyPercent) {
    load({0.37});
    const StatRow& figures = page->figures();
    EXPECT_EQ(figures.stat(0).value(), QStringLiteral("37"));
    EXPECT_EQ(figures.stat(0).color(), Palette::cpu());
    EXPECT_EQ(figures.stat(3).value(), QStringLiteral("63"));

    machine.queueCoreLoads({0.9});
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(figures.stat(0).color(), Palette::critical());
    EXPECT_EQ(figures.stat(3).value(), QStringLiteral("10"));
    EXPECT_EQ(page->history().chart().values().size(), 2U);
}

// Many processors wrap into equal rows of columns no narrower than their texts, and the page
// grows with the rows instead of squeezing them.
TEST_F(CPUPageTest, NamesTheMachineAndDrawsOneLegibleBarPerProcessorAtEveryCount) {
    const QFontMetricsF label(TextStyle::caption2());
    const QFontMetricsF percent(TextStyle::caption());
    for (const int count : {2, 16, 128}) {
        std::vector<double> busy(static_cast<std::size_t>(count), 0.3);
        busy[1] = 1;
        load(busy);
        EXPECT_EQ(page->history().subtitle(),
                  QStringLiteral("Share of all %1 cores in use").arg(count));
        EXPECT_EQ(page->coresCard().subtitle(),
                  QStringLiteral("EPYC 9654 \u00B7 %1 cores").arg(count));
        const CoreBars& bars = page->coreBars();
        ASSERT_EQ(bars.cores().size(), busy.size());
        EXPECT_GE(bars.height(), bars.heightForWidth(bars.width()));
        const double width = bars.width();
        const int rows = bars.rowCount(bars.width());
        EXPECT_EQ(rows > 1, count == 128) << count;
        const std::vector<CoreBars::Column> columns = bars.columns();
        EXPECT_EQ(columns[1].fillColor, Palette::critical());
        EXPECT_EQ(columns[0].fillColor, Palette::cpu());
        const double widest =
            std::max(label.horizontalAdvance(QStringLiteral("Core %1").arg(count)),
                     percent.horizontalAdvance(QStringLiteral("100%")));
        for (std::size_t core = 0; core < columns.size(); ++core) {
            EXPECT_GE(columns[core].track.width(), widest) << count << " cores, core " << core;
            EXPECT_LE(columns[core].track.right(), width + 1e-9);
            EXPECT_LE(columns[core].labelText.bottom(), bars.height() + 1e-9);
            if (core > 0 && columns[core].track.top() == columns[core - 1].track.top()) {
                EXPECT_GE(columns[core].track.left(),
                          columns[core - 1].track.right() + CoreBars::columnSpacing - 1e-9);
            }
        }
        if (rows > 1) {
            // No fewer rows would do: one row less would need columns narrower than their texts
            // and a few pixels of margin.
            const int denser = (count + rows - 2) / (rows - 1);
            EXPECT_LT((width - CoreBars::columnSpacing * (denser - 1)) / denser, widest + 4);
        }
        rendered(*page, QStringLiteral("cpu-page-%1-cores").arg(count));
    }
}

}  // namespace
}  // namespace vantric
