#include "platform/linux/icon_theme.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

const XdgEnvironment fixtureEnvironment{.home = "/home/user"};

TEST(IconTheme, SearchesTheThemeItsParentsHicolorThenPixmaps) {
    const auto root = testing::fixturePath("hosts/desktop");
    IconTheme theme(root, fixtureEnvironment, "Vivid");
    // editor: the theme's PNG beats hicolor's SVG.
    const std::pair<const char*, const char*> rows[] = {
        {"editor", "usr/share/icons/Vivid/48x48/apps/editor.png"},
        {"editor.png", "usr/share/icons/Vivid/48x48/apps/editor.png"},
        {"term", "usr/share/icons/Base/32x32/apps/term.png"},  // inherited, before hicolor
        {"vlc", "usr/share/icons/hicolor/scalable/apps/vlc.svg"},
        {"foo", "usr/share/icons/hicolor/22x22@2/apps/foo.png"},    // 44 px: the least that fills
        {"wide", "usr/share/icons/hicolor/64x64/apps/wide.png"},    // not a smaller one after it
        {"small", "usr/share/icons/hicolor/32x32/apps/small.png"},  // none fills: the largest
        {"org.flat.App", "var/lib/flatpak/exports/share/icons/hicolor/64x64/apps/org.flat.App.png"},
        {"legacy", "usr/share/pixmaps/legacy.png"},
        {"/opt/editor/icon.png", "opt/editor/icon.png"},
        {"missing", nullptr},
        {"../Vivid/48x48/apps/editor", nullptr},
    };
    for (const auto& [icon, file] : rows) {
        const auto expected = file ? std::optional(root / file) : std::nullopt;
        EXPECT_EQ(theme.find(icon), expected) << icon;
    }
    // A theme without an index is scanned for sized folders.
    EXPECT_EQ(IconTheme(root, fixtureEnvironment, "Plain").find("plainicon"),
              root / "home/user/.icons/Plain/64x64/apps/plainicon.png");
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

// Sizes, scales and scalable folders are read from the fixture themes' index files above.
TEST(IconThemeIndex, KeepsOnlyListedDirectoriesThatHaveASize) {
    const auto index = parseIconThemeIndex(
        "[Icon Theme]\nInherits=Adwaita, hicolor\nDirectories=16x16/apps,nosize/apps\n"
        "[16x16/apps]\nSize=16\n[nosize/apps]\nType=Fixed\n[unlisted]\nSize=8\n");
    EXPECT_EQ(index.inherits, (std::vector<std::string>{"Adwaita", "hicolor"}));
    ASSERT_EQ(index.directories.size(), 1u);
    EXPECT_EQ(index.directories[0].path, "16x16/apps");
}

}  // namespace
}  // namespace vantric
