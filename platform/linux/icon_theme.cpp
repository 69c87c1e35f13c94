#include "platform/linux/icon_theme.hpp"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/linux/file_text.hpp"
#include "platform/linux/key_file.hpp"
#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

// Application icons are drawn at up to 22 points on screens of scale 2; a PNG with fewer pixels
// than this would be scaled up and blur.
constexpr int wantedPixels = 44;

bool isFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::optional<int> positive(std::string_view value) {
    const auto number = parseUnsigned(value);
    if (!number || *number == 0 || *number > 4096) {
        return std::nullopt;
    }
    return static_cast<int>(*number);
}

// A theme without index.theme (an exported hicolor of Flatpak apps, for one) still has the
// conventional layout: <size>x<size>/apps and scalable/apps.
std::vector<IconThemeDirectory> conventionalDirectories(
    const std::vector<std::filesystem::path>& folders) {
    std::vector<IconThemeDirectory> directories;
    const auto add = [&](IconThemeDirectory directory) {
        const bool known = std::any_of(directories.begin(), directories.end(),
                                       [&](const auto& d) { return d.path == directory.path; });
        if (!known) {
            directories.push_back(std::move(directory));
        }
    };
    for (const auto& folder : folders) {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            const std::size_t cross = name.find('x');
            const auto size = positive(std::string_view(name).substr(0, cross));
            if (name == "scalable") {
                add({.path = "scalable/apps", .size = wantedPixels, .scalable = true});
            } else if (cross != std::string::npos && size &&
                       name.substr(cross + 1) == name.substr(0, cross)) {
                add({.path = name + "/apps", .size = *size});
            }
        }
    }
    std::sort(directories.begin(), directories.end(),
              [](const auto& a, const auto& b) { return a.path < b.path; });
    return directories;
}

// "foo.png" is a common mistake for the icon name "foo".
std::string_view withoutImageSuffix(std::string_view icon) {
    for (const std::string_view suffix : {".png", ".svg", ".xpm"}) {
        if (icon.size() > suffix.size() && icon.ends_with(suffix)) {
            return icon.substr(0, icon.size() - suffix.size());
        }
    }
    return icon;
}

}  // namespace

IconThemeIndex parseIconThemeIndex(std::string_view text) {
    struct Details {
        std::optional<int> size{};
        int scale = 1;
        bool scalable = false;
    };
    IconThemeIndex index;
    std::vector<std::string> listed;
    std::map<std::string, Details, std::less<>> details;
    forEachKeyFileEntry(
        text, [&](std::string_view group, std::string_view key, std::string_view value) {
            if (group == "Icon Theme") {
                if (key == "Inherits") {
                    for (const std::string_view parent : keyFileList(value, ',')) {
                        index.inherits.emplace_back(parent);
                    }
                } else if (key == "Directories" || key == "ScaledDirectories") {
                    for (const std::string_view directory : keyFileList(value, ',')) {
                        listed.emplace_back(directory);
                    }
                }
                return;
            }
            Details& directory = details[std::string(group)];
            if (key == "Size") {
                directory.size = positive(value);
            } else if (key == "Scale") {
                directory.scale = positive(value).value_or(1);
            } else if (key == "Type") {
                directory.scalable = value == "Scalable";
            }
        });
    for (const std::string& path : listed) {
        const auto found = details.find(path);
        const bool known = std::any_of(index.directories.begin(), index.directories.end(),
                                       [&](const auto& d) { return d.path == path; });
        if (found != details.end() && found->second.size && !known) {
            index.directories.push_back({.path = path,
                                         .size = *found->second.size,
                                         .scale = found->second.scale,
                                         .scalable = found->second.scalable});
        }
    }
    return index;
}

IconTheme::IconTheme(std::filesystem::path root, const XdgEnvironment& environment,
                     std::string themeName)
    : root_(std::move(root)),
      themeFolders_(iconThemeFolders(root_, environment)),
      pixmapFolder_(pixmapFolder(root_)),
      themeName_(std::move(themeName)) {}

std::optional<std::filesystem::path> IconTheme::find(std::string_view icon) {
    const auto known = found_.find(std::string(icon));
    if (known != found_.end()) {
        return known->second;
    }
    std::optional<std::filesystem::path> file;
    if (icon.starts_with('/')) {
        const std::filesystem::path placed = root_ / std::filesystem::path(icon).relative_path();
        if (isFile(placed)) {
            file = placed;
        }
    } else {
        file = search(withoutImageSuffix(icon));
    }
    found_.emplace(std::string(icon), file);
    return file;
}

void IconTheme::forget() {
    chain_.reset();
    found_.clear();
}

std::optional<std::filesystem::path> IconTheme::search(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos || name == "..") {
        return std::nullopt;
    }
    for (const Theme& theme : themeChain()) {
        if (auto file = searchTheme(theme, name)) {
            return file;
        }
    }
    for (const std::string_view suffix : {".svg", ".png", ".xpm"}) {
        auto file = pixmapFolder_ / (std::string(name) + std::string(suffix));
        if (isFile(file)) {
            return file;
        }
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> IconTheme::searchTheme(const Theme& theme,
                                                            std::string_view name) {
    const std::string svg = std::string(name) + ".svg";
    const std::string png = std::string(name) + ".png";
    std::optional<std::filesystem::path> best;
    int bestPixels = 0;
    for (const IconThemeDirectory& directory : theme.index.directories) {
        for (const auto& folder : theme.folders) {
            if (auto file = folder / directory.path / svg; isFile(file)) {
                return file;
            }
            const int pixels = directory.size * directory.scale;
            // Fewer pixels win once both fill the wanted size; until then more pixels win.
            const bool better = !best || (bestPixels < wantedPixels
                                              ? pixels > bestPixels
                                              : pixels >= wantedPixels && pixels < bestPixels);
            if (auto file = folder / directory.path / png; better && isFile(file)) {
                best = std::move(file);
                bestPixels = pixels;
            }
        }
    }
    return best;
}

const std::vector<IconTheme::Theme>& IconTheme::themeChain() {
    if (chain_) {
        return *chain_;
    }
    chain_.emplace();
    std::vector<std::string> visited;
    // Depth first, parents in the order Inherits lists them, as the icon theme rules search.
    const auto visit = [&](const auto& self, std::string_view name) -> void {
        if (name.empty() || name.find('/') != std::string_view::npos || name == ".." ||
            std::find(visited.begin(), visited.end(), name) != visited.end()) {
            return;
        }
        visited.emplace_back(name);
        Theme theme = loadTheme(name);
        const std::vector<std::string> parents = theme.index.inherits;
        if (!theme.folders.empty()) {
            chain_->push_back(std::move(theme));
        }
        for (const std::string& parent : parents) {
            self(self, parent);
        }
    };
    visit(visit, themeName_);
    visit(visit, "hicolor");
    return *chain_;
}

IconTheme::Theme IconTheme::loadTheme(std::string_view name) const {
    Theme theme;
    std::optional<std::string> indexText;
    for (const auto& base : themeFolders_) {
        std::filesystem::path folder = base / name;
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            continue;
        }
        if (!indexText) {
            indexText = readFileText(folder / "index.theme");
        }
        theme.folders.push_back(std::move(folder));
    }
    theme.index = indexText ? parseIconThemeIndex(*indexText)
                            : IconThemeIndex{.directories = conventionalDirectories(theme.folders)};
    return theme;
}

}  // namespace vantric
