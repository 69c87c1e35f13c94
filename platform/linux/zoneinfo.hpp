#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantric {

// Text of /proc/zoneinfo -> the free pages that wait on the per-CPU lists of every zone: the sum
// of the "count:" lines under each zone's "pagesets". The allocator keeps a batch of free pages
// per processor so that most allocations take no lock; MemFree leaves them out, and they swing by
// hundreds of MB when a process frees memory (the freed pages land on the freeing processor's
// list first). Absent when a count cannot be read or the text ends inside a line.
std::optional<std::uint64_t> parsePerCpuFreePages(std::string_view text);

}  // namespace vantric
