#include "app/store/command_line.hpp"

#include <charconv>

namespace vantric {

namespace {

std::optional<std::uint64_t> wholeNumber(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

// Takes the value after an option into slot; false when it is missing, repeated or unreadable.
template <typename T, typename Read>
bool takeValue(std::span<const std::string_view> arguments, std::size_t& index,
               std::optional<T>& slot, Read read) {
    if (slot || index + 1 >= arguments.size()) {
        return false;
    }
    slot = read(arguments[++index]);
    return slot.has_value();
}

}  // namespace

std::optional<CommandLine> parseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine request;
    bool sawJson = false;
    const auto text = [](std::string_view value) -> std::optional<std::string> {
        return value.empty() ? std::nullopt : std::optional<std::string>(value);
    };
    const auto positive = [](std::string_view value) {
        const auto number = wholeNumber(value);
        return number && *number > 0 ? number : std::nullopt;
    };
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        bool understood = true;
        if (argument == "--json" && !sawJson) {
            sawJson = true;
            request.json = true;
        } else if (argument == "--info" && !request.info) {
            request.info = true;
        } else if (argument == "--count") {
            understood = takeValue(arguments, index, request.count, positive);
        } else if (argument == "--screenshot") {
            understood = takeValue(arguments, index, request.screenshot, text);
        } else if (argument == "--page") {
            understood = takeValue(arguments, index, request.page, text);
        } else if (argument == "--readings") {
            understood = takeValue(arguments, index, request.readings, wholeNumber);
        } else if (!argument.empty() && !argument.starts_with("-")) {
            request.urls.emplace_back(argument);
        } else {
            understood = false;
        }
        if (!understood) {
            return std::nullopt;
        }
    }
    const int modes = int{request.json} + int{request.info} + int{request.screenshot.has_value()};
    const bool screenshotOptionsAlone = (request.page || request.readings) && !request.screenshot;
    // A count only means something for JSON lines, and only the window takes URLs.
    if (modes > 1 || (request.count && !request.json) || screenshotOptionsAlone ||
        (modes > 0 && !request.urls.empty())) {
        return std::nullopt;
    }
    return request;
}

}  // namespace vantric
