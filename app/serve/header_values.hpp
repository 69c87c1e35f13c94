#pragma once

#include <string_view>

namespace vantric {

// Pieces of HTTP header values (Accept, Connection), which are lists of items with optional
// white space around them.

// The text without the spaces and tabs around it.
std::string_view trimmed(std::string_view text);

// Whether two ASCII texts are the same but for case, as header names and tokens compare.
bool sameLetters(std::string_view left, std::string_view right);

// The list's first item up to the separator, trimmed; the list keeps what follows it.
std::string_view nextItem(std::string_view& list, char separator);

}  // namespace vantric
