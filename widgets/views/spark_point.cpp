#include "widgets/views/spark_point.hpp"

#include <algorithm>
#include <cmath>

namespace vantric {

std::vector<SparkPoint> SparkPoint::evenlySpaced(std::span<const double> values, int capacity) {
    if (capacity < 2) {
        return {};
    }
    // In doubles throughout: the index shift may be negative for a history longer than capacity,
    // and its oldest points then lie beyond the left edge.
    const double count = static_cast<double>(values.size());
    const double last = static_cast<double>(capacity) - 1;
    std::vector<SparkPoint> points;
    points.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double slot = static_cast<double>(i) + static_cast<double>(capacity) - count;
        points.push_back({.x = slot / last, .y = values[i]});
    }
    return points;
}

std::vector<SparkPoint> SparkPoint::timed(std::span<const TimedValue> samples, double window,
                                          AbsoluteTime end) {
    if (!(window > 0) || !std::isfinite(window)) {
        return {};
    }
    std::vector<SparkPoint> points;
    for (const TimedValue& sample : samples) {
        if (!std::isfinite(sample.date.secondsSinceReferenceDate)) {
            continue;
        }
        // Negative for a sample dated after end (a clock set back); it stays, at the right edge.
        const double age = end - sample.date;
        if (!(age <= window)) {
            continue;
        }
        points.push_back({.x = std::clamp(1 - age / window, 0.0, 1.0), .y = sample.value});
    }
    return points;
}

}  // namespace vantric
