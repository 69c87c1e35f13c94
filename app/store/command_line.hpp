#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantric {

// What `vantric` was asked to do.
struct CommandLine {
    bool help = false;     // print the help and exit
    bool version = false;  // print the version and exit
    bool json = false;
    bool info = false;  // print the machine description once
    // With --count: stop after this many lines. Without: run until stopped.
    std::optional<std::uint64_t> count{};
    // --serve [ADDRESS:]PORT: serve the readings for Prometheus there (checked by the server,
    // which says what is wrong with an address in one line).
    std::optional<std::string> serve{};
    // --screenshot FILE: run the window headless, wait for `readings` readings, write the window
    // as PNG to FILE and exit. --page names the page shown (checked by the caller, which knows
    // the pages).
    std::optional<std::string> screenshot{};
    std::optional<std::string> page{};
    std::optional<std::uint64_t> readings{};
    // The window's URL arguments (vantric://memory), handed to the running window if there is one.
    std::vector<std::string> urls{};
};

// The request, or what is wrong with the arguments, naming the option or argument at fault.
struct ParsedCommandLine {
    std::optional<CommandLine> request{};
    std::string problem{};  // empty when there is a request

    explicit operator bool() const { return request.has_value(); }
    const CommandLine* operator->() const { return &*request; }
};

// The arguments after the program name -> the request. Refused: an argument that is unknown,
// repeated or lacks its value, a count that is not a whole number (--count: a positive one), an
// option with a mode it does not belong to, and URLs with a mode that has no window. --help or
// --version, wherever it comes, asks for that alone.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments);

}  // namespace vantric
