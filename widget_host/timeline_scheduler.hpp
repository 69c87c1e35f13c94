#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "widgets/views/absolute_time.hpp"

namespace vantric {

// When each placed widget is to ask for its next timeline. Widgets are named by the host's own
// numbers. A widget is scheduled when its timeline arrives and leaves the schedule when it is
// taken as due, until its next timeline arrives.
//
// Widgets due within the same second are taken together, so that the plug-in answers them with
// one measurement rather than one each.
//
// Main thread only.
class TimelineScheduler {
public:
    using Clock = std::function<AbsoluteTime()>;

    // A reload date that makes no sense against the clock (already past, or further off than
    // maxAheadSeconds, as after the clock was set) is replaced by now + fallbackSeconds.
    static constexpr double fallbackSeconds = 300;
    static constexpr double maxAheadSeconds = 24 * 60 * 60;
    static constexpr double batchSeconds = 1;

    explicit TimelineScheduler(Clock now = AbsoluteTime::now);

    void schedule(int widget, AbsoluteTime reloadAfter);
    void forget(int widget);

    // The widgets due now or within the next batchSeconds; they leave the schedule.
    std::vector<int> takeDue();
    // Seconds from now until the next widget is due, 0 when one is due already; nullopt when
    // none is scheduled.
    std::optional<double> secondsUntilNext();

private:
    AbsoluteTime sensible(AbsoluteTime reloadAfter, AbsoluteTime now) const;

    Clock now_;
    std::map<int, AbsoluteTime> due_{};
};

}  // namespace vantric
