#include "app/serve/header_values.hpp"

namespace vantric {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool sameLetters(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    const auto lower = [](char letter) {
        return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
    };
    for (std::size_t index = 0; index < left.size(); ++index) {
        if (lower(left[index]) != lower(right[index])) {
            return false;
        }
    }
    return true;
}

std::string_view nextItem(std::string_view& list, char separator) {
    const auto end = list.find(separator);
    const std::string_view item = trimmed(list.substr(0, end));
    list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
    return item;
}

}  // namespace vantric
