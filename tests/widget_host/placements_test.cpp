#include "widget_host/placements.hpp"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(Placements, NewWidgetsGoWhereTheyOverlapNoPlacedOne) {
    std::vector<Placement> placed;
    // Mixed sizes, more than one row's worth, with a gap left by a removal.
    for (const VitalsWidgetKind kind :
         {VitalsWidgetKind::cpu, VitalsWidgetKind::overview, VitalsWidgetKind::cpu,
          VitalsWidgetKind::overview, VitalsWidgetKind::memory, VitalsWidgetKind::gpu}) {
        placed.push_back({.kind = kind, .position = freeSpot(placed, kind).value()});
    }
    placed.erase(placed.begin());
    for (const VitalsWidgetKind kind : {VitalsWidgetKind::overview, VitalsWidgetKind::gpu}) {
        placed.push_back({.kind = kind, .position = freeSpot(placed, kind).value()});
    }

    for (std::size_t a = 0; a < placed.size(); ++a) {
        const QRect first(placed[a].position, widgetSize(placed[a].kind));
        EXPECT_GE(first.left(), 0);
        EXPECT_GE(first.top(), 0);
        for (std::size_t b = a + 1; b < placed.size(); ++b) {
            EXPECT_FALSE(first.intersects(QRect(placed[b].position, widgetSize(placed[b].kind))))
                << a << " and " << b;
        }
    }
    // The small widget fills the spot the removed one left.
    EXPECT_EQ(placed.back().position, freeSpot({}, VitalsWidgetKind::cpu));
}

// A damaged file: places at the ends of the int range, whose rectangles overflowed and so took
// every spot, garbage, and an array size that took minutes to walk. What is sound is kept.
TEST(Placements, DamagedPlacesAreLeftOutAndTheRestKeptWithinBounds) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("WidgetHost.conf"));
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(
        QByteArray("[widgets]\n"
                   "1\\kind=org.vantric.Vantric.CPU\n1\\x=2147483647\n1\\y=2147483647\n"
                   "2\\kind=org.vantric.Vantric.GPU\n2\\x=-2147483648\n2\\y=40\n"
                   "3\\kind=org.vantric.Vantric.Memory\n3\\x=200\n3\\y=32\n3\\output=DP-1\n"
                   "4\\kind=org.vantric.Vantric.Overview\n4\\x=ten\n4\\y=32\n"
                   // A damaged output name reads as none: the widget still shows, on some output.
                   "5\\kind=org.vantric.Vantric.CPU\n5\\x=1\n5\\y=2\n5\\output=DP\\x1b[2J\n"
                   "6\\kind=org.vantric.Vantric.GPU\n6\\x=3\n6\\y=4\n6\\output=%1\n"
                   "70\\kind=org.vantric.Vantric.CPU\n70\\x=0\n70\\y=0\n"
                   "size=2147483647\n")
            .replace("%1", QByteArray(longestOutputName + 1, 'D')));
    damaged.close();
    const std::vector<Placement> loaded = loadPlacements(file);
    EXPECT_EQ(loaded,
              (std::vector<Placement>{
                  {.kind = VitalsWidgetKind::memory, .position = {200, 32}, .output = "DP-1"},
                  {.kind = VitalsWidgetKind::cpu, .position = {1, 2}},
                  {.kind = VitalsWidgetKind::gpu, .position = {3, 4}}}));

    // Even a desktop full of widgets leaves a spot, and the search ends.
    std::vector<Placement> full;
    for (std::size_t index = 0; index < maxPlacements; ++index) {
        full.push_back({.kind = VitalsWidgetKind::overview,
                        .position = freeSpot(full, VitalsWidgetKind::overview).value()});
    }
    EXPECT_TRUE(freeSpot(full, VitalsWidgetKind::overview));

    // Saved into a folder where the file should be: said, not taken for done.
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("taken.conf")));
    EXPECT_FALSE(savePlacements(loaded, folder.filePath(QStringLiteral("taken.conf"))));
    full.back().output = QStringLiteral("HDMI-A-1");
    EXPECT_TRUE(savePlacements(full, file));
    EXPECT_EQ(loadPlacements(file), full);
}

TEST(Placements, RemovalPicksTheLastOfTheKind) {
    const std::vector<Placement> placed{{.kind = VitalsWidgetKind::cpu},
                                        {.kind = VitalsWidgetKind::gpu},
                                        {.kind = VitalsWidgetKind::cpu},
                                        {.kind = VitalsWidgetKind::gpu}};
    EXPECT_EQ(lastPlacementOf(placed, VitalsWidgetKind::cpu), 2U);
    EXPECT_EQ(lastPlacementOf(placed, VitalsWidgetKind::memory), std::nullopt);
}

}  // namespace
}  // namespace vantric
