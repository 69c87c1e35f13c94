#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include "app/window/history_chart.hpp"

namespace vantric {
namespace {

// Saturated enough that neither the grey grid, the labels nor the faint area come close.
const QColor lineColor(220, 20, 20);

bool isLine(const QColor& pixel) {
    return pixel.red() > 150 && pixel.green() < 110 && pixel.blue() < 110;
}

struct Rendered {
    QImage image;
    QRectF plot;
    QColor background;
};

Rendered render(const std::vector<double>& values) {
    HistoryChart chart(lineColor);
    chart.resize(600, chart.sizeHint().height());
    chart.setValues(values);
    return {.image = chart.grab().toImage(),
            .plot = chart.plotArea(),
            .background = chart.palette().color(QPalette::Window)};
}

bool differs(const Rendered& rendered, int x, int y) {
    const QColor pixel = rendered.image.pixelColor(x, y);
    return std::abs(pixel.lightness() - rendered.background.lightness()) > 8;
}

// Rows inside the plot, down one column, where something is drawn; runs of adjacent rows count
// once, at their first row.
std::vector<int> markedRows(const Rendered& rendered, int x) {
    std::vector<int> rows;
    for (int y = 0; y < rendered.image.height(); ++y) {
        if (differs(rendered, x, y) && (rows.empty() || !differs(rendered, x, y - 1))) {
            rows.push_back(y);
        }
    }
    return rows;
}

std::vector<int> markedColumns(const Rendered& rendered, int y) {
    std::vector<int> columns;
    for (int x = static_cast<int>(rendered.plot.left()); x < rendered.image.width(); ++x) {
        if (differs(rendered, x, y) && (columns.empty() || !differs(rendered, x - 1, y))) {
            columns.push_back(x);
        }
    }
    return columns;
}

struct LineExtent {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

std::optional<LineExtent> lineExtent(const QImage& image) {
    std::optional<LineExtent> extent;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!isLine(image.pixelColor(x, y))) {
                continue;
            }
            if (!extent) {
                extent = LineExtent{.left = x, .right = x, .top = y, .bottom = y};
            }
            extent->left = std::min(extent->left, x);
            extent->right = std::max(extent->right, x);
            extent->top = std::min(extent->top, y);
            extent->bottom = std::max(extent->bottom, y);
        }
    }
    return extent;
}

// The grid of an empty chart, found by looking: five lines across at 0..100%, bottom first, and
// four lines down at -90, -60, -30 and 0 seconds.
struct Grid {
    std::vector<int> rows;
    std::vector<int> columns;
    int left = 0;  // where the lines across begin
};

Grid measureGrid() {
    const Rendered empty = render({});
    // Between the -30 and the 0 marks no line down crosses.
    const int clearColumn = static_cast<int>(empty.plot.right() - empty.plot.width() * 0.1);
    std::vector<int> rows = markedRows(empty, clearColumn);
    std::reverse(rows.begin(), rows.end());
    const int midRow = static_cast<int>(empty.plot.center().y()) + 7;
    Grid grid{.rows = rows, .columns = markedColumns(empty, midRow)};
    if (rows.size() < 3) {
        return grid;
    }
    // The 50% label sits on the line's row left of the plot: look from the label gap onwards.
    grid.left = static_cast<int>(empty.plot.left()) - 3;
    while (grid.left < empty.image.width() && !differs(empty, grid.left, rows[2])) {
        ++grid.left;
    }
    return grid;
}

