#include "platform/linux/desktop_entry_index.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using std::chrono::seconds;
using std::chrono::steady_clock;

// The fixture desktop's user, in Brazilian Portuguese, on a clock the test moves.
DesktopEntryIndex::Settings fixtureSettings(const std::filesystem::path& root,
                                            const steady_clock::time_point& now) {
    return {
        .root = root, .environment = {.home = "/home/user"}, .languages = {"pt_BR"}, .now = [&now] {
            return now;
        }};
}

// The default folders are those the fixture desktop's entries are found in below.
TEST(ApplicationFolders, FollowTheDataVariablesThenFlatpakAndSnap) {
    const XdgEnvironment set{
        .home = "/home/user",
        .dataHome = "/data/home",
        .dataDirs = "/var/lib/flatpak/exports/share/:relative/share:/opt/share::/usr/share"};
    EXPECT_EQ(applicationFolders("/r", set),
              (std::vector<std::filesystem::path>{
                  "/r/data/home/applications",
                  "/r/var/lib/flatpak/exports/share/applications",
                  "/r/opt/share/applications",
                  "/r/usr/share/applications",
                  "/r/home/user/.local/share/flatpak/exports/share/applications",
                  "/r/var/lib/snapd/desktop/applications",
              }));
    // Relative values are invalid: the defaults stand in for them.
    EXPECT_EQ(applicationFolders("/r", {.home = "/h", .dataHome = "rel", .dataDirs = "rel"}),
              applicationFolders("/r", {.home = "/h"}));
}

TEST(DesktopEntryIndex, FindsEntriesAsTheFirstFolderHoldingTheirIdGivesThem) {
    const steady_clock::time_point now{};
    DesktopEntryIndex index(fixtureSettings(testing::fixturePath("hosts/desktop"), now));
    // The user's copy, in pt for pt_BR.
    EXPECT_EQ(index.find("org.example.Editor").value().name, "Meu editor");
    EXPECT_TRUE(index.find("org.example.Term").value().terminalEmulator);

    const std::pair<const char*, const char*> rows[] = {
        {"kde-org.kde.foo", "kde-org.kde.foo"},
        {"foowindow", "kde-org.kde.foo"},  // by StartupWMClass, in any case
        {"org.gnome.calculator", "org.gnome.Calculator"},
        {"ORG.FLAT.APP", "org.flat.App"},
        {"firefox_firefox", "firefox_firefox"},
        {"vlc_vlc", "vlc"},        // a snap's name_app falls back to its name
        {"org.example.Gone", ""},  // deleted by the user's Hidden copy
        {"org.example", ""},
    };
    for (const auto& [applicationId, id] : rows) {
        const auto entry = index.find(applicationId);
        EXPECT_EQ(entry ? entry->id : std::string(), id) << applicationId;
    }
}

TEST(DesktopEntryIndex, ReadsFoldersAgainOnlyAfterTheyChangeAndTheIntervalPasses) {
    const testing::TemporaryTree tree("desktop");
    const auto applications = tree / "usr/share/applications";
    // Folder times from the past, so that a change within the same clock tick as the copy still
    // shows.
    const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(applications, past);
    std::filesystem::last_write_time(applications / "kde", past);

    steady_clock::time_point now{};
    DesktopEntryIndex index(fixtureSettings(tree.root(), now));
    ASSERT_TRUE(index.find("org.example.Term"));

    std::filesystem::remove(applications / "org.example.Term.desktop");
    now += seconds(4);
    EXPECT_TRUE(index.find("org.example.Term"));  // not yet looked at again
    now += seconds(1);
    EXPECT_FALSE(index.find("org.example.Term"));

    // A change inside a subfolder leaves the applications folder's own time alone; a folder that
    // did not exist when the index was read is noticed once it appears.
    const char* const entry = "[Desktop Entry]\nType=Application\nName=New\n";
    testing::writeFile(applications / "kde/org.kde.bar.desktop", entry);
    now += seconds(5);
    EXPECT_TRUE(index.find("kde-org.kde.bar"));
    testing::writeFile(tree / "usr/local/share/applications/org.new.App.desktop", entry);
    now += seconds(5);
    EXPECT_TRUE(index.find("org.new.App"));
}

}  // namespace
}  // namespace vantric
