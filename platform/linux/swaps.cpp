#include "platform/linux/swaps.hpp"

#include "platform/linux/text_fields.hpp"

namespace vantric {

std::optional<std::uint64_t> parseSwapsUsedKilobytes(std::string_view text) {
    // "Filename Type Size Used Priority", then one line per area. The kernel escapes blanks in
    // the file name, so the columns split on blanks.
    const std::size_t headerEnd = text.find('\n');
    if (!text.starts_with("Filename") || headerEnd == std::string_view::npos) {
        return std::nullopt;
    }
    text.remove_prefix(headerEnd + 1);
    std::uint64_t used = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        for (int column = 0; column < 3; ++column) {
            nextToken(line);
        }
        const auto areaUsed = parseUnsigned(nextToken(line));
        if (!areaUsed || *areaUsed > largestKilobytes) {
            return std::nullopt;
        }
        used += *areaUsed;
        if (used > largestKilobytes) {
            return std::nullopt;
        }
    }
    return used;
}

}  // namespace vantric
