#include "widgets/views/palette.hpp"
#include "widgets/views/ring_gauge.hpp"
#include "widgets/views/sparkline.hpp"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

QImage transparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage renderRing(double fraction, const QColor& color, const QSize& size = {100, 100}) {
    QImage image = transparentImage(size.width(), size.height());
    QPainter painter(&image);
    RingGauge::paint(painter, QRectF(QPointF(0, 0), size), fraction, color, 10);
    return image;
}

int alphaAt(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).alpha();
}

// Pixels that are neither empty nor opaque; an opaque colour leaves them only along smoothed
// edges.
int translucentPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = alphaAt(image, x, y);
            count += alpha > 0 && alpha < 255 ? 1 : 0;
        }
    }
    return count;
}

// Faint pixels are stored premultiplied while drawing, so their colour comes back coarser.
bool sameRgb(const QColor& a, const QColor& b, int tolerance = 2) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// The ring of a 100 x 100 gauge with line width 10 runs through the middle of its stroke at radius
// 45 around (50, 50).
constexpr int fullAlpha = 255;
constexpr int trackAlpha = 46;  // 0.18 of full

void expectTrackOnly(const QImage& image, int x, int y) {
    EXPECT_NEAR(alphaAt(image, x, y), trackAlpha, 3) << x << "," << y;
}

void expectArc(const QImage& image, int x, int y, const QColor& color) {
    EXPECT_EQ(alphaAt(image, x, y), fullAlpha) << x << "," << y;
    EXPECT_TRUE(sameRgb(image.pixelColor(x, y), color)) << x << "," << y;
}

TEST(Palette, MapsPressureAndHighLoadToTheirColours) {
    EXPECT_EQ(Palette::forPressure(MemoryPressure::normal), Palette::memory());
    EXPECT_EQ(Palette::forPressure(MemoryPressure::warning), Palette::elevated());
    EXPECT_EQ(Palette::forPressure(MemoryPressure::critical), Palette::critical());

    EXPECT_EQ(Palette::forLoad(0.9, Palette::gpu()), Palette::critical());
    EXPECT_EQ(Palette::forLoad(1.3, Palette::gpu()), Palette::critical());
    EXPECT_EQ(Palette::forLoad(0.8999, Palette::gpu()), Palette::gpu());
    EXPECT_EQ(Palette::forLoad(0, Palette::cpu()), Palette::cpu());
    EXPECT_EQ(Palette::forLoad(nan, Palette::cpu()), Palette::cpu());
}

TEST(RingGauge, HalfFillsTheRightHalfFromTwelveClockwise) {
    const QImage image = renderRing(0.5, Palette::gpu());
    expectArc(image, 95, 50, Palette::gpu());  // 3 o'clock
    expectArc(image, 82, 18, Palette::gpu());  // half past one
    expectArc(image, 82, 82, Palette::gpu());  // half past four
    expectTrackOnly(image, 5, 50);             // 9 o'clock
    expectTrackOnly(image, 18, 18);            // half past ten
    expectTrackOnly(image, 18, 82);            // half past seven
    EXPECT_TRUE(sameRgb(image.pixelColor(5, 50), Palette::gpu(), 4));
    EXPECT_EQ(alphaAt(image, 50, 50), 0);  // the hole
    EXPECT_EQ(alphaAt(image, 2, 2), 0);    // the corner outside the ring
}

TEST(RingGauge, ZeroOrLessStillShowsADotAtTwelve) {
    for (const double fraction : {0.0, -1.0, nan}) {
        const QImage image = renderRing(fraction, Palette::cpu());
        expectArc(image, 50, 5, Palette::cpu());
        expectTrackOnly(image, 95, 50);
        expectTrackOnly(image, 50, 95);
        expectTrackOnly(image, 5, 50);
        // The dot is the size of the line's round ends, not a stroke along the ring.
        expectTrackOnly(image, 62, 7);
        expectTrackOnly(image, 38, 7);
    }
}

TEST(RingGauge, MoreThanOneFillsTheWholeRing) {
    const QImage image = renderRing(1.7, Palette::memory());
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {50, 5}, {95, 50}, {50, 95}, {5, 50}, {18, 18}, {82, 82}, {18, 82}, {45, 5}}) {
        expectArc(image, x, y, Palette::memory());
    }
    // Both rims of a ring 10 wide and 90 across are smoothed, some 560 pixels.
    EXPECT_GT(translucentPixels(image), 300);
}

