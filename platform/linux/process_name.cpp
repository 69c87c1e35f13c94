#include "platform/linux/process_name.hpp"

namespace vantric {

std::string_view firstArgument(std::string_view commandLine) {
    return commandLine.substr(0, commandLine.find('\0'));
}

std::optional<std::string> uncutName(std::string_view comm, std::string_view path) {
    if (comm.size() != longestComm) {
        return std::nullopt;
    }
    const std::size_t slash = path.rfind('/');
    const std::string_view fileName =
        slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (fileName.size() <= comm.size() || !fileName.starts_with(comm)) {
        return std::nullopt;
    }
    return std::string(fileName);
}

}  // namespace vantric
