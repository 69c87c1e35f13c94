#include "widget_host/widget_surface.hpp"

#include <gtest/gtest.h>

#include "support/event_wait.hpp"

namespace vantric {
namespace {

// Counts what it is asked to draw.
class CountingSurface : public WidgetSurface {
public:
    CountingSurface() : WidgetSurface(describeWidget(VitalsWidgetKind::cpu), entryAt(0, 0)) {}

    static VitalsEntry entryAt(double secondsFromNow, double load) {
        return {.date = AbsoluteTime::now() + secondsFromNow, .cpu = {.total = load}};
    }

    int presented = 0;
    double shownLoad() const { return shownEntry().cpu.total; }

protected:
    void present() override { ++presented; }
};

// Drawing costs: an entry already on screen is not drawn again, whatever brings it.
TEST(WidgetSurface, DrawsOnlyWhenTheEntryShownChanges) {
    CountingSurface surface;
    const VitalsEntry now = CountingSurface::entryAt(0, 0.25);
    const VitalsEntry soon = CountingSurface::entryAt(0.2, 0.5);
    surface.showTimeline({now, soon});
    EXPECT_EQ(surface.presented, 1);
    // The same timeline again, as a reload with unchanged figures brings it.
    surface.showTimeline({now, soon});
    EXPECT_EQ(surface.presented, 1);
    // The next entry shows at its date, once.
    EXPECT_TRUE(testing::eventually([&] { return surface.shownLoad() == 0.5; }, 2000));
    EXPECT_EQ(surface.presented, 2);
    surface.showTimeline({});
    EXPECT_EQ(surface.presented, 2);
}

}  // namespace
}  // namespace vantric
