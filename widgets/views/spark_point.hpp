#pragma once

#include <span>
#include <vector>

#include "widgets/views/absolute_time.hpp"

namespace vantric {

// A value placed in a sparkline's drawing area: x 0 = left edge, 1 = right edge; y 0 = bottom,
// 1 = top.
struct SparkPoint {
    double x = 0;
    double y = 0;

    bool operator==(const SparkPoint&) const = default;

    // A history of at most capacity values, oldest first, with the newest at the right edge and a
    // full history spanning the whole width; a shorter one fills only the right-hand part.
    // Empty when capacity is below 2.
    static std::vector<SparkPoint> evenlySpaced(std::span<const double> values, int capacity);

    struct TimedValue {
        AbsoluteTime date{};
        double value = 0;
    };
    // Samples placed by their age before end, over a window of window seconds: those older than
    // the window are dropped, later ones sit at the right edge. A window of 0, negative or not
    // finite gives no points.
    static std::vector<SparkPoint> timed(std::span<const TimedValue> samples, double window,
                                         AbsoluteTime end);
};

}  // namespace vantric
