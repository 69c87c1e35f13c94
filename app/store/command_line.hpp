#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vantric {

// What `vantric` was asked to do.
struct CommandLine {
    bool json = false;
    bool info = false;  // print the machine description once
    // With --count: stop after this many lines. Without: run until stopped.
    std::optional<std::uint64_t> count;
};

// The arguments after the program name -> the request, or nothing when an argument is unknown,
// repeated, --count lacks a positive whole number, or --info comes with another argument.
std::optional<CommandLine> parseCommandLine(std::span<const std::string_view> arguments);

inline constexpr std::string_view usageLine = "usage: vantric [--json [--count N] | --info]";

}  // namespace vantric
