#include <optional>
#include <string>
#include <vector>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include "app/store/icon_cache.hpp"
#include "support/rendered.hpp"

namespace vantric {
namespace {

using Path = std::optional<std::string>;

QIcon solid(int width, int height, const QColor& color) {
    QPixmap pixmap(width, height);
    pixmap.fill(color);
    return QIcon(pixmap);
}

int opaquePixels(const QImage& image) {
    return testing::countPixels(image, [](const QColor& pixel) { return pixel.alpha() > 0; });
}

TEST(IconCacheTest, AsksTheSourceOncePerKeyAndHandsOutTheSamePixmap) {
    std::vector<Path> asked;
    IconCache cache([&asked](const Path& path) {
        asked.push_back(path);
        return solid(64, 64, Qt::red);
    });
    const QPixmap generic = cache.icon(std::nullopt);
    const QPixmap app = cache.icon(std::string("/opt/editor"));
    EXPECT_EQ(cache.icon(std::string("/opt/editor")).cacheKey(), app.cacheKey());
    // Processes outside a bundle share the entry under the empty key.
    EXPECT_EQ(cache.icon(std::string()).cacheKey(), generic.cacheKey());
    EXPECT_EQ(asked, (std::vector<Path>{std::nullopt, std::string("/opt/editor")}));
}

// Icons on show stay, and so do up to 32 that no row shows; past those, the unshown are
// forgotten and asked again when they come back.
TEST(IconCacheTest, ForgetsIconsNoRowShowsOncePastThirtyTwo) {
    std::vector<Path> asked;
    IconCache cache([&asked](const Path& path) {
        asked.push_back(path);
        return solid(64, 64, Qt::red);
    });
    const QPixmap shown = cache.icon(std::string("/opt/shown"));
    std::vector<Path> expected{"/opt/shown"};
    for (int app = 0; app < 32; ++app) {
        expected.emplace_back("/opt/app" + std::to_string(app));
        cache.icon(expected.back());
    }
    EXPECT_EQ(cache.size(), 33U);
    cache.icon(std::string("/opt/app0"));
    EXPECT_EQ(asked, expected);

    cache.icon(std::string("/opt/newcomer"));
    EXPECT_EQ(cache.size(), 2U);
    cache.icon(std::string("/opt/shown"));
    cache.icon(std::string("/opt/app0"));
    expected.insert(expected.end(), {"/opt/newcomer", "/opt/app0"});
    EXPECT_EQ(asked, expected);
}

TEST(IconCacheTest, FlattensEveryIconTo44PixelsAtRatioTwo) {
    // A wide icon, and one far smaller than the cache's size.
    IconCache cache(
        [](const Path& path) { return path ? solid(256, 128, Qt::blue) : solid(8, 8, Qt::green); });
    const QPixmap wide = cache.icon(std::string("/opt/wide"));
    const QPixmap tiny = cache.icon(std::nullopt);
    for (const QPixmap* pixmap : {&wide, &tiny}) {
        EXPECT_EQ(pixmap->size(), QSize(44, 44));
        EXPECT_EQ(pixmap->devicePixelRatio(), 2.0);
        EXPECT_TRUE(pixmap->hasAlphaChannel());
    }
    // Proportions kept: the wide icon fills a 44 x 22 band across the middle.
    const QImage wideImage = wide.toImage();
    EXPECT_EQ(wideImage.pixelColor(22, 22), QColor(Qt::blue));
    EXPECT_EQ(opaquePixels(wideImage), 44 * 22);
    EXPECT_EQ(wideImage.pixelColor(22, 40).alpha(), 0);
    // Scaled up to fill the square rather than left at its own size.
    EXPECT_EQ(tiny.toImage().pixelColor(1, 1), QColor(Qt::green));
    EXPECT_EQ(tiny.toImage().pixelColor(42, 42), QColor(Qt::green));
}

TEST(IconCacheTest, ReplacesANullIconWithTheGenericExecutable) {
    IconCache empty([](const Path&) { return QIcon(); });
    IconCache generic([](const Path&) { return IconCache::genericIcon(); });
    const QImage fromNull = empty.icon(std::string("/gone")).toImage();
    EXPECT_GT(opaquePixels(fromNull), 44 * 44 / 3);
    EXPECT_EQ(fromNull, generic.icon(std::string("/gone")).toImage());
    // The shared cache gives processes outside a bundle the same icon.
    EXPECT_EQ(IconCache::shared().icon(std::nullopt).toImage(), fromNull);
}

}  // namespace
}  // namespace vantric
