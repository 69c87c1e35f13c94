#pragma once

#include <vector>

#include "core/cpu_snapshot.hpp"
#include "core/gpu_snapshot.hpp"
#include "core/memory_snapshot.hpp"
#include "widgets/views/history_point.hpp"
#include "widgets/views/spark_point.hpp"

namespace vantric {

// What a desktop widget draws: one full reading and the history its graphs show.
struct VitalsEntry {
    AbsoluteTime date{};
    CPUSnapshot cpu{};
    MemorySnapshot memory{};
    GPUSnapshot gpu{};
    std::vector<HistoryPoint> history{};  // oldest first
    double historyWindow = 3600;          // seconds a graph covers, ending at date

    // The graph of one figure: the history placed by age over historyWindow, ending at date.
    std::vector<SparkPoint> spark(HistoryField field) const;

    // A fixed sample entry for a widget that has no reading yet, dated now; it never samples.
    static VitalsEntry placeholder(AbsoluteTime now);

    bool operator==(const VitalsEntry&) const = default;
};

}  // namespace vantric
