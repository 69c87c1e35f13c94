#include "widgets/views/palette.hpp"
#include "widgets/views/ring_gauge.hpp"
#include "widgets/views/sparkline.hpp"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/rendered.hpp"

namespace vantric {
namespace {

using testing::near;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// A transparent image of size with what paint draws on it.
template <typename Paint>
QImage painted(const QSize& size, Paint paint) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paint(painter);
    }
    return image;
}

QImage renderRing(double fraction, const QColor& color, const QSize& size = {100, 100},
                  const QRectF& rect = {0, 0, 100, 100}) {
    return painted(size, [&](QPainter& p) { RingGauge::paint(p, rect, fraction, color, 10); });
}

int alphaAt(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).alpha();
}

// The ring of a 100 x 100 gauge with line width 10 runs through the middle of its stroke at radius
// 45 around (50, 50); its track is the colour at 0.18 of full opacity.
void expectTrackOnly(const QImage& image, int x, int y) {
    EXPECT_NEAR(alphaAt(image, x, y), 46, 3) << x << "," << y;
}

void expectArc(const QImage& image, int x, int y, const QColor& color) {
    EXPECT_EQ(alphaAt(image, x, y), 255) << x << "," << y;
    EXPECT_TRUE(near(image.pixelColor(x, y), color, 2)) << x << "," << y;
}

TEST(Palette, LoadIsCriticalFromNinetyPercentButAnUnknownLoadIsNot) {
    EXPECT_EQ(Palette::forLoad(0.9, Palette::gpu()), Palette::critical());
    EXPECT_EQ(Palette::forLoad(1.3, Palette::gpu()), Palette::critical());
    EXPECT_EQ(Palette::forLoad(0.8999, Palette::gpu()), Palette::gpu());
    EXPECT_EQ(Palette::forLoad(nan, Palette::cpu()), Palette::cpu());
}

TEST(RingGauge, FillsClockwiseFromTwelveAndShowsADotForNothing) {
    const QImage half = renderRing(0.5, Palette::gpu());
    expectArc(half, 82, 18, Palette::gpu());  // half past one
    expectArc(half, 82, 82, Palette::gpu());  // half past four
    expectTrackOnly(half, 18, 18);            // half past ten
    expectTrackOnly(half, 5, 50);             // 9 o'clock
    // Faint pixels are stored premultiplied while drawing, so their colour comes back coarser.
    EXPECT_TRUE(near(half.pixelColor(5, 50), Palette::gpu(), 4));
    EXPECT_EQ(alphaAt(half, 50, 50), 0);  // the hole

    for (const double fraction : {0.0, -1.0, nan}) {
        const QImage image = renderRing(fraction, Palette::cpu());
        expectArc(image, 50, 5, Palette::cpu());
        // The dot is the size of the line's round ends, not a stroke along the ring.
        expectTrackOnly(image, 62, 7);
        expectTrackOnly(image, 38, 7);
    }
}

TEST(RingGauge, MoreThanOneFillsASmoothRingCentredInTheShorterSideOfItsRect) {
    // A 200 x 100 rect in a larger image: the ring's diameter follows the height, it sits in the
    // middle around (110, 60), and nothing lands outside the rect.
    const QImage image = renderRing(1.7, Palette::memory(), {220, 120}, {10, 10, 200, 100});
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{110, 15}, {155, 60}, {110, 105}, {65, 60}, {105, 15}}) {
        expectArc(image, x, y, Palette::memory());
    }
    EXPECT_EQ(alphaAt(image, 110, 9), 0);
    EXPECT_EQ(alphaAt(image, 110, 110), 0);
    // The rim is smoothed: a pixel it crosses diagonally is only partly covered.
    const int rim = alphaAt(image, 145, 24);
    EXPECT_TRUE(rim > 0 && rim < 255) << rim;
}

std::vector<QPointF> pathPoints(const std::vector<SparkPoint>& points, bool closed,
                                const QRectF& rect) {
    const QPainterPath path = SparklineShape{.points = points, .closed = closed}.path(rect);
    std::vector<QPointF> result;
    for (int i = 0; i < path.elementCount(); ++i) {
        result.emplace_back(path.elementAt(i).x, path.elementAt(i).y);
    }
    return result;
}

