#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vantric {

// Processor numbers, ascending, each once.
using CpuSet = std::vector<std::uint32_t>;

// A CPU list as sysfs writes them ("0-3,5,8-11\n"; just "\n" for none) -> the processors in it.
// Nothing for any other text (ranges out of order or overlapping included), and for numbers
// beyond 65535: the kernel allows at most 8192 processors, and a larger number is garbage that
// would only cost memory.
std::optional<CpuSet> parseCpuList(std::string_view text);

// The processors that are in both sets.
std::size_t countCommon(const CpuSet& first, const CpuSet& second);

}  // namespace vantric
