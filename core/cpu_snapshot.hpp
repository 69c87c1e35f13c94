#pragma once

#include <vector>

namespace vantric {

// Processor load over the interval between two samples, as fractions of all processor time.
// The zero value is what the sampler returns when the kernel cannot be asked.
struct CPUSnapshot {
    double total = 0;  // user + system, capped at 1
    double user = 0;   // niced user time included
    double system = 0;
    // Busy share of each logical processor the kernel reported, in the kernel's order.
    std::vector<double> perCore{};

    bool operator==(const CPUSnapshot&) const = default;
};

// Processor time of all logical processors together since boot, in seconds, by mode: counters
// that never decrease, for readers that take their own rates.
struct CPUTimes {
    double user = 0;  // niced user time included
    double system = 0;
    double idle = 0;

    bool operator==(const CPUTimes&) const = default;
};

}  // namespace vantric
