#include "platform/linux/os_release.hpp"

namespace vantric {

namespace {

constexpr std::string_view blanks = " \t\r";

std::string_view trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t end = text.find_last_not_of(blanks);
    return text.substr(start, end - start + 1);
}

// Appends the double-quoted part that starts after the opening quote at value[index]; index ends
// after the closing quote. False when the quote is never closed.
bool appendDoubleQuoted(std::string_view value, std::size_t& index, std::string& out) {
    while (index < value.size()) {
        const char character = value[index++];
        if (character == '"') {
            return true;
        }
        if (character == '\\' && index < value.size() &&
            std::string_view("\"\\$`").find(value[index]) != std::string_view::npos) {
            out += value[index++];
        } else {
            out += character;
        }
    }
    return false;
}

std::optional<std::string> unquoted(std::string_view value) {
    std::string out;
    std::size_t index = 0;
    while (index < value.size()) {
        const char character = value[index++];
        if (character == '"') {
            if (!appendDoubleQuoted(value, index, out)) {
                return std::nullopt;
            }
        } else if (character == '\'') {
            const std::size_t close = value.find('\'', index);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            out += value.substr(index, close - index);
            index = close + 1;
        } else if (character == '\\') {
            if (index == value.size()) {
                return std::nullopt;
            }
            out += value[index++];
        } else if (blanks.find(character) != std::string_view::npos) {
            return std::nullopt;
        } else {
            out += character;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> osReleaseValue(std::string_view text, std::string_view key) {
    std::optional<std::string> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with(key) && line.substr(key.size()).starts_with('=')) {
            found = unquoted(line.substr(key.size() + 1));
        }
    }
    return found;
}

}  // namespace vantric
