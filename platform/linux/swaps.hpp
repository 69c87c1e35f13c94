#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantric {

// Text of /proc/swaps -> the kB of swap in use over all its areas (the Used column): 0 when the
// machine has no swap area, or none holds a page. Absent when the text does not start with the
// kernel's header line or an area's line cannot be read, so that an unknown amount is never
// taken for none.
std::optional<std::uint64_t> parseSwapsUsedKilobytes(std::string_view text);

}  // namespace vantric
