#include "platform/linux/xdg_data_folders.hpp"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "platform/linux/key_file.hpp"

namespace vantric {

namespace {

// Absolute folders, each once, in the order first given.
class FolderList {
public:
    void add(const std::filesystem::path& folder) {
        if (!folder.is_absolute()) {
            return;
        }
        std::filesystem::path normal = folder.lexically_normal();
        if (!normal.has_filename()) {
            normal = normal.parent_path();
        }
        if (std::find(folders_.begin(), folders_.end(), normal) == folders_.end()) {
            folders_.push_back(std::move(normal));
        }
    }
    std::vector<std::filesystem::path> under(const std::filesystem::path& root,
                                             std::string_view subfolder) const {
        std::vector<std::filesystem::path> placed;
        placed.reserve(folders_.size());
        for (const auto& folder : folders_) {
            placed.push_back(root / folder.relative_path() / subfolder);
        }
        return placed;
    }

private:
    std::vector<std::filesystem::path> folders_;
};

FolderList shareFolders(const XdgEnvironment& environment) {
    const std::filesystem::path home(environment.home);
    const bool homeKnown = home.is_absolute();
    FolderList folders;
    const std::filesystem::path dataHome(environment.dataHome);
    if (dataHome.is_absolute()) {
        folders.add(dataHome);
    } else if (homeKnown) {
        folders.add(home / ".local/share");
    }
    bool anyDataDir = false;
    for (const std::string_view dir : keyFileList(environment.dataDirs, ':')) {
        const std::filesystem::path folder(dir);
        anyDataDir = anyDataDir || folder.is_absolute();
        folders.add(folder);
    }
    if (!anyDataDir) {
        folders.add("/usr/local/share");
        folders.add("/usr/share");
    }
    if (homeKnown) {
        folders.add(home / ".local/share/flatpak/exports/share");
    }
    folders.add("/var/lib/flatpak/exports/share");
    folders.add("/var/lib/snapd/desktop");
    return folders;
}

}  // namespace

std::string processEnvironmentValue(const char* name) {
    // Nothing here sets variables, and the desktop's folders are read before the sampler starts.
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
    return value ? value : "";
}

XdgEnvironment processXdgEnvironment() {
    return {.home = processEnvironmentValue("HOME"),
            .dataHome = processEnvironmentValue("XDG_DATA_HOME"),
            .dataDirs = processEnvironmentValue("XDG_DATA_DIRS")};
}

std::vector<std::filesystem::path> applicationFolders(const std::filesystem::path& root,
                                                      const XdgEnvironment& environment) {
    return shareFolders(environment).under(root, "applications");
}

std::vector<std::filesystem::path> iconThemeFolders(const std::filesystem::path& root,
                                                    const XdgEnvironment& environment) {
    std::vector<std::filesystem::path> folders = shareFolders(environment).under(root, "icons");
    const std::filesystem::path home(environment.home);
    if (home.is_absolute()) {
        folders.push_back(root / home.relative_path() / ".icons");
    }
    return folders;
}

std::filesystem::path pixmapFolder(const std::filesystem::path& root) {
    return root / "usr/share/pixmaps";
}

}  // namespace vantric
