#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vantric {

// Small pieces shared by the parsers of /proc and /sys text.

// The largest count of kB that a line of /proc may hold. 2^50 kB is 1 EiB, far beyond the memory
// and swap any machine has, so a larger count is garbage. Refusing it keeps a sum of a few such
// counts from wrapping once it is counted in bytes (times 1024), as the readers of the counts do.
inline constexpr std::uint64_t largestKilobytes = std::uint64_t{1} << 50;

// The largest count of clock ticks that a line of /proc may hold. 2^58 ticks are 90 million years
// at the kernel's 100 a second: more is garbage. Refusing it keeps the sums of processor times,
// and their conversion to other units, from wrapping.
inline constexpr std::uint64_t largestTicks = std::uint64_t{1} << 58;

// The next run of non-blank characters, consumed from rest; empty at the end.
inline std::string_view nextToken(std::string_view& rest) {
    const std::size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const std::size_t end = rest.find_first_of(" \t");
    const std::string_view token = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    return token;
}

// A whole token of decimal digits; nothing for anything else (signs, fractions, overflow).
inline std::optional<std::uint64_t> parseUnsigned(std::string_view token) {
    std::uint64_t value = 0;
    const char* end = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), end, value);
    if (token.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

// A whole token of a decimal fraction ("12.34"), independent of the C locale. from_chars would
// also read "inf" and "nan", which are no fraction.
inline std::optional<double> parseDecimal(std::string_view token) {
    if (token.find_first_not_of("-.0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    double value = 0;
    const char* end = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), end, value, std::chars_format::fixed);
    if (token.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

// The text of a sysfs attribute holding one unsigned number and a newline.
inline std::optional<std::uint64_t> parseAttributeNumber(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    return parseUnsigned(text);
}

// The value of name in text made of "NAME=value" entries, each ended by separator (a newline in
// a uevent file, a zero byte in /proc/PID/environ); nothing when no entry names it.
inline std::optional<std::string_view> assignedValue(std::string_view text, std::string_view name,
                                                     char separator) {
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        const std::string_view entry = text.substr(0, end);
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=') {
            return entry.substr(name.size() + 1);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return std::nullopt;
}

// Calls visit(line) for every line that ends with a newline, until visit returns false. A last
// line without its newline is a file cut short and is not visited. Returns whether every line of
// the text was visited (the text was complete and visit never stopped early).
template <typename Visit>
bool forEachCompleteLine(std::string_view text, Visit&& visit) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return false;
        }
        if (!visit(text.substr(0, end))) {
            return false;
        }
        text.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace vantric