TEST(HistoryChartTest, WithoutValuesDrawsOnlyTheAxesOnTheirFullScales) {
    const Rendered empty = render({});
    EXPECT_FALSE(lineExtent(empty.image).has_value());

    const Grid grid = measureGrid();
    ASSERT_EQ(grid.rows.size(), 5U);
    ASSERT_EQ(grid.columns.size(), 4U);
    // Evenly spaced from 0% at the plot's bottom to 100% at its top.
    EXPECT_NEAR(grid.rows.front(), empty.plot.bottom(), 1);
    EXPECT_NEAR(grid.rows.back(), empty.plot.top(), 1);
    for (std::size_t i = 1; i < grid.rows.size(); ++i) {
        EXPECT_NEAR(grid.rows[i - 1] - grid.rows[i], empty.plot.height() / 4, 1.5) << i;
    }
    // The time scale runs from -119 at the left edge to 0 at the right.
    const double unit = empty.plot.width() / 119;
    EXPECT_NEAR(grid.left, empty.plot.left(), 1);
    EXPECT_NEAR(grid.columns[0], empty.plot.left() + 29 * unit, 1.5);
    EXPECT_NEAR(grid.columns[1], empty.plot.left() + 59 * unit, 1.5);
    EXPECT_NEAR(grid.columns[2], empty.plot.left() + 89 * unit, 1.5);
    EXPECT_NEAR(grid.columns[3], empty.plot.right(), 1.5);
    // Labels drawn outside the plot: left of it and below it.
    EXPECT_FALSE(markedColumns(empty, static_cast<int>(empty.plot.bottom()) + 8).empty());
    EXPECT_FALSE(markedRows(empty, static_cast<int>(empty.plot.left()) - 10).empty());
}

TEST(HistoryChartTest, DrawsAHalfOnTheFiftyPercentGridLine) {
    const Grid grid = measureGrid();
    ASSERT_EQ(grid.rows.size(), 5U);
    const Rendered half = render(std::vector<double>(120, 0.5));
    const std::optional<LineExtent> line = lineExtent(half.image);
    ASSERT_TRUE(line.has_value());
    EXPECT_NEAR((line->top + line->bottom) / 2.0, grid.rows[2], 1);

    HistoryChart chart(lineColor);
    chart.resize(600, chart.height());
    EXPECT_NEAR(chart.plotPosition(60, 120, 0.5).y(), grid.rows[2], 1);
}

TEST(HistoryChartTest, StartsThirtyValuesJustRightOfTheThirtySecondMark) {
    const Grid grid = measureGrid();
    ASSERT_EQ(grid.columns.size(), 4U);
    const Rendered thirty = render(std::vector<double>(30, 0.6));
    const std::optional<LineExtent> line = lineExtent(thirty.image);
    ASSERT_TRUE(line.has_value());
    const double unit = thirty.plot.width() / 119;
    // The oldest of them is 29 seconds old: one sample right of the -30 mark.
    EXPECT_GT(line->left, grid.columns[2]);
    EXPECT_NEAR(line->left, grid.columns[2] + unit, 2);
    EXPECT_NEAR(line->right, grid.columns[3], 2);
}

TEST(HistoryChartTest, Spans120ValuesOverTheWholeWidth) {
    const Grid grid = measureGrid();
    ASSERT_EQ(grid.columns.size(), 4U);
    const std::optional<LineExtent> line = lineExtent(render(std::vector<double>(120, 0.3)).image);
    ASSERT_TRUE(line.has_value());
    EXPECT_NEAR(line->left, grid.left, 2);
    EXPECT_NEAR(line->right, grid.columns[3], 2);
}

TEST(HistoryChartTest, DrawsOnlyTheNewestCapacityValues) {
    // 30 values at the top, too old for the window, before 120 at the bottom.
    std::vector<double> values(30, 1.0);
    values.insert(values.end(), 120, 0.0);
    const Grid grid = measureGrid();
    ASSERT_EQ(grid.rows.size(), 5U);
    const std::optional<LineExtent> line = lineExtent(render(values).image);
    ASSERT_TRUE(line.has_value());
    EXPECT_GT(line->top, grid.rows[1]);
    EXPECT_NEAR(line->left, grid.left, 2);
}

TEST(HistoryChartTest, PinsValuesOutsideZeroToOneToTheScale) {
    const Grid grid = measureGrid();
    ASSERT_EQ(grid.rows.size(), 5U);
    const std::optional<LineExtent> high = lineExtent(render(std::vector<double>(120, 1.7)).image);
    ASSERT_TRUE(high.has_value());
    EXPECT_NEAR((high->top + high->bottom) / 2.0, grid.rows[4], 1);
    const std::optional<LineExtent> low =
        lineExtent(render(std::vector<double>(120, std::nan(""))).image);
    ASSERT_TRUE(low.has_value());
    EXPECT_NEAR((low->top + low->bottom) / 2.0, grid.rows[0], 1);
}

}  // namespace
}  // namespace vantric
