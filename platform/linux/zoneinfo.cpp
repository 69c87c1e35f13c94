#include "platform/linux/zoneinfo.hpp"

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

// More than 2^40 free pages (4 PiB of 4 KiB pages) is garbage; refusing it also keeps the sum,
// and its conversion to bytes, from wrapping.
constexpr std::uint64_t largestPageCount = std::uint64_t{1} << 40;

}  // namespace

std::optional<std::uint64_t> parsePerCpuFreePages(std::string_view text) {
    // A text that ends inside a line was cut short.
    if (!text.empty() && text.back() != '\n') {
        return std::nullopt;
    }
    // Only the count lines matter among the file's hundreds: search for them rather than
    // tokenising every line, which took as long as reading the file.
    constexpr std::string_view key = "count:";
    std::uint64_t pages = 0;
    for (std::size_t at = text.find(key); at != std::string_view::npos;
         at = text.find(key, at + key.size())) {
        const std::size_t lineStart = text.rfind('\n', at) + 1;  // 0 on the first line
        if (text.find_first_not_of(" \t", lineStart) != at) {
            continue;  // part of another word ("high_count:"), not the line's key
        }
        std::string_view rest = text.substr(at + key.size());
        rest = rest.substr(0, rest.find('\n'));
        const auto count = parseUnsigned(nextToken(rest));
        if (!count || *count > largestPageCount || !nextToken(rest).empty()) {
            return std::nullopt;
        }
        pages += *count;
        if (pages > largestPageCount) {
            return std::nullopt;
        }
    }
    return pages;
}

}  // namespace vantric
