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

// A process that no unit names (started from a shell, a script or an autostart entry): its program
// as /proc/PID/exe links to it, its command line, and a stat line.
void program(const fs::path& root, int pid, int parent, std::string_view comm,
             std::string_view executable, std::string_view commandLine = {}, bool tty = false) {
    process(root, pid, parent, comm, "../session-2.scope", tty);
    const fs::path folder = root / "proc" / std::to_string(pid);
    fs::create_directory_symlink(executable, folder / "exe");
    write(folder / "cmdline",
          commandLine.empty() ? std::string(executable) + '\0' : std::string(commandLine));
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
                                  .iconThemeName = "Vivid",
                                  .programFolders = {"/usr/local/bin", "/usr/bin"},
                                  .ownApplicationId = "vantric",
                                  .ownPrograms = {"/opt/vantric/vantric-widget-host"}});
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

// Programs started where no unit names an application, each claimed by the entry that starts it.
TEST_F(LinuxAppDirectoryTest, NamesAProcessByTheEntryThatStartsItsProgram) {
    const auto entry = [&](std::string_view id, std::string_view keys) {
        write(root_ / "usr/share/applications" / (std::string(id) + ".desktop"),
              "[Desktop Entry]\nType=Application\nName=" + std::string(id) + "\n" +
                  std::string(keys));
    };
    entry("org.example.Mail", "Exec=/opt/mail/mail %U\n");
    entry("org.gnome.SystemMonitor", "Exec=gnome-system-monitor\nIcon=vlc\n");
    entry("org.example.Probe", "TryExec=probe-real\nExec=probe-launch --fast\nNoDisplay=true\n");
    entry("debian-xterminal-emulator", "Exec=x-terminal-emulator\n");
    entry("xfce4-terminal", "Exec=xfce4-terminal\nCategories=TerminalEmulator;\n");
    entry("org.gnome.Meld", "Exec=meld %F\n");
    entry("com.example.Code", "Exec=\"/opt/code/code\" --no-sandbox %F\n");
    entry("org.example.Hidden", "Exec=/usr/bin/hiddenapp\nHidden=true\n");
    entry("org.example.NotInstalled", "TryExec=/usr/bin/missing\nExec=/usr/bin/toolx\n");
    entry("org.example.Opener", "Exec=xdg-open https://example.org\n");
    entry("signal-desktop", "Exec=/usr/bin/signal-launcher\n");
    entry("org.example.Pad-settings", "Exec=pad --preferences\n");  // read before the next
    entry("org.example.Pad", "Exec=pad %U\n");
    for (const char* file :
         {"opt/mail/mail", "usr/bin/gnome-system-monitor", "usr/bin/probe-real",
          "usr/bin/xfce4-terminal", "usr/bin/meld", "opt/code/code", "usr/bin/hiddenapp",
          "usr/bin/toolx", "usr/bin/xdg-open", "usr/bin/pad"}) {
        write(root_ / file, "");
    }
    fs::create_directories(root_ / "etc/alternatives");
    fs::create_symlink("/etc/alternatives/x-terminal-emulator",
                       root_ / "usr/bin/x-terminal-emulator");
    fs::create_symlink("/usr/bin/xfce4-terminal", root_ / "etc/alternatives/x-terminal-emulator");

    program(root_, 601, 1, "bash", "/usr/bin/bash", {}, true);
    program(root_, 610, 601, "mail", "/opt/mail/mail");
    program(root_, 611, 601, "gnome-system-mo", "/usr/bin/gnome-system-monitor");
    program(root_, 612, 601, "probe-real", "/usr/bin/probe-real");
    program(root_, 613, 1, "xfce4-terminal", "/usr/bin/xfce4-terminal");
    program(root_, 614, 613, "bash", "/usr/bin/bash", {}, true);
    program(root_, 615, 614, "top", "/usr/bin/top", {}, true);
    program(root_, 616, 601, "meld", "/usr/bin/python3.11",
            std::string_view("/usr/bin/python3\0-u\0/usr/bin/meld\0a.txt\0", 39));
    program(root_, 617, 601, "code", "/opt/code/code");
    program(root_, 618, 617, "chrome-sandbox", "/opt/code/chrome-sandbox");
    program(root_, 619, 618, "code", "/opt/code/code",
            std::string_view("/opt/code/code\0--type=renderer\0", 31));
    program(root_, 620, 601, "hiddenapp", "/usr/bin/hiddenapp");
    program(root_, 621, 601, "toolx", "/usr/bin/toolx");
    program(root_, 622, 601, "xdg-open", "/usr/bin/dash",
            std::string_view("/bin/sh\0/usr/bin/xdg-open\0https://example.org\0", 46));
    program(root_, 623, 601, "signal-desktop", "/opt/Signal/signal-desktop");
    program(root_, 624, 1, "vantric-widget-", "/opt/vantric/vantric-widget-host");
    program(root_, 625, 601, "pad", "/usr/bin/pad");

    LinuxAppDirectory apps = directory({});
    apps.beginPass();
    const std::pair<int, const char*> rows[] = {
        {610, "org.example.Mail"},         // by the absolute path its Exec names
        {611, "org.gnome.SystemMonitor"},  // by a name found on PATH
        {612, "org.example.Probe"},        // by its TryExec, though the entry is not in menus
        {613, "xfce4-terminal"},           // two entries, one through a link: the id with its name
        {615, ""},                         // run in the terminal: the user's, not the terminal's
        {616, "org.gnome.Meld"},           // the script an interpreter runs
        {617, "com.example.Code"},         // a quoted Exec
        {618, "com.example.Code"},         // its helper, through the parent
        {619, "com.example.Code"},
        {620, ""},                 // a Hidden entry claims nothing
        {621, ""},                 // nor does one whose TryExec is not installed
        {622, ""},                 // nor one that starts xdg-open
        {623, "signal-desktop"},   // the entry whose id is the program's name
        {624, "vantric"},          // the caller's own program
        {625, "org.example.Pad"},  // not the entry that opens its preferences
        {601, ""},                 // a shell no entry starts: its own name, as before
    };
    for (const auto& [pid, id] : rows) {
        const auto application = apps.applicationOf(pid);
        EXPECT_EQ(application ? application->id : std::string(), id) << pid;
    }
    const auto monitor = apps.applicationOf(611);
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->name, "org.gnome.SystemMonitor");
    EXPECT_TRUE(monitor->iconPath && monitor->iconPath->ends_with("vlc.svg"));
}

}  // namespace
}  // namespace vantric
