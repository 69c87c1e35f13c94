#include "app/store/command_line.hpp"

#include <charconv>
#include <utility>

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

ParsedCommandLine refused(std::string problem) {
    return ParsedCommandLine{.request = std::nullopt, .problem = std::move(problem)};
}

// Takes the value after option into slot; the problem when it is missing, repeated or does not
// read as what the option takes.
template <typename T, typename Read>
std::optional<std::string> takeValue(std::span<const std::string_view> arguments,
                                     std::size_t& index, std::optional<T>& slot, Read read,
                                     std::string_view expected) {
    const std::string option(arguments[index]);
    if (slot) {
        return option + " is given twice";
    }
    if (index + 1 >= arguments.size()) {
        return option + " needs " + std::string(expected);
    }
    const std::string_view value = arguments[++index];
    slot = read(value);
    if (!slot) {
        return option + " needs " + std::string(expected) + ", not \"" + std::string(value) + "\"";
    }
    return std::nullopt;
}

}  // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine request;
    const auto text = [](std::string_view value) -> std::optional<std::string> {
        return value.empty() ? std::nullopt : std::optional<std::string>(value);
    };
    const auto positive = [](std::string_view value) {
        const auto number = wholeNumber(value);
        return number && *number > 0 ? number : std::nullopt;
    };
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        std::optional<std::string> problem;
        if (argument == "--help" || argument == "--version") {
            return ParsedCommandLine{.request = CommandLine{.help = argument == "--help",
                                                            .version = argument != "--help"},
                                     .problem = {}};
        }
        if (argument == "--json" || argument == "--info") {
            bool& flag = argument == "--json" ? request.json : request.info;
            if (flag) {
                problem = std::string(argument) + " is given twice";
            }
            flag = true;
        } else if (argument == "--count") {
            problem =
                takeValue(arguments, index, request.count, positive, "a positive whole number");
        } else if (argument == "--serve") {
            problem = takeValue(arguments, index, request.serve, text, "[ADDRESS:]PORT");
        } else if (argument == "--screenshot") {
            problem = takeValue(arguments, index, request.screenshot, text, "a file name");
        } else if (argument == "--page") {
            problem = takeValue(arguments, index, request.page, text, "a page");
        } else if (argument == "--readings") {
            problem = takeValue(arguments, index, request.readings, wholeNumber, "a whole number");
        } else if (!argument.empty() && !argument.starts_with("-")) {
            request.urls.emplace_back(argument);
        } else {
            problem = "unknown option \"" + std::string(argument) + "\"";
        }
        if (problem) {
            return refused(std::move(*problem));
        }
    }
    const int modes = (request.json ? 1 : 0) + (request.info ? 1 : 0) +
                      (request.screenshot ? 1 : 0) + (request.serve ? 1 : 0);
    if (modes > 1) {
        return refused("--json, --info, --serve and --screenshot go one at a time");
    }
    // A count only means something for JSON lines, and only the window takes URLs.
    if (request.count && !request.json) {
        return refused("--count goes only with --json");
    }
    if ((request.page || request.readings) && !request.screenshot) {
        return refused(std::string(request.page ? "--page" : "--readings") +
                       " goes only with --screenshot");
    }
    if (modes > 0 && !request.urls.empty()) {
        return refused("\"" + request.urls.front() + "\": only the window opens URLs");
    }
    return ParsedCommandLine{.request = std::move(request), .problem = {}};
}

}  // namespace vantric
