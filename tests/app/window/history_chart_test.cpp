#include <cmath>
#include <vector>

#include <QImage>

#include <gtest/gtest.h>

#include "app/window/history_chart.hpp"

namespace vantric {
namespace {

struct Rendered {
    QImage image;
    QRectF plot;
    QColor background;

    explicit Rendered(const std::vector<double>& values) {
        // Saturated enough that neither the grey grid, the labels nor the faint area come close.
        HistoryChart chart(QColor(220, 20, 20));
        chart.resize(600, chart.sizeHint().height());
        chart.setValues(values);
        image = chart.grab().toImage();
        plot = chart.plotArea();
        background = chart.palette().color(QPalette::Window);
    }

    bool differs(int x, int y) const {
        return std::abs(image.pixelColor(x, y).lightness() - background.lightness()) > 8;
    }

    // Where runs of drawn pixels begin, walking from at in steps of step: rows walking down,
    // columns walking right.
    std::vector<int> marks(QPoint at, const QPoint& step) const {
        std::vector<int> found;
        for (bool inRun = false; image.rect().contains(at); at += step) {
            const bool drawn = differs(at.x(), at.y());
            if (drawn && !inRun) {
                found.push_back(step.x() != 0 ? at.x() : at.y());
            }
            inRun = drawn;
        }
        return found;
    }

    // The bounding box of the line's pixels; empty where none is drawn.
    QRect lineExtent() const {
        QRect extent;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.red() > 150 && pixel.green() < 110 && pixel.blue() < 110) {
                    extent |= QRect(x, y, 1, 1);
                }
            }
        }
        return extent;
    }
};

TEST(HistoryChartTest, WithoutValuesDrawsOnlyTheAxesOnTheirFullScales) {
    const Rendered empty({});
    EXPECT_TRUE(empty.lineExtent().isEmpty());
    const QRectF& plot = empty.plot;

    // Five lines across, evenly spaced from 100% at the plot's top to 0% at its bottom. Between
    // the -30 and the 0 marks no line down crosses.
    const int left = static_cast<int>(plot.left());
    const std::vector<int> rows =
        empty.marks(QPoint(static_cast<int>(plot.right() - plot.width() * 0.1), 0), {0, 1});
    ASSERT_EQ(rows.size(), 5U);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(rows[i], plot.top() + plot.height() * static_cast<double>(i) / 4, 1) << i;
    }
    // Four lines down at -90, -60, -30 and 0 seconds, on a scale from -119 at the left edge to 0
    // at the right.
    const std::vector<int> columns =
        empty.marks(QPoint(left, static_cast<int>(plot.center().y()) + 7), {1, 0});
    ASSERT_EQ(columns.size(), 4U);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        EXPECT_NEAR(columns[i],
                    plot.left() + (29 + 30 * static_cast<double>(i)) / 119 * plot.width(), 1.5)
            << i;
    }
    // Labels drawn outside the plot, left of it and below it; the lines across stop short of them.
    EXPECT_FALSE(empty.marks(QPoint(left, static_cast<int>(plot.bottom()) + 8), {1, 0}).empty());
    EXPECT_FALSE(empty.marks(QPoint(left - 10, 0), {0, 1}).empty());
    EXPECT_FALSE(empty.differs(left - 3, rows[2]));
    EXPECT_TRUE(empty.differs(left + 1, rows[2]));
}

// A history's line: where it starts, as a share of the plot's width from the left, and its level,
// as a share of the plot's height from the bottom. The newest value is always at the right edge.
struct LineCase {
    const char* name;
    std::vector<double> values;
    double start = 0;
    double level = 0;
};

TEST(HistoryChartTest, DrawsTheNewest120ValuesAtTheirTimesAndPinsThemToTheScale) {
    std::vector<double> tooMany(30, 1.0);
    tooMany.insert(tooMany.end(), 120, 0.0);
    const LineCase cases[] = {
        {"a full half", std::vector<double>(120, 0.5), 0, 0.5},
        {"the first", {0.5}, 1, 0.5},
        // The oldest of thirty is 29 seconds old: one sample right of the -30 mark.
        {"thirty", std::vector<double>(30, 0.6), 90.0 / 119, 0.6},
        // The 30 at the top come before the newest 120, too old for the window.
        {"too many", tooMany},
        {"above one", std::vector<double>(120, 1.7), 0, 1},
        {"below zero", std::vector<double>(120, -0.4)},
        {"not a number", std::vector<double>(120, std::nan(""))},
    };
    for (const LineCase& line : cases) {
        const Rendered chart(line.values);
        const QRect drawn = chart.lineExtent();
        ASSERT_FALSE(drawn.isEmpty()) << line.name;
        const QRectF& plot = chart.plot;
        EXPECT_NEAR(drawn.left(), plot.left() + line.start * plot.width(), 2) << line.name;
        EXPECT_NEAR(drawn.right(), plot.right(), 2) << line.name;
        EXPECT_NEAR((drawn.top() + drawn.bottom()) / 2.0,
                    plot.bottom() - line.level * plot.height(), 1)
            << line.name;
    }
}

}  // namespace
}  // namespace vantric
