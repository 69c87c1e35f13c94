#include "platform/linux/device_directory.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/linux/text_fields.hpp"

namespace vantric {

std::vector<std::filesystem::path> numberedEntries(const std::filesystem::path& directory,
                                                   std::string_view prefix) {
    std::vector<std::pair<std::uint64_t, std::filesystem::path>> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!std::string_view(name).starts_with(prefix)) {
            continue;
        }
        if (const auto number = parseUnsigned(std::string_view(name).substr(prefix.size()))) {
            found.emplace_back(*number, entry->path());
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::filesystem::path> paths;
    paths.reserve(found.size());
    for (auto& [number, path] : found) {
        paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace vantric
