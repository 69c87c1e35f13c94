#pragma once

#include <chrono>
#include <compare>

namespace vantric {

// An instant as seconds since 2001-01-01 00:00:00 UTC. The widget history is stored in this form,
// so history written by one version of the programs reads back unchanged in another; keeping the
// double itself, rather than converting to and from a clock, makes that round trip exact.
struct AbsoluteTime {
    double secondsSinceReferenceDate = 0;

    // 2001-01-01 00:00:00 UTC in seconds since the Unix epoch.
    static constexpr double referenceDateUnixSeconds = 978307200.0;

    static AbsoluteTime from(std::chrono::system_clock::time_point time);
    static AbsoluteTime now();
    std::chrono::system_clock::time_point systemTime() const;

    // clang-tidy 14 takes the defaulted comparison's 0 for a null pointer.
    auto operator<=>(const AbsoluteTime&) const = default;  // NOLINT(modernize-use-nullptr)
};

// Seconds from b to a; negative when a is earlier.
inline double operator-(AbsoluteTime a, AbsoluteTime b) {
    return a.secondsSinceReferenceDate - b.secondsSinceReferenceDate;
}

inline AbsoluteTime operator+(AbsoluteTime time, double seconds) {
    return {time.secondsSinceReferenceDate + seconds};
}

}  // namespace vantric
