#include "platform/widget_host/timeline_scheduler.hpp"

#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using Widgets = std::vector<int>;

struct FakeClock {
    AbsoluteTime now{1000};
    TimelineScheduler::Clock clock() {
        return [this] { return now; };
    }
};

TEST(TimelineScheduler, TakesWidgetsDueWithinTheSameSecondTogetherAndOnlyOnce) {
    FakeClock time;
    TimelineScheduler scheduler(time.clock());
    EXPECT_EQ(scheduler.secondsUntilNext(), std::nullopt);
    scheduler.schedule(1, AbsoluteTime{1010});
    scheduler.schedule(2, AbsoluteTime{1010.5});
    scheduler.schedule(3, AbsoluteTime{1011.2});
    scheduler.schedule(4, AbsoluteTime{1500});
    EXPECT_DOUBLE_EQ(scheduler.secondsUntilNext().value(), 10);
    EXPECT_TRUE(scheduler.takeDue().empty());

    time.now = AbsoluteTime{1010};
    EXPECT_EQ(scheduler.takeDue(), (Widgets{1, 2}));
    EXPECT_TRUE(scheduler.takeDue().empty());
    EXPECT_NEAR(scheduler.secondsUntilNext().value(), 1.2, 1e-9);

    // Woken late: whatever is overdue goes out.
    time.now = AbsoluteTime{2000};
    EXPECT_DOUBLE_EQ(scheduler.secondsUntilNext().value(), 0);
    EXPECT_EQ(scheduler.takeDue(), (Widgets{3, 4}));
}

TEST(TimelineScheduler, ForgottenWidgetsAreNeverDue) {
    FakeClock time;
    TimelineScheduler scheduler(time.clock());
    scheduler.schedule(1, AbsoluteTime{1005});
    scheduler.schedule(2, AbsoluteTime{1005});
    scheduler.forget(1);
    time.now = AbsoluteTime{1005};
    EXPECT_EQ(scheduler.takeDue(), (Widgets{2}));
}

TEST(TimelineScheduler, ReloadDatesAtOddsWithTheClockWaitFiveMinutes) {
    FakeClock time;
    TimelineScheduler scheduler(time.clock());
    scheduler.schedule(1, AbsoluteTime{900});                      // already past
    scheduler.schedule(2, AbsoluteTime{1000});                     // now: would repeat at once
    scheduler.schedule(3, AbsoluteTime{1000 + 2 * 24 * 60 * 60});  // two days ahead
    EXPECT_DOUBLE_EQ(scheduler.secondsUntilNext().value(), TimelineScheduler::fallbackSeconds);
    time.now = AbsoluteTime{1298};
    EXPECT_TRUE(scheduler.takeDue().empty());
    time.now = AbsoluteTime{1300};
    EXPECT_EQ(scheduler.takeDue(), (Widgets{1, 2, 3}));
}

TEST(TimelineScheduler, AClockSetBackAfterSchedulingDoesNotStallTheWidget) {
    FakeClock time;
    TimelineScheduler scheduler(time.clock());
    scheduler.schedule(1, AbsoluteTime{1060});
    time.now = AbsoluteTime{1000 - 3 * 24 * 60 * 60};
    EXPECT_DOUBLE_EQ(scheduler.secondsUntilNext().value(), TimelineScheduler::fallbackSeconds);
}

}  // namespace
}  // namespace vantric
