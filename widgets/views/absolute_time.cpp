#include "widgets/views/absolute_time.hpp"

#include <cmath>

namespace vantric {

namespace {

using Clock = std::chrono::system_clock;
using DoubleSeconds = std::chrono::duration<double>;

constexpr std::chrono::seconds referenceDateUnix{978307200};
static_assert(referenceDateUnix.count() == AbsoluteTime::referenceDateUnixSeconds);

}  // namespace

AbsoluteTime AbsoluteTime::from(Clock::time_point time) {
    const DoubleSeconds unixSeconds = time.time_since_epoch();
    return {unixSeconds.count() - referenceDateUnixSeconds};
}

AbsoluteTime AbsoluteTime::now() {
    return from(Clock::now());
}

Clock::time_point AbsoluteTime::systemTime() const {
    const DoubleSeconds unixSeconds{secondsSinceReferenceDate + referenceDateUnixSeconds};
    // The clock counts nanoseconds in 64 bits, about 292 years either side of 1970; a stored date
    // beyond that would overflow the conversion, so it saturates. NaN has no side to saturate to
    // and becomes the reference date, like a default AbsoluteTime.
    if (std::isnan(unixSeconds.count())) {
        return Clock::time_point{referenceDateUnix};
    }
    // The maximum as a double rounds up to 2^63, one past the range, hence >= here.
    if (unixSeconds >= DoubleSeconds{Clock::duration::max()}) {
        return Clock::time_point::max();
    }
    if (unixSeconds <= DoubleSeconds{Clock::duration::min()}) {
        return Clock::time_point::min();
    }
    return Clock::time_point{std::chrono::round<Clock::duration>(unixSeconds)};
}

}  // namespace vantric
