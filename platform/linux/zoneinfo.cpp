#include "platform/linux/zoneinfo.hpp"

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

// More than 2^40 free pages (4 PiB of 4 KiB pages) is garbage; refusing it also keeps the sum,
// and its conversion to bytes, from wrapping.
constexpr std::uint64_t largestPageCount = std::uint64_t{1} << 40;

}  // namespace

std::optional<std::uint64_t> parsePerCpuFreePages(std::string_view text) {
    std::uint64_t pages = 0;
    bool readable = true;
    const bool whole = forEachCompleteLine(text, [&](std::string_view line) {
        std::string_view rest = line;
        if (nextToken(rest) != "count:") {
            return true;
        }
        const auto count = parseUnsigned(nextToken(rest));
        readable = count && *count <= largestPageCount && nextToken(rest).empty();
        if (readable) {
            pages += *count;
            readable = pages <= largestPageCount;
        }
        return readable;
    });
    if (!whole || !readable) {
        return std::nullopt;
    }
    return pages;
}

}  // namespace vantric