TEST(RingGauge, StaysInsideItsRectAndCentresInTheShorterSide) {
    // A 200 x 100 rect: the ring's diameter follows the height and it sits in the middle.
    const QImage wide = renderRing(1, Palette::cpu(), {200, 100});
    expectArc(wide, 145, 50, Palette::cpu());
    expectArc(wide, 55, 50, Palette::cpu());
    expectArc(wide, 100, 1, Palette::cpu());
    expectArc(wide, 100, 98, Palette::cpu());
    EXPECT_EQ(alphaAt(wide, 10, 50), 0);
    EXPECT_EQ(alphaAt(wide, 190, 50), 0);

    // Drawn into the middle of a larger image, nothing may land outside its rect.
    QImage image = transparentImage(120, 120);
    {
        QPainter painter(&image);
        RingGauge::paint(painter, QRectF(10, 10, 100, 100), 1, Palette::cpu(), 10);
    }
    // The outermost pixels of the curve are only mostly covered.
    EXPECT_GT(alphaAt(image, 60, 10), 240);
    EXPECT_GT(alphaAt(image, 109, 60), 240);
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{60, 9}, {110, 60}, {60, 110}, {9, 60}}) {
        EXPECT_EQ(alphaAt(image, x, y), 0) << x << "," << y;
    }
}

TEST(RingGauge, WidgetPaintsItsFractionOverItsWholeArea) {
    RingGauge gauge;
    gauge.setFraction(0.25);
    gauge.setColor(Palette::critical());
    gauge.setLineWidth(10);
    gauge.resize(100, 100);
    const QImage image = gauge.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(100, 100));
    EXPECT_TRUE(sameRgb(image.pixelColor(82, 18), Palette::critical()));
    EXPECT_FALSE(sameRgb(image.pixelColor(18, 82), Palette::critical()));
    EXPECT_FALSE(sameRgb(image.pixelColor(82, 82), Palette::critical()));
}

std::vector<QPointF> pathPoints(const QPainterPath& path) {
    std::vector<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i) {
        points.emplace_back(path.elementAt(i).x, path.elementAt(i).y);
    }
    return points;
}

TEST(SparklineShape, MapsPointsWithAOnePointMarginTopAndBottom) {
    const std::vector<SparkPoint> rising{{.x = 0, .y = 0}, {.x = 1, .y = 1}};
    const QRectF rect(0, 0, 100, 50);

    const QPainterPath line = SparklineShape{.points = rising, .closed = false}.path(rect);
    ASSERT_EQ(line.elementCount(), 2);
    EXPECT_TRUE(line.elementAt(0).isMoveTo());
    EXPECT_TRUE(line.elementAt(1).isLineTo());
    EXPECT_EQ(pathPoints(line), (std::vector<QPointF>{{0, 49}, {100, 1}}));

    const QPainterPath area = SparklineShape{.points = rising, .closed = true}.path(rect);
    const auto areaPoints = pathPoints(area);
    ASSERT_GE(areaPoints.size(), 4U);
    EXPECT_EQ(std::vector<QPointF>(areaPoints.begin(), areaPoints.begin() + 4),
              (std::vector<QPointF>{{0, 49}, {100, 1}, {100, 50}, {0, 50}}));
    EXPECT_EQ(areaPoints.back(), QPointF(0, 49));
    EXPECT_EQ(area.elementAt(0).isMoveTo(), true);
    for (int i = 1; i < area.elementCount(); ++i) {
        EXPECT_TRUE(area.elementAt(i).isLineTo()) << i;
    }
}

TEST(SparklineShape, LimitsYButNotXAndFollowsTheRectOrigin) {
    const QRectF rect(10, 20, 100, 50);
    const std::vector<SparkPoint> outOfRange{
        {.x = -0.5, .y = 1.4}, {.x = 0.5, .y = -0.3}, {.x = 1.25, .y = nan}, {.x = 1, .y = 0.5}};
    EXPECT_EQ(pathPoints(SparklineShape{.points = outOfRange}.path(rect)),
              (std::vector<QPointF>{{-40, 21}, {60, 69}, {135, 69}, {110, 45}}));

    const QPainterPath area = SparklineShape{.points = outOfRange, .closed = true}.path(rect);
    const auto areaPoints = pathPoints(area);
    ASSERT_GE(areaPoints.size(), 6U);
    EXPECT_EQ(areaPoints[4], QPointF(110, 70));
    EXPECT_EQ(areaPoints[5], QPointF(-40, 70));
}

TEST(SparklineShape, FewerThanTwoPointsGiveAnEmptyPath) {
    const QRectF rect(0, 0, 100, 50);
    for (const bool closed : {false, true}) {
        const SparklineShape none{.points = {}, .closed = closed};
        const SparklineShape single{.points = {{.x = 1, .y = 0.5}}, .closed = closed};
        EXPECT_TRUE(none.path(rect).isEmpty());
        EXPECT_TRUE(single.path(rect).isEmpty());
    }
}

