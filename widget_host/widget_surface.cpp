#include "widget_host/widget_surface.hpp"

#include <algorithm>
#include <cmath>

namespace vantric {

WidgetSurface::WidgetSurface(const WidgetDescription& description, VitalsEntry placeholder)
    : description_(description), entries_{placeholder}, shown_(std::move(placeholder)) {
    nextEntry_.setSingleShot(true);
    connect(&nextEntry_, &QTimer::timeout, this, &WidgetSurface::showCurrentEntry);
}

void WidgetSurface::showTimeline(std::vector<VitalsEntry> entries) {
    if (entries.empty()) {
        return;
    }
    entries_ = std::move(entries);
    showCurrentEntry();
}

void WidgetSurface::showCurrentEntry() {
    const AbsoluteTime now = AbsoluteTime::now();
    // The last entry whose date has come, or the first while none has.
    const auto later = std::upper_bound(entries_.begin(), entries_.end(), now,
                                        [](AbsoluteTime t, const auto& e) { return t < e.date; });
    const VitalsEntry& due = later == entries_.begin() ? entries_.front() : *(later - 1);
    if (later != entries_.end()) {
        const double seconds = later->date - now;
        nextEntry_.start(static_cast<int>(std::ceil(std::min(seconds, 24.0 * 60 * 60) * 1000)));
    } else {
        nextEntry_.stop();
    }
    // Compared by value: a reload often brings the entry already shown, which is not drawn again.
    if (!(due == shown_)) {
        shown_ = due;
        present();
    }
}

}  // namespace vantric
