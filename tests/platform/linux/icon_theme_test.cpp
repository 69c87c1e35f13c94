#include "platform/linux/icon_theme.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

const XdgEnvironment fixtureEnvironment{.home = "/home/user"};

TEST(IconTheme, SearchesTheThemeItsParentsHicolorThenPixmaps) {
    const auto root = testing::fixturePath("hosts/desktop");
    IconTheme theme(root, fixtureEnvironment, "Vivid");
    const std::pair<const char*, std::optional<const char*>> rows[] = {
        {"editor", "usr/share/icons/Vivid/48x48/apps/editor.png"},  // the theme's PNG beats
                                                                    // hicolor's SVG
        {"editor.png", "usr/share/icons/Vivid/48x48/apps/editor.png"},
        {"term", "usr/share/icons/Base/32x32/apps/term.png"},  // inherited, before hicolor
        {"vlc", "usr/share/icons/hicolor/scalable/apps/vlc.svg"},
        {"foo", "usr/share/icons/hicolor/22x22@2/apps/foo.png"},    // 44 px: the least that fills
        {"wide", "usr/share/icons/hicolor/64x64/apps/wide.png"},    // not a smaller one after it
        {"small", "usr/share/icons/hicolor/32x32/apps/small.png"},  // none fills: the largest
        {"org.flat.App", "var/lib/flatpak/exports/share/icons/hicolor/64x64/apps/org.flat.App.png"},
        {"legacy", "usr/share/pixmaps/legacy.png"},
        {"/opt/editor/icon.png", "opt/editor/icon.png"},
        {"/opt/editor/missing.png", std::nullopt},
        {"missing", std::nullopt},
        {"../Vivid/48x48/apps/editor", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [icon, file] : rows) {
        const auto found = theme.find(icon);
        if (file) {
            EXPECT_EQ(found, root / *file) << icon;
        } else {
            EXPECT_FALSE(found) << icon << " " << found.value_or("");
        }
    }
}

TEST(IconTheme, ThemeWithoutIndexIsScannedForSizedFolders) {
    const auto root = testing::fixturePath("hosts/desktop");
    IconTheme theme(root, fixtureEnvironment, "Plain");
    EXPECT_EQ(theme.find("plainicon"), root / "home/user/.icons/Plain/64x64/apps/plainicon.png");
    EXPECT_EQ(theme.find("vlc"), root / "usr/share/icons/hicolor/scalable/apps/vlc.svg");
}

TEST(IconTheme, KeepsAnswersUntilToldToForget) {
    const testing::TemporaryTree tree("desktop");
    IconTheme theme(tree.root(), fixtureEnvironment, "");
    const auto svg = tree / "usr/share/icons/hicolor/scalable/apps/vlc.svg";
    ASSERT_EQ(theme.find("vlc"), svg);
    std::filesystem::remove(svg);
    EXPECT_EQ(theme.find("vlc"), svg);
    theme.forget();
    EXPECT_EQ(theme.find("vlc"), tree / "usr/share/icons/hicolor/64x64/apps/vlc.png");
}

TEST(IconThemeIndex, ReadsListedDirectoriesWithSizeScaleAndType) {
    const auto index = parseIconThemeIndex(
        "[Icon Theme]\nInherits=Adwaita, hicolor\nDirectories=16x16/apps,scalable/apps,"
        "nosize/apps\nScaledDirectories=24x24@2/apps\n"
        "[16x16/apps]\nSize=16\n[scalable/apps]\nSize=128\nType=Scalable\n"
        "[24x24@2/apps]\nSize=24\nScale=2\n[nosize/apps]\nType=Fixed\n[unlisted]\nSize=8\n");
    EXPECT_EQ(index.inherits, (std::vector<std::string>{"Adwaita", "hicolor"}));
    ASSERT_EQ(index.directories.size(), 3u);
    const auto shape = [](const IconThemeDirectory& d) {
        return std::make_tuple(d.path, d.size, d.scale, d.scalable);
    };
    EXPECT_EQ(shape(index.directories[0]), std::make_tuple("16x16/apps", 16, 1, false));
    EXPECT_EQ(shape(index.directories[1]), std::make_tuple("scalable/apps", 128, 1, true));
    EXPECT_EQ(shape(index.directories[2]), std::make_tuple("24x24@2/apps", 24, 2, false));
}

}  // namespace
}  // namespace vantric