QImage renderSparkline(const std::vector<SparkPoint>& points, const QColor& color) {
    QImage image = transparentImage(100, 50);
    QPainter painter(&image);
    Sparkline::paint(painter, QRectF(0, 0, 100, 50), points, color, 2);
    return image;
}

TEST(Sparkline, OnePointLeavesTheImageUntouched) {
    EXPECT_EQ(renderSparkline({{.x = 1, .y = 0.5}}, Palette::cpu()), transparentImage(100, 50));
    EXPECT_EQ(renderSparkline({}, Palette::cpu()), transparentImage(100, 50));
}

TEST(Sparkline, DrawsTheLineOverAnAreaThatFadesTowardsTheBottomOfTheView) {
    // A flat line at y 0.5 runs along 49 - 0.5 * 48 = 25, its stroke covering rows 24 and 25.
    const QImage image = renderSparkline(
        {{.x = 0, .y = 0.5}, {.x = 0.5, .y = 0.5}, {.x = 1, .y = 0.5}}, Palette::memory());
    for (const int x : {10, 50, 90}) {
        expectArc(image, x, 24, Palette::memory());
        expectArc(image, x, 25, Palette::memory());
    }
    EXPECT_EQ(alphaAt(image, 50, 10), 0);
    EXPECT_EQ(alphaAt(image, 50, 21), 0);

    // The gradient spans the view, from 0.35 at its top edge to 0 at its bottom edge: row 37
    // (centre 37.5) lies a quarter of the way up, so 0.35 * 0.25 of full.
    EXPECT_NEAR(alphaAt(image, 50, 37), 22, 3);
    EXPECT_TRUE(sameRgb(image.pixelColor(50, 37), Palette::memory(), 8));
    EXPECT_NEAR(alphaAt(image, 50, 30), 35, 3);
    EXPECT_LE(alphaAt(image, 50, 49), 2);
}

TEST(Sparkline, SmoothsTheLinesEdges) {
    // Above a rising line nothing but the line is drawn, so its smoothed upper edge shows as
    // translucent pixels along the whole length.
    const QImage image =
        renderSparkline({{.x = 0, .y = 0}, {.x = 1, .y = 1}}, QColor::fromRgbF(0, 0, 1));
    int smoothedColumns = 0;
    for (int x = 5; x < 95; ++x) {
        int y = 0;
        while (y < image.height() && alphaAt(image, x, y) == 0) {
            ++y;
        }
        ASSERT_LT(y, image.height()) << x;
        smoothedColumns += alphaAt(image, x, y) < 255 ? 1 : 0;
    }
    EXPECT_GT(smoothedColumns, 60);
}

TEST(Sparkline, RoundsTheLinesEndsAndJoins) {
    QImage image = transparentImage(140, 50);
    {
        QPainter painter(&image);
        // A flat line at y 0.5 (row 25) in a rect starting at x 20, and an upward spike whose
        // tip, at 49 - 0.8 * 48 = 10.6, has nothing but the join above it.
        Sparkline::paint(painter, QRectF(20, 0, 100, 50),
                         {{.x = 0, .y = 0.5},
                          {.x = 0.2, .y = 0.5},
                          {.x = 0.25, .y = 0.8},
                          {.x = 0.3, .y = 0.5},
                          {.x = 1, .y = 0.5}},
                         Palette::cpu(), 8);
    }
    // A round end reaches lineWidth / 2 past the first point, where a flat one stops; a square
    // one would also fill the corner.
    EXPECT_GT(alphaAt(image, 17, 25), 200);
    EXPECT_EQ(alphaAt(image, 14, 25), 0);
    EXPECT_EQ(alphaAt(image, 16, 21), 0);
    // A round join covers lineWidth / 2 above the tip; a mitre would reach further, a bevel less.
    EXPECT_GT(alphaAt(image, 45, 7), 200);
    EXPECT_EQ(alphaAt(image, 45, 3), 0);
}

TEST(Sparkline, WidgetPaintsItsPointsOverItsWholeArea) {
    Sparkline sparkline;
    sparkline.setPoints({{.x = 0, .y = 1}, {.x = 1, .y = 1}});
    sparkline.setColor(Palette::gpu());
    sparkline.setLineWidth(2);
    sparkline.resize(100, 50);
    const QImage image = sparkline.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(100, 50));
    EXPECT_TRUE(sameRgb(image.pixelColor(50, 1), Palette::gpu()));
    EXPECT_FALSE(sameRgb(image.pixelColor(50, 48), Palette::gpu()));
}

}  // namespace
}  // namespace vantric
