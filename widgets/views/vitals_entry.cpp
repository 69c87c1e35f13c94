#include "widgets/views/vitals_entry.hpp"

#include <cmath>
#include <utility>

namespace vantric {

std::vector<SparkPoint> VitalsEntry::spark(HistoryField field) const {
    std::vector<SparkPoint::TimedValue> samples;
    samples.reserve(history.size());
    for (const HistoryPoint& point : history) {
        samples.push_back({.date = point.date, .value = fieldValue(point, field)});
    }
    return SparkPoint::timed(samples, historyWindow, date);
}

VitalsEntry VitalsEntry::placeholder(AbsoluteTime now) {
    // 24 points at 150 s steps span just under the hour a widget graph covers, ending now; gentle
    // waves make a widget waiting for its first reading look like a working one.
    constexpr int pointCount = 24;
    constexpr double spacingSeconds = 150;
    std::vector<HistoryPoint> history;
    history.reserve(pointCount);
    for (int i = 0; i < pointCount; ++i) {
        const double step = i;
        history.push_back({
            .date = now + -(pointCount - 1 - i) * spacingSeconds,
            .cpu = 0.28 + 0.18 * std::sin(step / 2.3),
            .memory = 0.68 + 0.04 * std::sin(step / 5),
            .gpu = 0.22 + 0.16 * std::cos(step / 1.7),
        });
    }
    return VitalsEntry{
        .date = now,
        .cpu = {.total = 0.32, .user = 0.21, .system = 0.11, .perCore = {}},
        .memory = {.total = 17179869184,
                   .app = 7000000000,
                   .wired = 2300000000,
                   .compressed = 1900000000,
                   .cached = 3100000000,
                   .swapUsed = 0,
                   .swapTotal = 0,
                   .pressure = MemoryPressure::normal},
        .gpu = {.available = true,
                .utilization = 0.27,
                .renderer = 0.26,
                .tiler = 0.25,
                .memoryInUse = 1100000000,
                .memoryAllocated = 0},
        .history = std::move(history),
        .historyWindow = 3600,
    };
}

}  // namespace vantric
