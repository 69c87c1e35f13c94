#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantric {

// The lines of /proc/meminfo that the memory reading uses, in kB (1024 bytes) as the kernel
// writes them. A line that is missing, that does not read "Name: <digits> kB", or whose number
// is beyond 2^50 kB (1 EiB: garbage), is absent.
struct Meminfo {
    std::optional<std::uint64_t> memTotal{};
    std::optional<std::uint64_t> memFree{};
    std::optional<std::uint64_t> memAvailable{};  // since 3.14
    std::optional<std::uint64_t> buffers{};
    std::optional<std::uint64_t> cached{};  // page cache, shmem included, swap cache excluded
    std::optional<std::uint64_t> anonPages{};
    std::optional<std::uint64_t> shmem{};
    std::optional<std::uint64_t> kReclaimable{};  // since 4.20: reclaimable slab and more
    std::optional<std::uint64_t> sReclaimable{};
    std::optional<std::uint64_t> swapTotal{};
    std::optional<std::uint64_t> swapFree{};
    std::optional<std::uint64_t> zswap{};  // since 5.19: RAM held by the zswap pool

    bool operator==(const Meminfo&) const = default;
};

// Text of /proc/meminfo -> its fields. A last line cut short is not read.
Meminfo parseMeminfo(std::string_view text);

}  // namespace vantric
