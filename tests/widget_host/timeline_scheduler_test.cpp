#include "widget_host/timeline_scheduler.hpp"

#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using Widgets = std::vector<int>;

// A scheduler on a clock the test sets.
struct TimelineSchedulerTest : ::testing::Test {
    AbsoluteTime now{1000};
    TimelineScheduler scheduler{[this] { return now; }};
};

// A forgotten widget is never due.
TEST_F(TimelineSchedulerTest, TakesWidgetsDueWithinTheSameSecondTogetherAndOnlyOnce) {
    EXPECT_EQ(scheduler.secondsUntilNext(), std::nullopt);
    scheduler.schedule(1, AbsoluteTime{1010});
    scheduler.schedule(2, AbsoluteTime{1010.5});
    scheduler.schedule(3, AbsoluteTime{1011.2});
    scheduler.schedule(4, AbsoluteTime{1500});
    scheduler.schedule(5, AbsoluteTime{1010});
    scheduler.forget(5);
    EXPECT_DOUBLE_EQ(scheduler.secondsUntilNext().value(), 10);
    EXPECT_TRUE(scheduler.takeDue().empty());

    now = AbsoluteTime{1010};
    EXPECT_EQ(scheduler.takeDue(), (Widgets{1, 2}));
    EXPECT_TRUE(scheduler.takeDue().empty());
    EXPECT_NEAR(scheduler.secondsUntilNext().value(), 1.2, 1e-9);

    // Woken late: whatever is overdue goes out.
    now = AbsoluteTime{2000};
    EXPECT_DOUBLE_EQ(scheduler.secondsUntilNext().value(), 0);
    EXPECT_EQ(scheduler.takeDue(), (Widgets{3, 4}));
}

TEST_F(TimelineSchedulerTest, ReloadDatesAtOddsWithTheClockWaitFiveMinutes) {
    scheduler.schedule(1, AbsoluteTime{900});                      // already past
    scheduler.schedule(2, AbsoluteTime{1000});                     // now: would repeat at once
    scheduler.schedule(3, AbsoluteTime{1000 + 2 * 24 * 60 * 60});  // two days ahead
    EXPECT_DOUBLE_EQ(scheduler.secondsUntilNext().value(), TimelineScheduler::fallbackSeconds);
    now = AbsoluteTime{1298};
    EXPECT_TRUE(scheduler.takeDue().empty());
    now = AbsoluteTime{1300};
    EXPECT_EQ(scheduler.takeDue(), (Widgets{1, 2, 3}));

    // A clock set back after scheduling does not stall the widget either.
    scheduler.schedule(4, AbsoluteTime{1360});
    now = AbsoluteTime{1300 - 3 * 24 * 60 * 60};
    EXPECT_DOUBLE_EQ(scheduler.secondsUntilNext().value(), TimelineScheduler::fallbackSeconds);
}

}  // namespace
}  // namespace vantric
