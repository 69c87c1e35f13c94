#include "app/store/command_line.hpp"

#include <charconv>

namespace vantric {

namespace {

std::optional<std::uint64_t> positiveCount(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value == 0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<CommandLine> parseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine request;
    bool sawJson = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        if (argument == "--json" && !sawJson) {
            sawJson = true;
            request.json = true;
        } else if (argument == "--info" && !request.info) {
            request.info = true;
        } else if (argument == "--count" && !request.count && index + 1 < arguments.size()) {
            request.count = positiveCount(arguments[++index]);
            if (!request.count) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    // A count only means something for JSON lines, and the description is printed alone.
    if ((request.count && !request.json) || (request.info && request.json)) {
        return std::nullopt;
    }
    return request;
}

}  // namespace vantric
