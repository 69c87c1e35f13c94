#include "platform/linux/program_names.hpp"

#include <algorithm>
#include <array>

namespace vantric {

namespace {

constexpr std::array<std::string_view, 20> interpreters{
    "python", "perl", "node",     "nodejs",        "java", "sh",      "bash",
    "dash",   "zsh",  "ruby",     "gjs",           "lua",  "php",     "mono",
    "tclsh",  "wish", "electron", "flatpak-spawn", "pypy", "qmlscene"};

constexpr std::array<std::string_view, 12> launchers{"env",      "sh",         "bash", "dash",
                                                     "xdg-open", "gtk-launch", "gio",  "kioclient5",
                                                     "exo-open", "flatpak",    "snap", "kstart5"};

// Options after which the interpreter runs code given on the command line, not a file.
constexpr std::array<std::string_view, 3> codeOptions{"-c", "-e", "-m"};

// The name without a version after it: "python3.11" and "electron25" -> "python", "electron".
std::string_view withoutVersion(std::string_view name) {
    const std::size_t end = name.find_last_not_of("0123456789.");
    return end == std::string_view::npos ? name : name.substr(0, end + 1);
}

template <std::size_t size>
bool contains(const std::array<std::string_view, size>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isInterpreterName(std::string_view fileName) {
    return contains(interpreters, withoutVersion(fileName));
}

bool isGenericLauncherName(std::string_view fileName) {
    return contains(launchers, fileName);
}

std::optional<std::string_view> scriptArgument(std::string_view commandLine) {
    std::size_t start = commandLine.find('\0');
    while (start != std::string_view::npos && start + 1 < commandLine.size()) {
        const std::size_t end = commandLine.find('\0', start + 1);
        const std::string_view argument = commandLine.substr(
            start + 1, end == std::string_view::npos ? std::string_view::npos : end - start - 1);
        if (contains(codeOptions, argument)) {
            return std::nullopt;
        }
        if (!argument.empty() && !argument.starts_with('-')) {
            return argument;
        }
        start = end;
    }
    return std::nullopt;
}

}  // namespace vantric
