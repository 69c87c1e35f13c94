#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/linux/xdg_data_folders.hpp"

namespace vantric {

// One folder of icons inside a theme, as its index.theme describes it.
struct IconThemeDirectory {
    std::string path{};  // below the theme's folder: "48x48/apps"
    int size = 0;        // nominal size in pixels
    int scale = 1;       // the icons have size * scale pixels
    bool scalable = false;
};

// What an icon theme's index.theme says: the themes it inherits from, in order, and its folders
// in the order its Directories (then ScaledDirectories) list them. A folder without a valid Size
// is left out.
struct IconThemeIndex {
    std::vector<std::string> inherits{};
    std::vector<IconThemeDirectory> directories{};
};

IconThemeIndex parseIconThemeIndex(std::string_view text);

// Finds the file of an application's icon in the icon themes (the freedesktop icon theme rules,
// reduced to what an application icon needs). The themes searched are the given one, the chain of
// themes it inherits from, then hicolor; the first theme that has the icon gives it, and within it
// a scalable SVG is preferred, else the PNG with the fewest pixels that still fills the size the
// lists draw at, else the largest PNG. /usr/share/pixmaps comes last.
// Answers are kept per icon name until forget(). Not thread-safe.
class IconTheme {
public:
    IconTheme(std::filesystem::path root, const XdgEnvironment& environment, std::string themeName);

    // The file of an icon named as a desktop entry's Icon key names it: a theme name, or an
    // absolute path (placed under root) that is taken when it is a file. Nothing when none is
    // found.
    std::optional<std::filesystem::path> find(std::string_view icon);

    // Drops what was learned of the themes and icons, so that the next find looks again.
    void forget();

private:
    struct Theme {
        std::vector<std::filesystem::path> folders{};  // the theme's folder in each search folder
        IconThemeIndex index{};
    };

    std::optional<std::filesystem::path> search(std::string_view name);
    std::optional<std::filesystem::path> searchTheme(const Theme& theme, std::string_view name);
    const std::vector<Theme>& themeChain();
    Theme loadTheme(std::string_view name) const;

    std::filesystem::path root_;
    std::vector<std::filesystem::path> themeFolders_;
    std::filesystem::path pixmapFolder_;
    std::string themeName_;
    std::optional<std::vector<Theme>> chain_;
    std::unordered_map<std::string, std::optional<std::filesystem::path>> found_;
};

}  // namespace vantric
