#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/linux/meminfo.hpp"

namespace vantric {

// Memory stall shares of the last ten seconds, in percent, from /proc/pressure/memory (PSI):
// "some" is time in which at least one task waited for memory, "full" time in which every
// runnable task did.
struct PressureStall {
    double someAvg10 = 0;
    double fullAvg10 = 0;

    bool operator==(const PressureStall&) const = default;
};

// Absent when the "some" line is missing or unreadable, a "full" line is unreadable, or the text
// ends inside a line (a file cut short). A missing "full" line reads 0.
std::optional<PressureStall> parsePressure(std::string_view text);

// The kernel's raw pressure levels as the sampler knows them.
inline constexpr std::int32_t pressureNormal = 1;
inline constexpr std::int32_t pressureWarning = 2;
inline constexpr std::int32_t pressureCritical = 4;

// Stalls -> raw level:
//   critical (4) when full avg10 >= 10: for a tenth of the time nothing could run for want of
//                memory; the machine is thrashing (systemd-oomd's default kill line is 60).
//   warning  (2) when some avg10 >= 10: a task loses a tenth of its time to reclaim, refaults
//                or swap-in; the user starts to feel it.
//   normal   (1) otherwise. Short bursts at start-up or during a file copy stay below both.
std::int32_t pressureLevelFromStall(const PressureStall& stall);

// The share of memory that is still available -> raw level. It sees what stalls cannot yet: a
// machine without swap whose memory is nearly all taken stalls only at the very end, when the
// kernel is already out of memory. It also stands alone where PSI is absent (kernels before 4.20,
// or booted with psi=0) or unreadable.
//   critical (4) below 5 % of MemTotal available: the next large allocation meets the OOM killer
//                or heavy swapping (earlyoom's default kill line is 10 % with swap also short);
//   warning  (2) below 15 %: the page cache is nearly gone, files are read again from disk;
//   normal   (1) otherwise.
// Absent when MemAvailable or MemTotal is missing, or MemTotal is 0.
std::optional<std::int32_t> pressureLevelFromAvailable(const Meminfo& info);

}  // namespace vantric
