#pragma once

#include <cstdint>
#include <optional>

#include "platform/host.hpp"
#include "platform/linux/meminfo.hpp"

namespace vantric {

// The VM page counts that, through the sampler's unchanged arithmetic, give Linux's own picture
// of memory. The mapping and the reason for each line are tabled in linux_host.hpp.
// The counts are in pages of 1 KiB, meminfo's own unit, so that nothing is rounded on the way.
// compressedBytes is the RAM held by zram devices (their mm_stat); zswap comes from meminfo.
// perCpuFreeBytes are the free pages on the per-CPU lists (zoneinfo), which MemFree leaves out.
// Absent when a line the mapping needs is missing, so the reading falls back to zeros.
std::optional<VMPageCounts> vmPageCountsFromMeminfo(const Meminfo& info,
                                                    std::uint64_t compressedBytes,
                                                    std::uint64_t perCpuFreeBytes);

// SwapTotal and SwapTotal - SwapFree, in bytes; absent when either line is missing.
std::optional<SwapUsage> swapUsageFromMeminfo(const Meminfo& info);

}  // namespace vantric
