#include "platform/linux/linux_app_directory.hpp"

#include <fstream>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, std::string_view text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// One process of a desktop: its cgroup, and a stat line naming it and its parent.
void process(const fs::path& root, int pid, int parent, std::string_view comm,
             std::string_view unit, bool tty = false) {
    const fs::path folder = root / "proc" / std::to_string(pid);
    write(folder / "cgroup",
          "0::/user.slice/user-1000.slice/user@1000.service/app.slice/" + std::string(unit) + "\n");
    write(folder / "stat", std::to_string(pid) + " (" + std::string(comm) + ") S " +
                               std::to_string(parent) + " " + std::to_string(pid) + " " +
                               std::to_string(pid) + (tty ? " 34816" : " 0") +
                               " -1 4194304 0 0 0 0 0 0 0 0 20 0 1 0 1000 0 0\n");
}

// The desktop fixture's entries and icons, with a few processes added under the same root.
class LinuxAppDirectoryTest : public ::testing::Test {
protected:
    LinuxAppDirectoryTest() {
        fs::copy(testing::fixturePath("hosts/desktop"), root_, fs::copy_options::recursive);
        process(root_, 500, 1, "editor", "app-gnome-org.example.Editor-77.scope");
        process(root_, 501, 500, "editor-helper", "app-gnome-org.example.Editor-77.scope");
        process(root_, 510, 1, "mystery", "app-gnome-org.example.NoEntry-3.scope");
        process(root_, 530, 1, "vlc", "app-gnome-vlc-12.scope");
        // A terminal known only by its desktop entry's category, and the shell in its unit.
        process(root_, 520, 1, "term", "app-gnome-org.example.Term-9.scope");
        process(root_, 521, 520, "bash", "app-gnome-org.example.Term-9.scope", true);
    }
    ~LinuxAppDirectoryTest() override { fs::remove_all(root_); }

    LinuxAppDirectory directory(std::vector<std::string> languages) const {
        return LinuxAppDirectory({.root = root_,
                                  .environment = {.home = "/home/user"},
                                  .languages = std::move(languages),
                                  .iconThemeName = "Vivid"});
    }

    fs::path root_ =
        fs::temp_directory_path() /
        ("vantric-apps-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
         std::to_string(reinterpret_cast<std::uintptr_t>(this)));
};

TEST_F(LinuxAppDirectoryTest, NamesAProcessByItsDesktopEntryTheUsersOwnFirst) {
    LinuxAppDirectory apps = directory({"de_CH", "de"});
    apps.beginPass();
    const auto editor = apps.applicationOf(500);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->id, "org.example.Editor");
    // The user's own entry overrides the system's German name; it has none but its own.
    EXPECT_EQ(editor->name, "My Editor");
    EXPECT_EQ(editor->iconName, "/opt/editor/icon.png");
    ASSERT_TRUE(editor->iconPath);
    EXPECT_TRUE(fs::exists(*editor->iconPath));
    EXPECT_EQ(apps.applicationOf(501), editor);
}

TEST_F(LinuxAppDirectoryTest, AnApplicationWithoutAnEntryShowsItsIdAndATerminalsShellIsNotIts) {
    LinuxAppDirectory apps = directory({"de"});
    apps.beginPass();
    // A system entry whose icon the Vivid theme lacks: hicolor has it, as an SVG.
    const auto player = apps.applicationOf(530);
    ASSERT_TRUE(player);
    EXPECT_EQ(player->name, "VLC media player");
    ASSERT_TRUE(player->iconPath);
    EXPECT_TRUE(player->iconPath->ends_with("hicolor/scalable/apps/vlc.svg"));
    const auto mystery = apps.applicationOf(510);
    ASSERT_TRUE(mystery);
    EXPECT_EQ(mystery->name, "org.example.NoEntry");
    EXPECT_EQ(mystery->iconName, std::nullopt);
    EXPECT_EQ(mystery->iconPath, std::nullopt);
    EXPECT_TRUE(apps.applicationOf(520));
    EXPECT_EQ(apps.applicationOf(521), std::nullopt);
}

}  // namespace
}  // namespace vantric
