#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>

namespace vantric {

// What the fuzz programs share: the input as text, and invariants that abort, which libFuzzer
// reports as a crash and keeps the input of.

inline std::string_view fuzzText(const std::uint8_t* data, std::size_t size) {
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): libFuzzer hands bytes
    return {reinterpret_cast<const char*>(data), size};
}

inline void fuzzCheck(bool holds, const char* invariant) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", invariant);  // NOLINT(cert-err33-c)
        std::abort();
    }
}

// Whether part is a view into whole, as the parsers that return views promise. An empty part may
// be a view of nothing at all.
inline bool isViewInto(std::string_view part, std::string_view whole) {
    const std::less_equal<const char*> notAfter;
    return part.empty() || (notAfter(whole.data(), part.data()) &&
                            notAfter(part.data() + part.size(), whole.data() + whole.size()));
}

}  // namespace vantric
