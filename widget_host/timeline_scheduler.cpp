#include "widget_host/timeline_scheduler.hpp"

#include <algorithm>
#include <utility>

namespace vantric {

TimelineScheduler::TimelineScheduler(Clock now) : now_(std::move(now)) {}

AbsoluteTime TimelineScheduler::sensible(AbsoluteTime reloadAfter, AbsoluteTime now) const {
    // A date at or before now would have the host ask again at once, and again, for ever.
    if (reloadAfter <= now || reloadAfter - now > maxAheadSeconds) {
        return now + fallbackSeconds;
    }
    return reloadAfter;
}

void TimelineScheduler::schedule(int widget, AbsoluteTime reloadAfter) {
    due_[widget] = sensible(reloadAfter, now_());
}

void TimelineScheduler::forget(int widget) {
    due_.erase(widget);
}

std::vector<int> TimelineScheduler::takeDue() {
    const AbsoluteTime now = now_();
    std::vector<int> taken;
    for (auto entry = due_.begin(); entry != due_.end();) {
        if (entry->second < now + batchSeconds) {
            taken.push_back(entry->first);
            entry = due_.erase(entry);
        } else {
            ++entry;
        }
    }
    return taken;
}

std::optional<double> TimelineScheduler::secondsUntilNext() {
    if (due_.empty()) {
        return std::nullopt;
    }
    const AbsoluteTime now = now_();
    // The clock may have been set back since these dates were recorded.
    for (auto& [widget, date] : due_) {
        if (date - now > maxAheadSeconds) {
            date = now + fallbackSeconds;
        }
    }
    const auto earliest = std::min_element(
        due_.begin(), due_.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return std::max(0.0, earliest->second - now);
}

}  // namespace vantric
