#pragma once

#include <cstdint>
#include <limits>

namespace vantric {

// a + b, or the largest count where that would wrap: byte counts read from elsewhere can be
// anything, and a sum that wrapped would turn a full machine into an empty one.
constexpr std::uint64_t saturatingSum(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

}  // namespace vantric
