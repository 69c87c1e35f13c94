#include "platform/linux/cpu_list.hpp"

#include <algorithm>
#include <iterator>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

constexpr std::uint64_t largestProcessor = 65535;

std::optional<std::uint32_t> processorNumber(std::string_view token) {
    const auto number = parseUnsigned(token);
    if (!number || *number > largestProcessor) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*number);
}

}  // namespace

std::optional<CpuSet> parseCpuList(std::string_view text) {
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    CpuSet processors;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view range = text.substr(0, comma);
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
        // A comma that ends the list leaves an empty range behind it, which is not a list.
        if (range.empty() || (comma != std::string_view::npos && text.empty())) {
            return std::nullopt;
        }
        const std::size_t dash = range.find('-');
        const auto first = processorNumber(range.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : processorNumber(range.substr(dash + 1));
        // The kernel writes the ranges ascending and apart; anything else is not its list.
        if (!first || !last || *last < *first ||
            (!processors.empty() && *first <= processors.back())) {
            return std::nullopt;
        }
        for (std::uint32_t processor = *first; processor <= *last; ++processor) {
            processors.push_back(processor);
        }
    }
    return processors;
}

std::size_t countCommon(const CpuSet& first, const CpuSet& second) {
    CpuSet common;
    std::set_intersection(first.begin(), first.end(), second.begin(), second.end(),
                          std::back_inserter(common));
    return common.size();
}

}  // namespace vantric
