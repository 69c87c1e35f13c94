#include "platform/linux/memory_mapping.hpp"

#include <algorithm>

namespace vantric {

namespace {

std::uint64_t minus(std::uint64_t a, std::uint64_t b) {
    return a > b ? a - b : 0;
}

}  // namespace

std::optional<VMPageCounts> vmPageCountsFromMeminfo(const Meminfo& info,
                                                    std::uint64_t compressedBytes,
                                                    std::uint64_t perCpuFreeBytes) {
    if (!info.memTotal || !info.memFree || !info.buffers || !info.cached || !info.anonPages ||
        !info.shmem) {
        return std::nullopt;
    }
    const std::uint64_t allocated = minus(*info.memTotal, *info.memFree + perCpuFreeBytes / 1024);
    const std::uint64_t reclaimableKernel =
        info.kReclaimable.value_or(info.sReclaimable.value_or(0));
    const std::uint64_t cache =
        *info.buffers + minus(*info.cached, *info.shmem) + reclaimableKernel;

    // meminfo's lines are read one after another, not at one instant. Where they disagree by more
    // than what is allocated, app and compressed are held to it, so that memory in use never
    // exceeds the allocated (hence the total) memory.
    const std::uint64_t app = std::min(*info.anonPages + *info.shmem, allocated);
    const std::uint64_t compressed =
        std::min(info.zswap.value_or(0) + compressedBytes / 1024, allocated - app);
    const std::uint64_t wired = minus(allocated, app + compressed + cache);

    return VMPageCounts{
        .pageSize = 1024,
        .wired = wired,
        .purgeable = 0,
        .compressor = compressed,
        .external = cache,
        .internal = app,
    };
}

std::optional<SwapUsage> swapUsageFromMeminfo(const Meminfo& info) {
    if (!info.swapTotal || !info.swapFree) {
        return std::nullopt;
    }
    return SwapUsage{
        .total = *info.swapTotal * 1024,
        .used = minus(*info.swapTotal, *info.swapFree) * 1024,
    };
}

}  // namespace vantric
