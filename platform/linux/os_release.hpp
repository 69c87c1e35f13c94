#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantric {

// The value assigned to key in os-release text (os-release(5)): lines of KEY=value, blank lines
// and # comments between them. The format is a subset of shell assignments, read as the shell
// would: a value in double quotes has its backslash escapes of " \ $ and ` undone, one in single
// quotes is taken as it stands, an unquoted one may escape any character, and the last assignment
// of a key counts. Nothing when key is not assigned, or when its last assignment is not a
// well-formed one (an unclosed quote, a blank outside quotes). The value's bytes are not checked
// as UTF-8.
std::optional<std::string> osReleaseValue(std::string_view text, std::string_view key);

}  // namespace vantric
