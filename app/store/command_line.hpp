#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vantric {

// What `vantric` was asked to do.
struct CommandLine {
    bool json = false;
    // With --count: stop after this many lines. Without: run until stopped.
    std::optional<std::uint64_t> count;
};

// The arguments after the program name -> the request, or nothing when an argument is unknown,
// repeated, or --count lacks a positive whole number.
std::optional<CommandLine> parseCommandLine(std::span<const std::string_view> arguments);

inline constexpr std::string_view usageLine = "usage: vantric [--json [--count N]]";

}  // namespace vantric
