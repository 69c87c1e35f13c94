#include "platform/linux/linux_app_directory.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

namespace fs = std::filesystem;

using testing::writeFile;

// The desktop fixture's entries and icons, with the processes of a desktop added under the same
// root: each with its cgroup and a stat line naming it and its parent, on a terminal or not.
class LinuxAppDirectoryTest : public ::testing::Test {
protected:
    LinuxAppDirectoryTest() {
        process(500, 1, "editor", "app-gnome-org.example.Editor-77.scope");
        process(501, 500, "editor-helper", "app-gnome-org.example.Editor-77.scope");
        process(510, 1, "mystery", "app-gnome-org.example.NoEntry-3.scope");
        // A terminal known only by its desktop entry's category, and the shell in its unit.
        process(520, 1, "term", "app-gnome-org.example.Term-9.scope");
        process(521, 520, "bash", "app-gnome-org.example.Term-9.scope", true);
    }

    void process(int pid, int parent, std::string_view comm, std::string_view unit,
                 bool tty = false) const {
        const fs::path folder = tree_ / ("proc/" + std::to_string(pid));
        writeFile(folder / "cgroup", "0::/user.slice/user-1000.slice/user@1000.service/app.slice/" +
                                         std::string(unit) + "\n");
        writeFile(folder / "stat", std::to_string(pid) + " (" + std::string(comm) + ") S " +
                                       std::to_string(parent) + " " + std::to_string(pid) + " " +
                                       std::to_string(pid) + (tty ? " 34816" : " 0") +
                                       " -1 4194304 0 0 0 0 0 0 0 0 20 0 1 0 1000 0 0\n");
    }

    // A process that no unit names (started from a shell, a script or an autostart entry): its
    // program as /proc/PID/exe links to it, and its command line.
    void program(int pid, int parent, std::string_view comm, std::string_view executable,
                 std::string_view commandLine = {}, bool tty = false) const {
        process(pid, parent, comm, "../session-2.scope", tty);
        const fs::path folder = tree_ / ("proc/" + std::to_string(pid));
        fs::create_directory_symlink(executable, folder / "exe");
        writeFile(folder / "cmdline",
                  commandLine.empty() ? std::string(executable) + '\0' : std::string(commandLine));
    }

    LinuxAppDirectory directory(std::vector<std::string> languages) const {
        return LinuxAppDirectory({.root = tree_.root(),
                                  .environment = {.home = "/home/user"},
                                  .languages = std::move(languages),
                                  .iconThemeName = "Vivid",
                                  .programFolders = {"/usr/local/bin", "/usr/bin"},
                                  .ownApplicationId = "vantric",
                                  .ownPrograms = {"/opt/vantric/vantric-widget-host"}});
    }

    const testing::TemporaryTree tree_{"desktop"};
};

TEST_F(LinuxAppDirectoryTest, NamesAProcessByItsDesktopEntryAndATerminalsShellNot) {
    LinuxAppDirectory apps = directory({"de"});
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
    // An application without an entry shows its id.
    const auto mystery = apps.applicationOf(510);
    ASSERT_TRUE(mystery);
    EXPECT_EQ(std::tuple(mystery->name, mystery->iconName, mystery->iconPath),
              std::tuple("org.example.NoEntry", std::nullopt, std::nullopt));
    EXPECT_TRUE(apps.applicationOf(520));
    EXPECT_EQ(apps.applicationOf(521), std::nullopt);
}

