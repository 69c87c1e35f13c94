#include "platform/widget_host/placements.hpp"

#include <QRect>

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(Placements, NewWidgetsGoWhereTheyOverlapNoPlacedOne) {
    std::vector<Placement> placed;
    // Mixed sizes, more than one row's worth, with a gap left by a removal.
    for (const VitalsWidgetKind kind :
         {VitalsWidgetKind::cpu, VitalsWidgetKind::overview, VitalsWidgetKind::cpu,
          VitalsWidgetKind::overview, VitalsWidgetKind::memory, VitalsWidgetKind::gpu}) {
        placed.push_back({.kind = kind, .position = freeSpot(placed, kind)});
    }
    placed.erase(placed.begin());
    placed.push_back({.kind = VitalsWidgetKind::overview,
                      .position = freeSpot(placed, VitalsWidgetKind::overview)});
    placed.push_back(
        {.kind = VitalsWidgetKind::gpu, .position = freeSpot(placed, VitalsWidgetKind::gpu)});

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

TEST(Placements, RemovalPicksTheLastOfTheKind) {
    const std::vector<Placement> placed{{.kind = VitalsWidgetKind::cpu, .position = {0, 0}},
                                        {.kind = VitalsWidgetKind::gpu, .position = {200, 0}},
                                        {.kind = VitalsWidgetKind::cpu, .position = {400, 0}},
                                        {.kind = VitalsWidgetKind::gpu, .position = {600, 0}}};
    EXPECT_EQ(lastPlacementOf(placed, VitalsWidgetKind::cpu), 2U);
    EXPECT_EQ(lastPlacementOf(placed, VitalsWidgetKind::memory), std::nullopt);
}

}  // namespace
}  // namespace vantric
