#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/linux/proc_file.hpp"

namespace vantric {

// The whole text of a small file read once (a /proc or /sys file, os-release); nothing when it
// cannot be read.
inline std::optional<std::string> readFileText(const std::filesystem::path& path) {
    ProcFile file(path);
    const auto text = file.read();
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

}  // namespace vantric
