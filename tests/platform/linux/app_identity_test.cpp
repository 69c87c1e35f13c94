#include "platform/linux/app_identity.hpp"

#include <gtest/gtest.h>

#include "platform/linux/process_roles.hpp"

namespace vantric {
namespace {

struct UnitCase {
    const char* unit = "";
    const char* appId = "";  // empty: not an application's unit
    const char* snapName = "";
};

class ApplicationUnits : public ::testing::TestWithParam<UnitCase> {};

TEST_P(ApplicationUnits, NamesTheApplicationOfDesktopUnitsOnly) {
    const auto application = applicationOfUnit(GetParam().unit);
    if (*GetParam().appId == '\0') {
        EXPECT_FALSE(application) << application->appId;
        return;
    }
    ASSERT_TRUE(application);
    EXPECT_EQ(application->appId, GetParam().appId);
    EXPECT_EQ(application->snapName, GetParam().snapName);
}

INSTANTIATE_TEST_SUITE_P(
    Units, ApplicationUnits,
    ::testing::Values(
        UnitCase{"app-gnome-org.gnome.Nautilus-2481.scope", "org.gnome.Nautilus"},
        UnitCase{"app-kde-org.kde.konsole-1f2e.scope", "org.kde.konsole"},
        UnitCase{"app-org.kde.dolphin-3c4d.scope", "org.kde.dolphin"},
        UnitCase{R"(app-gnome-org.example.My\x2dApp\x2b\x2b-77.scope)", "org.example.My-App++"},
        UnitCase{"app-flatpak-org.gnome.Calculator-12345.scope", "org.gnome.Calculator"},
        UnitCase{"app-org.gnome.Evolution@1.service", "org.gnome.Evolution"},
        UnitCase{R"(app-gnome-evolution\x2dalarm\x2dnotify@autostart.service)",
                 "evolution-alarm-notify"},
        UnitCase{"app-org.gnome.Terminal.slice", "org.gnome.Terminal"},
        UnitCase{"app-gnome-firefox.slice", "firefox"},
        UnitCase{R"(app-dbus\x2d:1.2\x2dorg.gnome.Nautilus.slice)", "org.gnome.Nautilus"},
        UnitCase{"snap.firefox.firefox-0f3c2a9e-1b2c-4d5e-8f90-a1b2c3d4e5f6.scope",
                 "firefox_firefox", "firefox"},
        UnitCase{"snap.gnome-calculator.gnome-calculator-0f3c2a9e-1b2c-4d5e-8f90-a1b2c3d4e5f6."
                 "scope",
                 "gnome-calculator_gnome-calculator", "gnome-calculator"},
        UnitCase{"session-2.scope"}, UnitCase{"vte-spawn-0f3c2a9e.scope"},
        UnitCase{"user@1000.service"}, UnitCase{"init.scope"}, UnitCase{"dbus.service"},
        UnitCase{"app.slice"}, UnitCase{"app-gnome--12.scope"}, UnitCase{"app-gnome-x-.scope"},
        UnitCase{"app-1234.scope"}, UnitCase{"app-org.gnome.Evolution@.service"},
        UnitCase{"app-gnome-org.gnome.Nautilus-2481.mount"},
        UnitCase{"snap.firefox.hook.configure-0f3c2a9e-1b2c-4d5e-8f90-a1b2c3d4e5f6.scope"}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(ApplicationOfCgroup, TakesTheDeepestApplicationUnitOfTheUnifiedHierarchy) {
    const std::string hybrid =
        "12:pids:/user.slice/user-1000.slice/user@1000.service\n"
        "1:name=systemd:/user.slice/user-1000.slice/user@1000.service/app.slice/"
        "app-gnome-org.wrong.One-1.scope\n"
        "0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-org.gnome.Builder.slice/"
        "app-flatpak-org.gnome.Calculator-9.scope\n";
    const auto path = unifiedCgroupPath(hybrid);
    ASSERT_TRUE(path);
    EXPECT_EQ(applicationOfCgroup(*path)->appId, "org.gnome.Calculator");
    EXPECT_FALSE(unifiedCgroupPath("12:pids:/user.slice\n1:name=systemd:/user.slice\n"));

    // A service inside an application's slice is the application's.
    EXPECT_EQ(applicationOfCgroup("/user.slice/app.slice/app-org.gnome.Terminal.slice/"
                                  "gnome-terminal-server.service")
                  ->appId,
              "org.gnome.Terminal");
    // A terminal tab's scope inside the terminal's slice is not the terminal's.
    EXPECT_FALSE(applicationOfCgroup(
        "/user.slice/app.slice/app-org.gnome.Terminal.slice/vte-spawn-0f3c2a9e.scope"));
    EXPECT_FALSE(applicationOfCgroup("/user.slice/user-1000.slice/session-2.scope"));
    EXPECT_FALSE(applicationOfCgroup("/"));
}

TEST(FlatpakInfo, ReadsTheNameOfTheApplicationSectionAlone) {
    EXPECT_EQ(flatpakApplicationName("[Instance]\nname=org.wrong.Instance\n\n[Application]\n"
                                     "runtime=runtime/org.gnome.Platform/x86_64/46\n"
                                     "name=org.gnome.Maps"),
              "org.gnome.Maps");
    EXPECT_FALSE(flatpakApplicationName("[Runtime]\nname=org.gnome.Platform\n"));
    EXPECT_FALSE(flatpakApplicationName("[Application]\nname=\n"));
}

TEST(ExecutablePaths, FindSnapsAndAppImagesButNotTheirBases) {
    const auto snap = snapOfExecutable("/snap/spotify/80/usr/share/spotify/spotify");
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->appId, "spotify");
    EXPECT_EQ(snap->snapName, "spotify");
    EXPECT_EQ(snap->via, ApplicationEvidence::snapPath);
    for (const char* path :
         {"/snap/core22/1380/usr/lib/snapd/snap-confine", "/snap/snapd/21759/usr/bin/snap",
          "/snap/spotify/80", "/snap/bin/spotify", "/usr/snap/spotify/80/spotify"}) {
        EXPECT_FALSE(snapOfExecutable(path)) << path;
    }
    EXPECT_TRUE(snapOfExecutable("/snap/core-utils/3/bin/x"));  // only the bases are skipped

    EXPECT_EQ(appImageMountName("/tmp/.mount_Obsidi1a2B3c/obsidian"), "Obsidi");
    EXPECT_EQ(appImageMountName("/run/user/1000/.mount_Krita-x9Y8z7/usr/bin/krita"), "Krita-");
    EXPECT_FALSE(appImageMountName("/tmp/.mount_1a2B3c/app"));
    EXPECT_FALSE(appImageMountName("/tmp/.mount_Obsidi1a2B3c"));
    EXPECT_EQ(appImageName("/home/ana/Apps/Obsidian-1.5.3.AppImage"), "Obsidian-1.5.3");
    EXPECT_EQ(appImageName("/opt/krita.appimage"), "krita");
    EXPECT_EQ(appImageName("/opt/tool"), "tool");

    using namespace std::string_literals;
    const std::string environment = "PATH=/bin\0APPIMAGEX=no\0APPIMAGE=/a/B.AppImage\0"s;
    EXPECT_EQ(environmentValue(environment, "APPIMAGE"), "/a/B.AppImage");
    EXPECT_FALSE(environmentValue(environment, "APPDIR"));
}

TEST(UnitNames, UndoOnlyWellFormedEscapes) {
    EXPECT_EQ(unescapeUnitName(R"(a\x2db\x5cc)"), R"(a-b\c)");
    EXPECT_EQ(unescapeUnitName(R"(end\x2)"), R"(end\x2)");
    EXPECT_EQ(unescapeUnitName(R"(\xzz\x41)"), R"(\xzzA)");
}

TEST(ProcessLineage, ReadsParentSessionAndTerminalPastAnOddName) {
    const auto lineage =
        parseProcessLineage("4242 (a) S (b) S 4100 4242 4242 34816 -1 4194304 0 0 0 0 1 1\n");
    ASSERT_TRUE(lineage);
    EXPECT_EQ(lineage->name, "a) S (b");
    EXPECT_EQ(lineage->parent, 4100);
    EXPECT_EQ(lineage->session, 4242);
    EXPECT_TRUE(lineage->hasControllingTerminal());
    EXPECT_FALSE(parseProcessLineage("4242 (bash) S 4100 4242\n"));

    // The kernel keeps 15 bytes of a name; the known names are compared after the same cut.
    EXPECT_TRUE(isTerminalName("gnome-terminal-"));
    EXPECT_FALSE(isTerminalName("gnome-terminal"));
    EXPECT_TRUE(isShellSessionName("tmux: server"));
    EXPECT_TRUE(isDesktopShellName("gnome-session-b"));
    EXPECT_TRUE(isTerminalAppId("org.kde.konsole"));
}

}  // namespace
}  // namespace vantric
