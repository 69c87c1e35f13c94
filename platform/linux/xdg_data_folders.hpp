#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantric {

// The variables that place the shared data folders (the XDG base directory rules).
struct XdgEnvironment {
    std::string home{};      // HOME
    std::string dataHome{};  // XDG_DATA_HOME; empty when unset
    std::string dataDirs{};  // XDG_DATA_DIRS, colon-separated; empty when unset
};

// One variable of this process's environment, "" when unset. Read while the process starts,
// before any thread that could change the environment.
std::string processEnvironmentValue(const char* name);

// The variables of this process.
XdgEnvironment processXdgEnvironment();

// The "share" folders that hold applications and icons, most important first: $XDG_DATA_HOME
// (default ~/.local/share), each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share), then the
// Flatpak exports of the user and of the system and Snap's desktop folder. Flatpak and Snap add
// their folders to XDG_DATA_DIRS only in sessions set up by their profile scripts, so a desktop
// started otherwise would miss their applications. A folder counts once, at its first place;
// relative paths in the variables are invalid and ignored. Every folder below is placed under root
// ("/" in production, a fixture tree in tests).

// The applications folder of each share folder, in the same order: the first that holds a desktop
// file id gives its entry.
std::vector<std::filesystem::path> applicationFolders(const std::filesystem::path& root,
                                                      const XdgEnvironment& environment);

// Where icon themes live, in search order: the icons folder of each share folder, then ~/.icons.
std::vector<std::filesystem::path> iconThemeFolders(const std::filesystem::path& root,
                                                    const XdgEnvironment& environment);

// The folder of unthemed icons searched when no theme has an icon.
std::filesystem::path pixmapFolder(const std::filesystem::path& root);

}  // namespace vantric