// Programs started where no unit names an application, each claimed by the entry that starts it.
TEST_F(LinuxAppDirectoryTest, NamesAProcessByTheEntryThatStartsItsProgram) {
    const std::pair<const char*, const char*> entries[] = {
        {"org.example.Mail", "Exec=/opt/mail/mail %U\n"},
        {"org.gnome.SystemMonitor", "Exec=gnome-system-monitor\nIcon=vlc\n"},
        {"org.example.Probe", "TryExec=probe-real\nExec=probe-launch --fast\nNoDisplay=true\n"},
        {"debian-xterminal-emulator", "Exec=x-terminal-emulator\n"},
        {"xfce4-terminal", "Exec=xfce4-terminal\nCategories=TerminalEmulator;\n"},
        {"org.gnome.Meld", "Exec=meld %F\n"},
        {"com.example.Code", "Exec=\"/opt/code/code\" --no-sandbox %F\n"},
        {"org.example.Hidden", "Exec=/usr/bin/hiddenapp\nHidden=true\n"},
        {"org.example.NotInstalled", "TryExec=/usr/bin/missing\nExec=/usr/bin/toolx\n"},
        {"org.example.Opener", "Exec=xdg-open https://example.org\n"},
        {"signal-desktop", "Exec=/usr/bin/signal-launcher\n"},
        {"org.example.Pad-settings", "Exec=pad --preferences\n"},  // read before the next
        {"org.example.Pad", "Exec=pad %U\n"},
    };
    for (const auto& [id, keys] : entries) {
        writeFile(tree_ / "usr/share/applications" / (std::string(id) + ".desktop"),
                  "[Desktop Entry]\nType=Application\nName=" + std::string(id) + "\n" + keys);
    }
    for (const char* file :
         {"opt/mail/mail", "usr/bin/gnome-system-monitor", "usr/bin/probe-real",
          "usr/bin/xfce4-terminal", "usr/bin/meld", "opt/code/code", "usr/bin/hiddenapp",
          "usr/bin/toolx", "usr/bin/xdg-open", "usr/bin/pad"}) {
        writeFile(tree_ / file, "");
    }
    fs::create_directories(tree_ / "etc/alternatives");
    fs::create_symlink("/etc/alternatives/x-terminal-emulator",
                       tree_ / "usr/bin/x-terminal-emulator");
    fs::create_symlink("/usr/bin/xfce4-terminal", tree_ / "etc/alternatives/x-terminal-emulator");

    program(601, 1, "bash", "/usr/bin/bash", {}, true);
    program(610, 601, "mail", "/opt/mail/mail");
    program(611, 601, "gnome-system-mo", "/usr/bin/gnome-system-monitor");
    program(612, 601, "probe-real", "/usr/bin/probe-real");
    program(613, 1, "xfce4-terminal", "/usr/bin/xfce4-terminal");
    program(614, 613, "bash", "/usr/bin/bash", {}, true);
    program(615, 614, "top", "/usr/bin/top", {}, true);
    program(616, 601, "meld", "/usr/bin/python3.11",
            std::string_view("/usr/bin/python3\0-u\0/usr/bin/meld\0a.txt\0", 39));
    program(617, 601, "code", "/opt/code/code");
    program(618, 617, "chrome-sandbox", "/opt/code/chrome-sandbox");
    program(619, 618, "code", "/opt/code/code",
            std::string_view("/opt/code/code\0--type=renderer\0", 31));
    program(620, 601, "hiddenapp", "/usr/bin/hiddenapp");
    program(621, 601, "toolx", "/usr/bin/toolx");
    program(622, 601, "xdg-open", "/usr/bin/dash",
            std::string_view("/bin/sh\0/usr/bin/xdg-open\0https://example.org\0", 46));
    program(623, 601, "signal-desktop", "/opt/Signal/signal-desktop");
    program(624, 1, "vantric-widget-", "/opt/vantric/vantric-widget-host");
    program(625, 601, "pad", "/usr/bin/pad");
    program(626, 601, "sh", "/usr/bin/dash", std::string_view("/bin/sh\0-c\0/usr/bin/meld\0", 25));

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
        {626, ""},                 // sh -c runs the code it is given, not a script
        {601, ""},                 // a shell no entry starts: its own name, as before
    };
    for (const auto& [pid, id] : rows) {
        const auto application = apps.applicationOf(pid);
        EXPECT_EQ(application ? application->id : std::string(), id) << pid;
    }
    const auto monitor = apps.applicationOf(611);
    ASSERT_TRUE(monitor);
    // A system entry whose icon the Vivid theme lacks: hicolor has it, as an SVG.
    EXPECT_EQ(monitor->name, "org.gnome.SystemMonitor");
    EXPECT_TRUE(monitor->iconPath && monitor->iconPath->ends_with("hicolor/scalable/apps/vlc.svg"));
}

}  // namespace
}  // namespace vantric
