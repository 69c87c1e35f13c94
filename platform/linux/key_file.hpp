#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantric {

// The key file format that .desktop files and icon themes' index.theme share: "[Group]" headers,
// "Key=Value" lines (blanks around '=' allowed) and "#" comments.

// Calls visit(group, key, value) for every key line, key and value trimmed of blanks. Lines before
// the first group header and lines that are neither a header nor a key line are skipped, so one
// odd line does not lose the rest of the file.
template <typename Visit>
void forEachKeyFileEntry(std::string_view text, Visit&& visit) {
    constexpr std::string_view blanks = " \t\r";
    const auto trim = [&](std::string_view part) {
        const std::size_t start = part.find_first_not_of(blanks);
        if (start == std::string_view::npos) {
            return std::string_view();
        }
        return part.substr(start, part.find_last_not_of(blanks) - start + 1);
    };
    std::string_view group;
    bool inGroup = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            group = line.substr(1, line.size() - 2);
            inGroup = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inGroup && equals != std::string_view::npos && equals > 0) {
            visit(group, trim(line.substr(0, equals)), trim(line.substr(equals + 1)));
        }
    }
}

// A string value with its escapes (\s \n \t \r \\) undone; an unknown escape is kept as written.
std::string unescapedKeyFileValue(std::string_view value);

// The items of a list value ("AudioVideo;Player;", "16x16/apps,32x32/apps"), each trimmed of
// blanks, empty items dropped.
std::vector<std::string_view> keyFileList(std::string_view value, char separator);

}  // namespace vantric
