#include "platform/linux/app_identity.hpp"

#include <gtest/gtest.h>

#include "platform/linux/process_roles.hpp"

namespace vantric {
namespace {

TEST(ApplicationOfUnit, NamesTheApplicationOfDesktopUnitsOnly) {
    // Names of snaps and their applications may hold dashes: the uuid is cut by its shape.
    constexpr const char* snap =
        "snap.gnome-calculator.gnome-calculator-0f3c2a9e-1b2c-4d5e-8f90-a1b2c3d4e5f6.scope";
    const std::pair<const char*, const char*> named[] = {
        {"app-gnome-org.gnome.Nautilus-2481.scope", "org.gnome.Nautilus"},
        {"app-org.kde.dolphin-3c4d.scope", "org.kde.dolphin"},
        {R"(app-gnome-org.example.My\x2dApp\x2b\x2b-77.scope)", "org.example.My-App++"},
        {R"(app-gnome-a\xzz\x41-77.scope)", R"(a\xzzA)"},  // only well-formed escapes undone
        {"app-flatpak-org.gnome.Calculator-12345.scope", "org.gnome.Calculator"},
        {R"(app-gnome-evolution\x2dalarm\x2dnotify@autostart.service)", "evolution-alarm-notify"},
        {"app-org.gnome.Terminal.slice", "org.gnome.Terminal"},
        {R"(app-dbus\x2d:1.2\x2dorg.gnome.Nautilus.slice)", "org.gnome.Nautilus"},
        {snap, "gnome-calculator_gnome-calculator"},
    };
    for (const auto& [unit, appId] : named) {
        const auto application = applicationOfUnit(unit);
        EXPECT_EQ(application ? application->appId : std::string(), appId) << unit;
    }
    EXPECT_EQ(applicationOfUnit(snap).value().snapName, "gnome-calculator");

    // A session, the slice of all applications, an empty id or random part, no id, an instance
    // without its name, another kind of unit, and snapd running one of a snap's hooks.
    for (const char* unit :
         {"session-2.scope", "app.slice", "app-gnome--12.scope", "app-gnome-x-.scope",
          "app-1234.scope", "app-org.gnome.Evolution@.service",
          "app-gnome-org.gnome.Nautilus-2481.mount",
          "snap.firefox.hook.configure-0f3c2a9e-1b2c-4d5e-8f90-a1b2c3d4e5f6.scope"}) {
        EXPECT_FALSE(applicationOfUnit(unit)) << unit;
    }
}

TEST(ApplicationOfCgroup, TakesTheDeepestApplicationUnitOfTheUnifiedHierarchy) {
    const std::string hybrid =
        "12:pids:/user.slice/user-1000.slice/user@1000.service\n"
        "1:name=systemd:/user.slice/user-1000.slice/user@1000.service/app.slice/"
        "app-gnome-org.wrong.One-1.scope\n"
        "0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-org.gnome.Builder.slice/"
        "app-flatpak-org.gnome.Calculator-9.scope\n";
    EXPECT_EQ(applicationOfCgroup(unifiedCgroupPath(hybrid).value()).value().appId,
              "org.gnome.Calculator");
    EXPECT_FALSE(unifiedCgroupPath("12:pids:/user.slice\n1:name=systemd:/user.slice\n"));

    // A terminal tab's scope inside the terminal's slice is not the terminal's.
    EXPECT_FALSE(applicationOfCgroup(
        "/user.slice/app.slice/app-org.gnome.Terminal.slice/vte-spawn-0f3c2a9e.scope"));
}

// The sandboxes, snaps and AppImages that name an application are in the app resolver's fixture.
TEST(SandboxesAndPaths, NameNoApplicationForARuntimeOrABaseSnap) {
    EXPECT_FALSE(flatpakApplicationName("[Runtime]\nname=org.gnome.Platform\n"));
    for (const char* path :
         {"/snap/core22/1380/usr/lib/snapd/snap-confine", "/snap/snapd/21759/usr/bin/snap",
          "/snap/bin/spotify", "/usr/snap/spotify/80/spotify"}) {
        EXPECT_FALSE(snapOfExecutable(path)) << path;
    }
    EXPECT_TRUE(snapOfExecutable("/snap/core-utils/3/bin/x"));  // only the bases are skipped

    EXPECT_EQ(appImageMountName("/run/user/1000/.mount_Krita-x9Y8z7/usr/bin/krita"), "Krita-");
    EXPECT_FALSE(appImageMountName("/tmp/.mount_1a2B3c/app"));
    EXPECT_FALSE(appImageMountName("/tmp/.mount_Obsidi1a2B3c"));
    EXPECT_EQ(appImageName("/opt/krita.appimage"), "krita");
    EXPECT_EQ(appImageName("/opt/tool"), "tool");

    using namespace std::string_literals;
    EXPECT_EQ(environmentValue("PATH=/bin\0APPIMAGEX=no\0APPIMAGE=/a/B.AppImage\0"s, "APPIMAGE"),
              "/a/B.AppImage");
}

TEST(ProcessLineage, ReadsParentSessionAndTerminalPastAnOddName) {
    const ProcessLineage lineage =
        parseProcessLineage("4242 (a) S (b) S 4100 4242 4242 34816 -1 4194304 0 0 0 0 1 1\n")
            .value();
    EXPECT_EQ(std::tuple(lineage.name, lineage.parent, lineage.session),
              std::tuple("a) S (b", 4100, 4242));
    EXPECT_TRUE(lineage.hasControllingTerminal());
    EXPECT_FALSE(parseProcessLineage("4242 (bash) S 4100 4242\n"));

    // The kernel keeps 15 bytes of a name; the known names are compared after the same cut.
    EXPECT_TRUE(isTerminalName("gnome-terminal-"));
    EXPECT_FALSE(isTerminalName("gnome-terminal"));
    EXPECT_TRUE(isShellSessionName("tmux: server"));
}

}  // namespace
}  // namespace vantric