// Two or more points map into the rect with a one-point margin, y limited but x not; the area
// closes along the bottom edge.
TEST(SparklineShape, MapsPointsIntoTheRectAndClosesTheAreaAtTheBottom) {
    const std::vector<SparkPoint> rising{{.x = 0, .y = 0}, {.x = 1, .y = 1}};
    const QRectF rect(0, 0, 100, 50);
    EXPECT_EQ(pathPoints(rising, false, rect), (std::vector<QPointF>{{0, 49}, {100, 1}}));
    EXPECT_EQ(pathPoints(rising, true, rect),
              (std::vector<QPointF>{{0, 49}, {100, 1}, {100, 50}, {0, 50}, {0, 49}}));
    EXPECT_TRUE(pathPoints({{.x = 1, .y = 0.5}}, true, rect).empty());
    EXPECT_TRUE(pathPoints({}, false, rect).empty());

    const std::vector<SparkPoint> outOfRange{
        {.x = -0.5, .y = 1.4}, {.x = 0.5, .y = -0.3}, {.x = 1.25, .y = nan}, {.x = 0.75, .y = 0.5}};
    const QRectF moved(10, 20, 100, 50);
    EXPECT_EQ(pathPoints(outOfRange, false, moved),
              (std::vector<QPointF>{{-40, 21}, {60, 69}, {135, 69}, {85, 45}}));
    EXPECT_EQ(pathPoints(outOfRange, true, moved),
              (std::vector<QPointF>{
                  {-40, 21}, {60, 69}, {135, 69}, {85, 45}, {85, 70}, {-40, 70}, {-40, 21}}));
}

QImage renderSparkline(const std::vector<SparkPoint>& points, const QColor& color) {
    return painted(QSize(100, 50), [&](QPainter& p) {
        Sparkline::paint(p, QRectF(0, 0, 100, 50), points, color, 2);
    });
}

TEST(Sparkline, DrawsASmoothLineOverAnAreaThatFadesTowardsTheBottomOfTheView) {
    // A flat line at y 0.5 runs along 49 - 0.5 * 48 = 25, its stroke covering rows 24 and 25.
    const QImage flat = renderSparkline(
        {{.x = 0, .y = 0.5}, {.x = 0.5, .y = 0.5}, {.x = 1, .y = 0.5}}, Palette::memory());
    for (const int x : {10, 50, 90}) {
        expectArc(flat, x, 24, Palette::memory());
        expectArc(flat, x, 25, Palette::memory());
    }
    EXPECT_EQ(alphaAt(flat, 50, 21), 0);
    // The gradient spans the view, from 0.35 at its top edge to 0 at its bottom edge: row 37
    // (centre 37.5) lies a quarter of the way up, so 0.35 * 0.25 of full.
    EXPECT_NEAR(alphaAt(flat, 50, 37), 22, 3);
    EXPECT_TRUE(near(flat.pixelColor(50, 37), Palette::memory(), 8));

    // Above a rising line nothing but the line is drawn, so the first pixel drawn down a column is
    // its smoothed upper edge.
    const QImage rising =
        renderSparkline({{.x = 0, .y = 0}, {.x = 1, .y = 1}}, QColor::fromRgbF(0, 0, 1));
    for (const int x : {20, 50, 80}) {
        int y = 0;
        while (y < rising.height() - 1 && alphaAt(rising, x, y) == 0) {
            ++y;
        }
        EXPECT_LT(alphaAt(rising, x, y), 255) << x;
    }
}

TEST(Sparkline, RoundsTheLinesEndsAndJoins) {
    // A flat line at y 0.5 (row 25) in a rect starting at x 20, and an upward spike whose tip, at
    // 49 - 0.8 * 48 = 10.6, has nothing but the join above it.
    const QImage image = painted(QSize(140, 50), [](QPainter& p) {
        Sparkline::paint(p, QRectF(20, 0, 100, 50),
                         {{.x = 0, .y = 0.5},
                          {.x = 0.2, .y = 0.5},
                          {.x = 0.25, .y = 0.8},
                          {.x = 0.3, .y = 0.5},
                          {.x = 1, .y = 0.5}},
                         Palette::cpu(), 8);
    });
    // A round end reaches lineWidth / 2 past the first point, where a flat one stops; a square
    // one would also fill the corner.
    EXPECT_GT(alphaAt(image, 17, 25), 200);
    EXPECT_EQ(alphaAt(image, 14, 25), 0);
    EXPECT_EQ(alphaAt(image, 16, 21), 0);
    // A round join covers lineWidth / 2 above the tip; a mitre would reach further, a bevel less.
    EXPECT_GT(alphaAt(image, 45, 7), 200);
    EXPECT_EQ(alphaAt(image, 45, 3), 0);
}

}  // namespace
}  // namespace vantric
