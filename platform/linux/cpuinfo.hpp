#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantric {

// What the machine facts take from /proc/cpuinfo.
struct Cpuinfo {
    // The first non-empty "model name" (x86, 32-bit ARM, some others), trimmed and with each run of
    // blanks inside made one space: Intel pads the brand string ("Intel(R) Xeon(R) CPU E5-2670 0
    // @ 2.60GHz"). Absent when there is none, as on 64-bit ARM. Bytes as the processor gave them,
    // not yet checked as UTF-8.
    std::optional<std::string> modelName{};
    std::size_t processors = 0;  // "processor" entries, one per online logical processor

    bool operator==(const Cpuinfo&) const = default;
};

// Text of /proc/cpuinfo -> its fields. Lines are "key<tabs>: value"; a last line cut short is not
// read.
Cpuinfo parseCpuinfo(std::string_view text);

}  // namespace vantric
