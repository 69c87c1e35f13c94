#include "platform/linux/key_file.hpp"

namespace vantric {

std::string unescapedKeyFileValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t index = 0; index < value.size(); ++index) {
        if (value[index] != '\\' || index + 1 == value.size()) {
            out += value[index];
            continue;
        }
        switch (const char next = value[++index]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += '\\'; out += next;
        }
    }
    return out;
}

std::vector<std::string_view> keyFileList(std::string_view value, char separator) {
    std::vector<std::string_view> items;
    while (!value.empty()) {
        const std::size_t end = value.find(separator);
        std::string_view item = value.substr(0, end);
        value.remove_prefix(end == std::string_view::npos ? value.size() : end + 1);
        const std::size_t start = item.find_first_not_of(" \t");
        if (start != std::string_view::npos) {
            item = item.substr(start, item.find_last_not_of(" \t") - start + 1);
            items.push_back(item);
        }
    }
    return items;
}

}  // namespace vantric
